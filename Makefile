# Builds with CMake and Ninja into build/ (and build-asan/ for the sanitizer run of the tests).
PROG ?= zorvy
BUILD := build
ASAN_BUILD := build-asan
TSAN_BUILD := build-tsan
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

# Every test runs in the plain build and under AddressSanitizer with UndefinedBehaviorSanitizer;
# the threaded ones (the window's) under ThreadSanitizer too. Window tests get an X server of
# their own.
test: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)
	tests/with-xvfb.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DBUILD_TESTS=ON -DSANITIZE=address
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	tests/with-xvfb.sh ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DBUILD_TESTS=ON -DSANITIZE=thread
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	tests/with-xvfb.sh ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS) -L window

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTS=OFF -DBUILD_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	./$(BENCH_BUILD)/bench/benchmarks

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(BENCH_BUILD)
