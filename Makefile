# Two commands do everything on a fresh Debian 12 machine:
#   make run   installs what is missing, builds, and serves the simulated iPhone
#              at http://127.0.0.1:8080/ (Ctrl-C stops it)
#   make test  the same set-up and build, then every test: unit tests in the
#              optimised and the sanitizer build, the browser tests (once, against
#              the optimised build) and a minute of the property-list fuzzer

JOBS ?= $(shell nproc)
PORT ?= 8080
# How long `make fuzz` runs the property-list fuzzer; `make test` runs it a minute.
FUZZ_SECONDS ?= 600

.PHONY: run demo test setup setup-e2e build build-debug test-default test-debug bench fuzz clean

run: build
	./build/default/sim/kavro-sim serve --port $(PORT)

# The scripted tour, headless: prints the state after each step as JSON.
demo: build
	./build/default/sim/kavro-sim run sim/demo.ksim

test: setup-e2e build build-debug
	ctest --preset default
	ctest --preset debug
	$(MAKE) fuzz FUZZ_SECONDS=60

setup:
	./scripts/setup.sh

# Chromium, Node.js and the browser tests' npm packages; before the build is
# configured, which registers the browser tests only when they can run.
setup-e2e:
	./scripts/setup-e2e.sh

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

# The property-list fuzzer (clang's libFuzzer, with the address and undefined-
# behaviour sanitizers) for FUZZ_SECONDS, starting from the corpus in tests/fuzz;
# what it finds stays in build/fuzz/corpus, a failing input in build/fuzz/crash-*.
fuzz: setup
	cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVRO_FUZZ=ON >/dev/null
	cmake --build build/fuzz -j $(JOBS)
	mkdir -p build/fuzz/corpus
	./build/fuzz/tests/fuzz/fuzz_property_list -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -timeout=5 \
	  -rss_limit_mb=4096 -artifact_prefix=build/fuzz/ -print_final_stats=1 \
	  build/fuzz/corpus tests/fuzz/corpus tests/fuzz/regressions

bench: build
	for b in build/default/bench/bench_*; do $$b --benchmark_repetitions=3 --benchmark_report_aggregates_only=true; done

clean:
	rm -rf build
