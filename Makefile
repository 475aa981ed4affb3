# Builds with CMake and Ninja into build/ (and build-asan/, build-tsan/ for the sanitizer runs of
# the tests).
PROG ?= zorvy
BUILD := build
ASAN_BUILD := build-asan
TSAN_BUILD := build-tsan
BENCH_BUILD := build-bench
FUZZ_BUILD := build-fuzz
WIN_BUILD := build-win
DEB_BUILD := build-deb
WEB_BUILD := build-wasm
WEB_SITE := build-web
FUZZ_SECONDS ?= 60
# The fuzz targets, as fuzz/CMakeLists.txt lists them.
FUZZ_TARGETS := $(shell sed -n 's/^set(FUZZ_TARGETS \(.*\))$$/\1/p' fuzz/CMakeLists.txt)
JOBS ?= 2

# Configures and builds quietly: the compiler's output is shown only when the build fails.
# $(1) the build folder, $(2) extra CMake options, $(3) the targets (all when empty).
define quiet_build
	@mkdir -p $(1) && cmake -S . -B $(1) -G Ninja $(2) > $(1)/configure.log 2>&1 || { cat $(1)/configure.log; exit 1; }
	@cmake --build $(1) -j $(JOBS) $(if $(3),--target $(3)) > $(1)/build.log 2>&1 || { cat $(1)/build.log; exit 1; }
	@echo "built $(1)"
endef

.PHONY: all run test test-fresh bench window-measure deps run-deps web-deps windows-deps clean fuzz fuzz-build \
  fuzz-regression windows windows-test web web-test

# The two programs only; a folder configured with the tests keeps them.
all:
	$(call quiet_build,$(BUILD),,zorvy plemo)

run: run-deps all
	./$(BUILD)/$(PROG)

run-deps:
	@tools/install-deps.sh run

# The Windows programs, cross-built with mingw-w64; the fonts are packed by the native tool.
WIN_CROSS := -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DGFX_DATA_GEN=$(abspath $(BUILD))/gfx_data_gen -DLINUX_BUILD_DIR=$(abspath $(BUILD))
WIN_OPTIONS := $(WIN_CROSS) -DBUILD_TESTS=ON

windows: windows-deps
	$(call quiet_build,$(BUILD),,gfx_data_gen icon_gen)
	$(call quiet_build,$(WIN_BUILD),$(WIN_CROSS),zorvy plemo)

windows-deps:
	@tools/install-deps.sh windows

# The Windows tests under Wine: the unit tests, and the programs' window, console and pipe
# sessions against the native programs; one X server and one Wine prefix for the whole run,
# one test at a time (Wine drops keys while another Wine program keeps its server busy).
windows-test: deps windows
	$(call quiet_build,$(BUILD),-DBUILD_TESTS=ON,wine_session_tests)
	$(call quiet_build,$(WIN_BUILD),$(WIN_OPTIONS))
	@JOBS=1 tests/run-ctest.sh $(WIN_BUILD) tests/wine/with-prefix.sh

# The web pages, built with Debian's emscripten into $(WEB_BUILD); the site (the pages with the
# programs' .js and .wasm) is $(WEB_SITE). The fonts are packed by the native tool. The
# emscripten's JavaScript optimiser finds its parser (Debian's node-acorn) through NODE_PATH.
WEB_OPTIONS := -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DGFX_DATA_GEN=$(abspath $(BUILD))/gfx_data_gen \
  -DWEB_SITE_DIR=$(abspath $(WEB_SITE))

web: export NODE_PATH := /usr/share/nodejs
web: web-deps
	$(call quiet_build,$(BUILD),,gfx_data_gen icon_gen)
	$(call quiet_build,$(WEB_BUILD),$(WEB_OPTIONS),web_site)

web-deps:
	@tools/install-deps.sh web

# The pages in Debian's Chromium, Firefox ESR and WebKitGTK, side by side: typed sessions against
# the native screen's picture, keys and text, sizes, full screen, a phone, the end and new runs,
# and the site installed and offline.
web-test: export NODE_PATH := /usr/share/nodejs
web-test: deps web
	$(call quiet_build,$(BUILD),-DBUILD_TESTS=ON,native_picture)
	$(call quiet_build,$(WEB_BUILD),$(WEB_OPTIONS) -DBUILD_TESTS=ON,probe_site)
	@tests/web/run.sh $(WEB_SITE) $(WEB_BUILD)/probe $(BUILD)/tests/web/native_picture

deps:
	@tools/install-deps.sh test

# The Debian package (build-deb/*.deb), built with Debian's hardening flags in a folder of its
# own, and the Windows zip (build-win/*.zip), both made by CPack.
.PHONY: package
package:
	@tools/install-deps.sh package
	$(call quiet_build,$(DEB_BUILD),-DDEBIAN_BUILD_FLAGS=ON,zorvy plemo)
	$(call quiet_build,$(BUILD),,gfx_data_gen icon_gen)
	$(call quiet_build,$(WIN_BUILD),$(WIN_CROSS),zorvy plemo)
	@for b in $(DEB_BUILD) $(WIN_BUILD); do \
	  (cd $$b && cpack > cpack.log 2>&1) || { cat $$b/cpack.log; exit 1; }; \
	  sed -n 's/^CPack: - package: \(.*\) generated[.]$$/made \1/p' $$b/cpack.log; \
	done

# First the includes are checked against the layers. Every test runs in the plain build and
# under AddressSanitizer with UndefinedBehaviorSanitizer, the window tests (the programs with
# their presentation thread) also under ThreadSanitizer, each build on an X server of its own;
# then the fuzz target replays its corpus. Quiet while everything passes.
test: deps
	@tools/check-layers.sh
	$(call quiet_build,$(BUILD),-DBUILD_TESTS=ON)
	@tests/run-ctest.sh $(BUILD)
	$(call quiet_build,$(ASAN_BUILD),-DBUILD_TESTS=ON -DSANITIZE=address)
	@tests/run-ctest.sh $(ASAN_BUILD)
	$(call quiet_build,$(TSAN_BUILD),-DBUILD_TESTS=ON -DSANITIZE=thread,window_tests)
	@TEST_LABEL=window tests/run-ctest.sh $(TSAN_BUILD)
	@$(MAKE) --no-print-directory fuzz-regression
	@$(MAKE) --no-print-directory windows-test
	@$(MAKE) --no-print-directory web-test

# make test on a freshly installed Debian 12 root with a clean clone of HEAD, as CI runs it (as
# root; about 16 minutes, 4 to 5 of them installing packages).
test-fresh:
	@tools/fresh-debian.sh 'make test'

bench: deps
	$(call quiet_build,$(BENCH_BUILD),-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTS=OFF -DBUILD_BENCH=ON)
	./$(BENCH_BUILD)/bench/benchmarks

# The Linux windows, X11 beside Wayland, each on a display server of its own: the time to the
# first picture and the processor time an idle window takes.
window-measure: deps
	$(call quiet_build,$(BUILD),-DBUILD_TESTS=ON,window_measure)
	env -u WAYLAND_DISPLAY ./$(BUILD)/tests/window/window_measure

# The libFuzzer targets, built with clang under AddressSanitizer and UndefinedBehaviorSanitizer.
fuzz-build: deps
	$(call quiet_build,$(FUZZ_BUILD),-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBUILD_TESTS=OFF -DBUILD_FUZZ=ON -DSANITIZE=fuzzer,fuzz_targets)

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
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(WIN_BUILD) \
	  $(DEB_BUILD) $(WEB_BUILD) $(WEB_SITE)
