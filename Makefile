# The two commands a newcomer needs: `make run` and `make test`.
BUILD_DIR ?= build
# Development builds serve their own build of the view site on loopback, on a port of
# their own, so they never meet an installed product's site (47831).
SITE_PORT ?= 47832
SITE_ORIGIN ?= http://127.0.0.1:$(SITE_PORT)
JOBS ?= $(shell nproc)
# Extra CMake options (CI: -DTAVELO_WERROR=ON, -DTAVELO_SANITIZE=ON) and ctest options.
CMAKE_ARGS ?=
TEST_ARGS ?=

.PHONY: run test build-sanitized test-sanitized test-under-load deps build bench soak clean check-sources bench-sources

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -DTAVELO_VIEW_SITE_ORIGIN=$(SITE_ORIGIN) -DBUILD_TESTING=ON $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@SITE_PORT=$(SITE_PORT) BUILD_DIR=$(BUILD_DIR) bash scripts/run.sh

test: build
	@BUILD_DIR=$(BUILD_DIR) bash scripts/test.sh $(TEST_ARGS)

# The unit tests and the integration tests labelled smoke (those that drive our own
# processes' memory hardest: the web processes are not instrumented), built with
# AddressSanitizer and UndefinedBehaviorSanitizer. The fuzzer is always built with both
# and runs in the plain suite, so this build neither builds nor runs it again.
# It is a unity build (each target's sources compiled a few at a time as one file): it
# builds in about two thirds of the CPU time, and its compile database is read by no one, whereas
# clang-tidy reads the plain build's file by file.
SANITIZE_BUILD_DIR ?= build-sanitize
build-sanitized:
	@$(MAKE) --no-print-directory build BUILD_DIR=$(SANITIZE_BUILD_DIR) \
	  CMAKE_ARGS="$(CMAKE_ARGS) -DTAVELO_SANITIZE=ON -DCMAKE_UNITY_BUILD=ON"

test-sanitized: build-sanitized
	@BUILD_DIR=$(SANITIZE_BUILD_DIR) TAVELO_TEST_ACCOUNT_PREFIX=tavelo-san bash scripts/test.sh \
	  -L 'unit|smoke' -LE pages $(TEST_ARGS)

# The whole suite with a CPU hog on every core beside it, as on a developer's busy
# machine: `make test-under-load LOAD_RUNS=3` runs it three times in a row.
LOAD_RUNS ?= 1
test-under-load: build
	@BUILD_DIR=$(BUILD_DIR) RUNS=$(LOAD_RUNS) bash scripts/test-under-load.sh $(TEST_ARGS)

bench: build
	@BUILD_DIR=$(BUILD_DIR) bash bench/wallpaper-vs-chromium.sh $(BUILD_DIR)

# A long run with view switches: `make soak SOAK_MINUTES=20 SOAK_SWITCH_MINUTES=3`.
SOAK_MINUTES ?= 120
SOAK_SWITCH_MINUTES ?= 10
soak: build
	@bash bench/soak.sh $(BUILD_DIR) $(SOAK_MINUTES) $(SOAK_SWITCH_MINUTES)

# Asks every data source of the view site once from this machine's network, with the
# user's own site.json (SITE_CONFIG=FILE to use another): one line per source.
SITE_CONFIG ?=
check-sources: build
	@$(BUILD_DIR)/bin/tavelo-live-wallpaper-site --check-sources $(if $(SITE_CONFIG),--config $(SITE_CONFIG))

# Requests a day the data job sends each provider, healthy and with each source refusing.
bench-sources: build
	@cmake --build $(BUILD_DIR) --target source-requests-per-day >/dev/null
	@$(BUILD_DIR)/bin/source-requests-per-day

clean:
	rm -rf $(BUILD_DIR)
