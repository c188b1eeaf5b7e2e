# Two commands do everything on a fresh Debian 12 machine:
#   make run   installs what is missing, builds, and runs the simulator
#   make test  the same set-up and build, then every test (optimised and sanitizer builds)

JOBS ?= $(shell nproc)

.PHONY: run test setup build build-debug test-default test-debug bench clean

run: build
	./build/default/sim/kavro-sim run sim/demo.ksim

test: build build-debug
	ctest --preset default
	ctest --preset debug

setup:
	./scripts/setup.sh

build: setup
	cmake --preset default >/dev/null
	cmake --build --preset default -j $(JOBS)

build-debug: setup
	cmake --preset debug >/dev/null
	cmake --build --preset debug -j $(JOBS)

test-default: build
	ctest --preset default

test-debug: build-debug
	ctest --preset debug

bench: build
	for b in build/default/bench/bench_*; do $$b; done

clean:
	rm -rf build
