# Builds with CMake and Ninja into build/ (and build-asan/ for the sanitizer run of the tests).
PROG ?= zorvy
BUILD := build
ASAN_BUILD := build-asan
TSAN_BUILD := build-tsan
BENCH_BUILD := build-bench
FUZZ_BUILD := build-fuzz
WIN_BUILD := build-win
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := input_item_fuzz text_draw_fuzz terminal_keys_fuzz key_translate_fuzz line_editor_fuzz
JOBS ?= 2

.PHONY: all run test bench deps clean fuzz fuzz-build fuzz-regression windows windows-test

all: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target zorvy plemo

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DBUILD_TESTS=ON

# The Windows programs, cross-built with mingw-w64; the fonts are packed by the native tool.
windows: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target gfx_data_gen
	cmake -S . -B $(WIN_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DGFX_DATA_GEN=$(abspath $(BUILD))/gfx_data_gen -DLINUX_BUILD_DIR=$(abspath $(BUILD))
	cmake --build $(WIN_BUILD) -j $(JOBS) --target zorvy plemo

# The Windows tests under Wine: the unit tests, and the programs' window, console and pipe
# sessions against the native programs; one X server and one Wine prefix for the whole run.
windows-test: windows
	cmake --build $(BUILD) -j $(JOBS) --target wine_session_tests
	cmake --build $(WIN_BUILD) -j $(JOBS)
	tests/with-xvfb.sh tests/wine/with-prefix.sh ctest --test-dir $(WIN_BUILD) --output-on-failure

run: deps all
	./$(BUILD)/$(PROG)

deps:
	@tools/install-deps.sh

# Every test runs in the plain build, under AddressSanitizer with UndefinedBehaviorSanitizer,
# and under ThreadSanitizer. Window tests get an X server of their own.
test: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)
	tests/with-xvfb.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DBUILD_TESTS=ON -DSANITIZE=address
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	tests/with-xvfb.sh ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DBUILD_TESTS=ON -DSANITIZE=thread
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	tests/with-xvfb.sh ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) fuzz-regression
	$(MAKE) windows-test

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTS=OFF -DBUILD_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	./$(BENCH_BUILD)/bench/benchmarks

# The libFuzzer targets, built with clang under AddressSanitizer and UndefinedBehaviorSanitizer.
fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DBUILD_TESTS=OFF \
	  -DBUILD_FUZZ=ON -DSANITIZE=fuzzer
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets

# Fuzzes each target for FUZZ_SECONDS, one after another, from its saved corpus. New inputs,
# logs (fuzz-0.log) and crash reproducers stay in $(FUZZ_BUILD); the saved corpus takes only
# inputs merged into it by hand (-merge=1).
fuzz: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
	  echo "== $$t for $(FUZZ_SECONDS) s"; mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	  (cd $(FUZZ_BUILD) && ./fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -jobs=1 \
	    -print_final_stats=1 corpus/$$t ../fuzz/corpus/$$t > /dev/null 2>&1) \
	    || { tail -n 40 $(FUZZ_BUILD)/fuzz-0.log; exit 1; }; \
	  grep -E "DONE|stat::number_of_executed_units" $(FUZZ_BUILD)/fuzz-0.log; \
	done

# Replays every saved corpus input once through its target.
fuzz-regression: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
	  ./$(FUZZ_BUILD)/fuzz/$$t -runs=0 fuzz/corpus/$$t > $(FUZZ_BUILD)/$$t-regression.log 2>&1 \
	    || { cat $(FUZZ_BUILD)/$$t-regression.log; exit 1; }; \
	  echo "$$t: $$(ls fuzz/corpus/$$t | wc -l) inputs replayed"; \
	done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(WIN_BUILD)
