# The two set-up commands: `make demo` and `make test`. Each first installs the
# Debian packages it needs and the system lacks (scripts/install-deps; skip with
# INSTALL_DEPS=no), then configures, builds and runs.
BUILD ?= build
BUILD_SAN ?= build-sanitize
BUILD_REL ?= build-release
BUILD_WIN ?= build-windows
BUILD_WIN_TEST ?= build-windows-test
BUILD_PKG ?= build-package
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local
CMAKE_FLAGS ?=
INSTALL_DEPS ?= yes

# $(call deps,GROUP...): install what the groups need, unless INSTALL_DEPS=no.
deps = $(if $(filter no,$(INSTALL_DEPS)),@:,@sh scripts/install-deps $(1))

# Configures $(BUILD); the argument says whether the tests are wanted (ON) or
# built when GoogleTest is there (AUTO). Quick when nothing changed.
configure = cmake -S . -B $(BUILD) --log-level=NOTICE -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DQORV_TESTS=$(1) $(CMAKE_FLAGS)

.PHONY: all build test test-sanitize demo install package package-windows clean bench fuzz windows test-windows \
        bench-build bench-snapshot bench-compare bench-selftest bench-image bench-update bench-map

all: build

build:
	$(call deps,build)
	$(call configure,AUTO)
	cmake --build $(BUILD) -j $(JOBS)

test:
	$(call deps,test)
	$(call configure,ON)
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize:
	$(call deps,test)
	cmake -S . -B $(BUILD_SAN) --log-level=NOTICE -DCMAKE_BUILD_TYPE=Debug -DQORV_SANITIZE=ON \
	  -DQORV_TESTS=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Windows (cross-compiled with MinGW-w64): `make windows` leaves the release
# programs in $(BUILD_WIN)/QorvMakeDlf.exe and $(BUILD_WIN)/QorvImage.exe;
# `make test-windows` builds the test suite for Windows in $(BUILD_WIN_TEST)
# and runs it under Wine, with the POSIX programs of $(BUILD) to compare the
# images with; `make package-windows` packs the programs into
# qorv-tools-<version>-win64.zip in this folder and runs the archive's
# demo.cmd under Wine (scripts/windows-archive).
WINDOWS_CMAKE = -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake --log-level=NOTICE

windows:
	$(call deps,windows)
	cmake -S . -B $(BUILD_WIN) $(WINDOWS_CMAKE) -DCMAKE_BUILD_TYPE=Release -DQORV_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD_WIN) -j $(JOBS) --target QorvMakeDlf QorvImage
	@echo "Windows programs: $(BUILD_WIN)/QorvMakeDlf.exe $(BUILD_WIN)/QorvImage.exe"

test-windows:
	$(call deps,windows)
	$(call configure,AUTO)
	cmake --build $(BUILD) -j $(JOBS) --target QorvMakeDlf QorvImage
	cmake -S . -B $(BUILD_WIN_TEST) $(WINDOWS_CMAKE) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQORV_TESTS=ON \
	  -DQORV_POSIX_BUILD=$(abspath $(BUILD)) $(CMAKE_FLAGS)
	cmake --build $(BUILD_WIN_TEST) -j $(JOBS)
	cd $(BUILD_WIN_TEST) && ctest --output-on-failure -j $(JOBS)

package-windows: windows
	$(call deps,package-windows)
	sh scripts/windows-archive $(BUILD_WIN) $(CURDIR)

demo:
	$(call deps,build)
	$(call configure,AUTO)
	cmake --build $(BUILD) -j $(JOBS) --target QorvMakeDlf QorvImage
	@sh examples/demo.sh $(BUILD)/QorvMakeDlf $(BUILD)/QorvImage

install:
	$(call deps,build)
	$(call configure,AUTO) -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD) -j $(JOBS) --target QorvMakeDlf QorvImage
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package: a release build in $(BUILD_PKG) with Debian's hardening
# flags, packed by CPack into qorv-tools_<version>_<arch>.deb in this folder,
# then checked by lintian (errors fail the target).
PKG_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get

package:
	$(call deps,package)
	cmake -S . -B $(BUILD_PKG) --log-level=NOTICE -DCMAKE_BUILD_TYPE=Release -DQORV_TESTS=OFF \
	  -DQORV_PACKAGE=ON -DCMAKE_INSTALL_PREFIX=/usr \
	  "-DCMAKE_CXX_FLAGS=$$($(PKG_FLAGS) CPPFLAGS) $$($(PKG_FLAGS) CXXFLAGS)" \
	  "-DCMAKE_EXE_LINKER_FLAGS=$$($(PKG_FLAGS) LDFLAGS)" $(CMAKE_FLAGS)
	cmake --build $(BUILD_PKG) -j $(JOBS)
	rm -f qorv-tools_*.deb
	cpack --config $(BUILD_PKG)/CPackConfig.cmake -B $(BUILD_PKG)/cpack -D CPACK_OUTPUT_FILE_PREFIX=$(CURDIR)
	lintian --fail-on error qorv-tools_*.deb

FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=
BUILD_FUZZ ?= build-fuzz

fuzz:
	$(call deps,fuzz)
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQORV_FUZZ=ON -DQORV_TESTS=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS)
	sh fuzz/run.sh $(BUILD_FUZZ) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_REL) $(BUILD_FUZZ) $(BUILD_WIN) $(BUILD_WIN_TEST) $(BUILD_PKG)

# Benchmark (bench/README.md): release build, generated trees under BENCH_DIR
# (default /tmp/qorv-bench, made once and reused), the tool against `find`.
BENCH_PY ?= python3
BENCH = $(BENCH_PY) bench/bench.py --binary $(BUILD_REL)/QorvMakeDlf

bench-build:
	$(call deps,bench)
	cmake -S . -B $(BUILD_REL) -DCMAKE_BUILD_TYPE=Release -DQORV_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD_REL) -j $(JOBS) --target QorvMakeDlf QorvImage

bench: bench-build
	$(BENCH) run

# Saves every case's DLF, system file, config file and messages ...
bench-snapshot: bench-build
	$(BENCH) snapshot

# ... and compares a later build's outputs with them, byte for byte.
bench-compare: bench-build
	$(BENCH) compare

# The image cases: QorvImage build against cat of the same files (bench/imagebench.py).
bench-image: bench-build
	$(BENCH) image

# The update cases: a full build, no change, one 1 MiB edit, one grown file.
bench-update: bench-build
	$(BENCH) update

# The map case: QorvImage map of 200,000 items in as many top-level folders.
bench-map: bench-build
	$(BENCH) map

bench-selftest:
	$(call deps,bench)
	$(BENCH_PY) bench/bench.py selftest
