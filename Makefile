# The README's commands. `make` builds an optimised build/quorvel; `make test` builds
# everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
FUZZ_SECONDS ?= 30

QUORVEL ?= 7
OPPONENT ?= random
LAST_YEAR ?= 1935
PRESS ?= 0
SERVER_OPTIONS ?=

.PHONY: all quorvel play test test-build bench fuzz windows windows-test format clean

all: quorvel

quorvel:
	cmake -S . -B build $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BENCH=ON -DQUORVEL_TESTS=OFF
	cmake --build build -j $(JOBS)

# The main job: one game on this machine, Quorvel against itself or the server's opponents.
play:
	tools/install_dependencies.sh play
	$(MAKE) quorvel
	QUORVEL=$(QUORVEL) OPPONENT=$(OPPONENT) LAST_YEAR=$(LAST_YEAR) PRESS=$(PRESS) \
	  SERVER_OPTIONS="$(SERVER_OPTIONS)" tools/play.sh

# The packages first, then the build in a make of its own: the generator is chosen once they
# are there.
test:
	tools/install_dependencies.sh test
	$(MAKE) test-build

test-build:
	cmake -S . -B build-test $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON -DQUORVEL_WERROR=ON
	cmake --build build-test -j $(JOBS)
	ctest --test-dir build-test --output-on-failure -j $(JOBS)

# The Windows programs, cross-built with mingw-w64: build-windows/quorvel.exe, and the
# server and arena as .exe files too.
WINDOWS_CMAKE = cmake -S . -B build-windows $(GENERATOR) \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release

windows:
	$(WINDOWS_CMAKE) -DQUORVEL_TESTS=OFF
	cmake --build build-windows -j $(JOBS)

# The Windows build's tests under wine, then quorvel.exe under wine against the Linux
# server on a virtual screen (tools/windows_check.sh).
windows-test:
	$(WINDOWS_CMAKE) -DQUORVEL_TESTS=ON -DQUORVEL_WERROR=ON
	cmake --build build-windows -j $(JOBS)
	ctest --test-dir build-windows --output-on-failure -j $(JOBS)
	cmake -S . -B build-test $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON -DQUORVEL_WERROR=ON
	cmake --build build-test -j $(JOBS) --target quorvel quorvel-server quorvel-idle-player
	tools/windows_check.sh

bench: quorvel
	./build/bench/quorvel_bench
	if command -v mpirun >/dev/null; then bench/arena/cluster_scaling.sh build; fi
	bench/arena/record_cost.sh build
	bench/arena/outside_programs.sh build
	node bench/page/page_open.mjs build

# Needs clang and its libFuzzer runtime; each target runs for FUZZ_SECONDS.
fuzz:
	CXX=clang++ cmake -S . -B build-fuzz $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQUORVEL_FUZZ=ON -DQUORVEL_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS)
	for target in build-fuzz/tests/fuzz/fuzz_*; do \
	  name=$$(basename $$target); \
	  mkdir -p build-fuzz/corpus/$$name; \
	  cp tests/fuzz/seeds/$$name/* build-fuzz/corpus/$$name/ 2>/dev/null; \
	  $$target -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	    -artifact_prefix=build-fuzz/ build-fuzz/corpus/$$name || exit 1; \
	done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-test build-fuzz build-windows games
