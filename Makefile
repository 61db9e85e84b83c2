# Front end to CMake. `make` builds the optimised configuration, `make test`
# installs what is missing, builds with sanitizers and runs the whole suite
# under a virtual X server, `make bench` builds and runs the benchmarks.
JOBS ?= $(shell nproc)
RELEASE_DIR := build/release
TEST_DIR := build/test
BENCH_DIR := build/bench
XVFB := $(CURDIR)/scripts/with-xvfb.sh
CTEST_ARGS ?=

.PHONY: all deps test bench clean

all:
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DVARNOX_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

deps:
	./scripts/deps.sh

test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DVARNOX_SANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && $(XVFB) ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DVARNOX_TESTS=OFF -DVARNOX_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	for b in $(BENCH_DIR)/bin/bench_*; do $$b; done

clean:
	rm -rf build
