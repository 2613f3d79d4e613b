# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD      ?= build
BUILD_SAN  ?= build-sanitize
CMAKE_ARGS ?=
JOBS       ?= 2

BUILD_FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 300

.PHONY: all deps build run test test-sanitize bench fuzz clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ]; then \
	  echo "make run: no X display (DISPLAY is not set)." >&2; \
	  echo "  Run it from a desktop session, or start a virtual one: Xvfb :1 & DISPLAY=:1 make run" >&2; \
	  echo "  (or run without a screen: $(BUILD)/lenti3d --backend=headless)" >&2; \
	  exit 1; \
	fi
	$(BUILD)/lenti3d $(ARGS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(BUILD_SAN) -G Ninja -DORV_SANITIZE=ON -DORV_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug $(CMAKE_ARGS)
	cmake --build $(BUILD_SAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir $(BUILD_SAN) --output-on-failure -j $(JOBS)

bench: build
	@set -e; for b in $(BUILD)/bench/bench_*; do if [ -x "$$b" ]; then "$$b"; fi; done

# The loader's fuzz target, built with clang, run for FUZZ_SECONDS.
fuzz: deps
	scripts/install-deps fuzz
	cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DORV_FUZZ=ON -DORV_TESTS=OFF -DORV_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target load_image_fuzz
	mkdir -p $(BUILD_FUZZ)/corpus
	ASAN_OPTIONS=detect_leaks=0 $(BUILD_FUZZ)/fuzz/load_image_fuzz $(BUILD_FUZZ)/corpus fuzz/seeds \
	  -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -timeout=20

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_FUZZ)
