# Builds with CMake and Ninja into build/ (and build-asan/ for the sanitizer run of the tests).
PROG ?= zorvy
BUILD := build
ASAN_BUILD := build-asan
BENCH_BUILD := build-bench
JOBS ?= 2

.PHONY: all run test bench deps clean

all: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target zorvy plemo

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DBUILD_TESTS=ON

run: deps all
	./$(BUILD)/$(PROG)

deps:
	@tools/install-deps.sh

test: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DBUILD_TESTS=ON -DSANITIZE=address
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTS=OFF -DBUILD_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	./$(BENCH_BUILD)/bench/benchmarks

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD)
