# Convenience entry points; the build itself is CMake's.
#   make demo        build, then apply examples/demo/changes.txt to a copy of
#                    examples/demo/settings.xml and show the result
#   make check       build and run every test
#   make check-asan  the same in a build with the address and UB sanitizers
# CI sets CI=true, which turns compiler warnings into errors.

JOBS ?= $(shell nproc)
WERROR := $(if $(filter true 1 yes,$(CI)),ON,OFF)
CMAKE_FLAGS ?=

.PHONY: all build demo check check-asan clean

all: build

build:
	cmake -S . -B build -DBRINDLE_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

demo: build
	@mkdir -p build/demo
	@cp examples/demo/settings.xml build/demo/settings.xml
	build/brindle build/demo/settings.xml examples/demo/changes.txt 4.2.0 /batch /indent
	@echo "--- build/demo/settings.xml:"
	@cat build/demo/settings.xml

check: build
	cd build && ctest --output-on-failure -j $(JOBS)

check-asan:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DBRINDLE_SANITIZE=ON -DBRINDLE_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf build build-asan
