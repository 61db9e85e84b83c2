# Front end to CMake. Every target first installs the packages that are
# missing. `make` builds the optimised configuration (with the game's data
# folder in build/release/data), `make data` only that folder, `make test`
# builds with sanitizers, runs the whole suite under a virtual X server and
# replays the fuzz corpora, `make tsan` runs the tests of the threaded
# loaders and of the pointer thread, and the whole-game tests whose start-up
# loads the models, under ThreadSanitizer, `make bench` builds and runs the benchmarks,
# `make fuzz` fuzzes the readers of outside input, `make play` builds the
# game with its data folder and starts it, `make screenshot` builds it and
# takes the README's picture (docs/screenshot.png) under a virtual X server,
# `make soak` plays it for SOAK_MINUTES under random input (SOAK_SEED,
# SOAK_SANITIZE=1 for the sanitized build, SOAK_SANITIZE=thread for the
# ThreadSanitizer build) and fails on a crash, a hang, unclean output or
# growing memory.
JOBS ?= $(shell nproc)
RELEASE_DIR := build/release
TEST_DIR := build/test
BENCH_DIR := build/bench
FUZZ_DIR := build/fuzz
TSAN_DIR := build/tsan
# The tests of the engine's loader threads and their hand-over, and of the
# mouse pointer's thread; and the whole-game tests whose start-up loads the
# room, table, cue and furniture while the frames run.
TSAN_FILTER := LoadWorkers*:EngineLoading*:PointerThread*:EnginePointerThread*
TSAN_GAME_FILTER := ModelHandOver*:ModelMaterials*:PoolSceneGL*:RoomLightGL*:RunningGame*
# Reports of the driver's own threads, each with its reason. The lock-order
# detector is off: the driver destroys mutexes its threads still hold, which
# leaves the detector a lock it cannot let go and ends the run in its own
# internal check (tests/tsan.supp says more).
TSAN_OPTIONS_ALL := suppressions=$(CURDIR)/tests/tsan.supp halt_on_error=1 detect_deadlocks=0
FUZZ_SECONDS ?= 60
FUZZ_TARGET ?=
XVFB := $(CURDIR)/scripts/with-xvfb.sh
CTEST_ARGS ?=
SOAK_MINUTES ?= 30
SOAK_SEED ?=
SOAK_SANITIZE ?= 0

.PHONY: all data play screenshot soak deps test tsan bench fuzz fuzz-build clean

all: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DVARNOX_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

# The game's data folder, written by tools/datagen into build/release/data.
data: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DVARNOX_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target data

# The game on its generated data folder, in a window on the current display.
play: all
	TALVORIN_ROOT=$(CURDIR)/$(RELEASE_DIR)/data $(RELEASE_DIR)/bin/talvorin32

# docs/screenshot.png from the game on a copy of its data folder, on a
# private virtual X server.
screenshot: all
	BUILD=$(RELEASE_DIR) ./scripts/screenshot.sh docs/screenshot.png

# The game under random input for SOAK_MINUTES on an X server of its own:
# the release build, with SOAK_SANITIZE=1 the sanitized one of `make test`,
# with SOAK_SANITIZE=thread the ThreadSanitizer one of `make tsan`.
ifeq ($(SOAK_SANITIZE),1)
SOAK_DIR := $(TEST_DIR)
SOAK_CONFIG := -DCMAKE_BUILD_TYPE=Debug -DVARNOX_SANITIZE=ON
SOAK_FLAGS := --sanitized
else ifeq ($(SOAK_SANITIZE),thread)
SOAK_DIR := $(TSAN_DIR)
SOAK_CONFIG := -DCMAKE_BUILD_TYPE=Debug -DVARNOX_TSAN=ON
SOAK_FLAGS := --sanitized thread
else
SOAK_DIR := $(RELEASE_DIR)
SOAK_CONFIG := -DCMAKE_BUILD_TYPE=Release -DVARNOX_TESTS=OFF
SOAK_FLAGS :=
endif

soak: deps
	cmake -S . -B $(SOAK_DIR) $(SOAK_CONFIG)
	cmake --build $(SOAK_DIR) -j $(JOBS) --target talvorin32 data swap_counter
	./scripts/soak.py --build $(SOAK_DIR) --minutes $(SOAK_MINUTES) \
	  $(if $(SOAK_SEED),--seed $(SOAK_SEED)) $(SOAK_FLAGS)

deps:
	./scripts/deps.sh

test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DVARNOX_SANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && $(XVFB) ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)
	$(MAKE) --no-print-directory fuzz-build
	FUZZ_DIR=$(FUZZ_DIR) ./scripts/fuzz.sh corpus

tsan: deps
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DVARNOX_TSAN=ON
	cmake --build $(TSAN_DIR) -j $(JOBS) --target engine_cpu_tests engine_gl_tests game_gl_tests
	cd $(TSAN_DIR) && TSAN_OPTIONS="$(TSAN_OPTIONS_ALL)" ALSOFT_DRIVERS=null $(XVFB) sh -c \
	  './bin/engine_cpu_tests --gtest_filter="$(TSAN_FILTER)" && \
	   ./bin/engine_gl_tests --gtest_filter="$(TSAN_FILTER)" && \
	   ./bin/game_gl_tests --gtest_filter="$(TSAN_GAME_FILTER)"'

# The readers of outside input under libFuzzer (clang): `make fuzz` runs each
# target FUZZ_SECONDS (or only FUZZ_TARGET); `make test` replays the corpora.
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNOX_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)

fuzz: deps fuzz-build
	FUZZ_DIR=$(FUZZ_DIR) ./scripts/fuzz.sh run $(FUZZ_SECONDS) $(FUZZ_TARGET)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DVARNOX_TESTS=OFF -DVARNOX_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	for b in $(BENCH_DIR)/bin/bench_*; do $(XVFB) $$b; done

clean:
	rm -rf build
