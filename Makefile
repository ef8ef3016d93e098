# Convenience entry points; the build itself is CMake's.
#   make demo        build, then apply examples/demo/changes.txt to a copy of
#                    examples/demo/settings.xml and show the result
#   make check       build and run every test
#   make check-asan  the same in a build with the address and UB sanitizers
# On a Debian machine, demo and check first install the build dependencies
# they lack (tools/build-deps.sh: with apt-get as root, else it prints the
# command). CI sets CI=true, which turns compiler warnings into errors.

JOBS ?= $(shell nproc)
WERROR := $(if $(filter true 1 yes,$(CI)),ON,OFF)
CMAKE_FLAGS ?=

.PHONY: all build demo check check-asan clean program-deps test-deps

all: build

program-deps:
	@tools/build-deps.sh program

test-deps:
	@tools/build-deps.sh tests

build:
	cmake -S . -B build -DBRINDLE_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

demo: program-deps
	$(MAKE) build
	@mkdir -p build/demo
	@cp examples/demo/settings.xml build/demo/settings.xml
	build/brindle build/demo/settings.xml examples/demo/changes.txt 4.2.0 /batch /indent
	@echo "--- build/demo/settings.xml:"
	@cat build/demo/settings.xml

check: test-deps
	$(MAKE) build
	cd build && ctest --output-on-failure -j $(JOBS)

check-asan:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DBRINDLE_SANITIZE=ON -DBRINDLE_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf build build-asan

# Fuzzing: the targets under fuzz/ (one per fuzz/fuzz_<name>.cpp) in a clang
# build of their own (build-fuzz), so the main build never needs clang.
# fuzz/run.sh runs them and fuzz/README.md says what each is for. New inputs
# that a run finds go to build-fuzz/corpus, what crashes to
# build-fuzz/artifacts; the seeds under fuzz/corpus are only read.
#   make fuzz           run each target for FUZZ_SECONDS seconds
#   make fuzz-smoke     run each target for FUZZ_RUNS inputs, then check that
#                       its seeds reach what it is meant to reach (CI)
#   make fuzz-coverage  list, per target, what it is meant to reach and its
#                       seeds and grown corpus do not
FUZZ_SECONDS ?= 60
FUZZ_RUNS ?= 1000
FUZZ_PACKAGES := clang libclang-rt-14-dev
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: fuzz fuzz-build fuzz-smoke fuzz-coverage

fuzz-build:
	@echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' | \
	  clang++ -x c++ -fsanitize=fuzzer -o /dev/null - 2>/dev/null || \
	  { echo "Installing $(FUZZ_PACKAGES) for the fuzz build"; \
	    $(SUDO) apt-get update && $(SUDO) apt-get install -y $(FUZZ_PACKAGES); }
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DBRINDLE_FUZZ=ON \
	  -DBRINDLE_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS) \
	  $(addprefix --target ,$(basename $(notdir $(wildcard fuzz/fuzz_*.cpp))))

fuzz: fuzz-build
	fuzz/run.sh run $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	fuzz/run.sh smoke $(FUZZ_RUNS)

fuzz-coverage: fuzz-build
	fuzz/run.sh coverage

# Documentation and installation (doc/, completion/):
#   make check-docs     the manual page formats without a warning (groff -ww,
#                       man --warnings) and has an entry for every option
#   make check-install  install with DESTDIR into a temporary folder (default
#                       prefix and --prefix) and check the tree, the installed
#                       program, manual page and completion, and the .deb
.PHONY: check-docs check-install

check-docs: build
	bash doc/check-manpage.sh doc/brindle.1 build/list_options

check-install: build
	bash doc/check-install.sh build

# A static libxml2 (tools/build-static-libxml2.sh): Debian's source package
# at the pinned version, built without ICU into build-static-libxml2. A
# build configured with -DBRINDLE_STATIC_LIBXML2=<that>/prefix links it and
# the C++ runtime statically and needs only the C library: it starts in
# about half the time of a build on the system's libxml2.
#   make static-libxml2  fetch and build it, once (installs what that needs)
.PHONY: static-libxml2
STATIC_LIBXML2 := $(CURDIR)/build-static-libxml2/prefix

static-libxml2:
	JOBS=$(JOBS) tools/build-static-libxml2.sh

# Benchmarks (bench/): a Release build of its own (build-bench) on the
# static libxml2, with the bench programs, then every row against the floor
# and the peers that are installed (see bench/run.sh for its settings).
# Installs no peer.
#   make bench        build and print the table
#   make check-bench  compile the bench programs, so that they cannot rot
#                     unnoticed, and run every whole-program case against the
#                     brindle they measure (CI); no row runs
.PHONY: bench bench-configure check-bench

bench-configure: static-libxml2
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBRINDLE_BENCH=ON \
	  -DBRINDLE_STATIC_LIBXML2=$(STATIC_LIBXML2) -DBRINDLE_WERROR=$(WERROR) $(CMAKE_FLAGS)

bench: bench-configure
	cmake --build build-bench -j $(JOBS)
	bench/run.sh build-bench

check-bench: bench-configure
	cmake --build build-bench -j $(JOBS) --target bench_programs brindle_case_tests
	build-bench/brindle_case_tests --gtest_brief=1

# Code layout: every C++ file that git tracks is as clang-format lays it out
# by .clang-format (CI checks it; "clang-format -i <file>" mends a file).
#   make check-format
CLANG_FORMAT ?= clang-format
.PHONY: check-format

check-format:
	@command -v $(CLANG_FORMAT) >/dev/null || \
	  { echo "check-format: $(CLANG_FORMAT) is missing (apt-get install clang-format)"; exit 1; }
	git ls-files -z '*.cpp' '*.h' | xargs -0 $(CLANG_FORMAT) --dry-run -Werror

# Windows (tools/windows/, cmake/mingw-w64-x86_64.cmake): the mingw-w64 cross
# compiler, Wine, and the libraries brindle.exe links (libxml2 and GoogleTest,
# static, built from Debian's source packages) in build-windows-deps, which
# "make clean" keeps. Installs packages (as root, or through sudo).
#   make windows-deps   install and build all that, once; later runs say so
#   make windows-smoke  a small program with both libraries, checked for its
#                       DLLs and run under Wine
#   make windows        build-windows/brindle.exe and its unit tests
#   make check-windows  the unit tests and the whole-program cases under Wine
#                       (the cases through the Linux build's case runner)
#   make windows-zip    build-windows/brindle-<version>-windows-x64.zip:
#                       brindle.exe, README.md and the manual as HTML
.PHONY: windows-deps windows-smoke windows check-windows windows-zip

windows-deps:
	JOBS=$(JOBS) tools/windows/build-deps.sh

windows-smoke: windows-deps
	tools/windows/smoke.sh

windows: windows-deps
	cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DBRINDLE_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build build-windows -j $(JOBS)

# One Wine server for the whole run: each program then starts in a fraction
# of a second, and Wine's services never hold the runner's pipes.
check-windows: windows build
	tools/windows/wine-run.sh --start-server
	cd build-windows && ctest --output-on-failure -j $(JOBS); \
	  status=$$?; ../tools/windows/wine-run.sh --stop-server; exit $$status

windows-zip: windows
	tools/windows/make-zip.sh build-windows
