# The two set-up commands: `make demo` and `make test`.
BUILD ?= build
BUILD_SAN ?= build-sanitize
BUILD_REL ?= build-release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local
CMAKE_FLAGS ?=

.PHONY: all build test test-sanitize demo install clean bench fuzz \
        bench-build bench-snapshot bench-compare bench-selftest

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize:
	cmake -S . -B $(BUILD_SAN) -DCMAKE_BUILD_TYPE=Debug -DQORV_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

demo: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target QorvMakeDlf
	@sh examples/demo.sh $(BUILD)/QorvMakeDlf

install: $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD) -j $(JOBS) --target QorvMakeDlf
	cmake --install $(BUILD) --prefix $(PREFIX)

FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=
BUILD_FUZZ ?= build-fuzz
CLANG_RT ?= $(firstword $(wildcard /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a))

fuzz:
	@command -v clang++ >/dev/null && [ -n "$(CLANG_RT)" ] || \
	  { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-14-dev; }
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQORV_FUZZ=ON -DQORV_TESTS=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS)
	sh fuzz/run.sh $(BUILD_FUZZ) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_REL) build-fuzz

# Benchmark (bench/README.md): release build, generated trees under BENCH_DIR
# (default /tmp/qorv-bench, made once and reused), the tool against `find`.
BENCH_PY ?= python3
BENCH = $(BENCH_PY) bench/bench.py --binary $(BUILD_REL)/QorvMakeDlf

bench-build:
	cmake -S . -B $(BUILD_REL) -DCMAKE_BUILD_TYPE=Release -DQORV_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD_REL) -j $(JOBS) --target QorvMakeDlf

bench: bench-build
	$(BENCH) run

# Saves every case's DLF, system file, config file and messages ...
bench-snapshot: bench-build
	$(BENCH) snapshot

# ... and compares a later build's outputs with them, byte for byte.
bench-compare: bench-build
	$(BENCH) compare

bench-selftest:
	$(BENCH_PY) bench/bench.py selftest
