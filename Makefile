# The two set-up commands: `make demo` and `make test`.
BUILD ?= build
BUILD_SAN ?= build-sanitize
BUILD_REL ?= build-release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local
CMAKE_FLAGS ?=

.PHONY: all build test test-sanitize demo install clean bench fuzz

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

demo: build
	@sh examples/demo.sh $(BUILD)/QorvMakeDlf

install: $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD) -j $(JOBS) --target QorvMakeDlf
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_REL) build-fuzz
