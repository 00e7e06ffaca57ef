# The two commands a newcomer needs: `make run` and `make test`.
BUILD_DIR ?= build
# Development and test builds serve the view site from this checkout on loopback.
SITE_PORT ?= 47831
SITE_ORIGIN ?= http://127.0.0.1:$(SITE_PORT)
JOBS ?= $(shell nproc)
# Extra CMake options (CI: -DTAVELO_WERROR=ON, -DTAVELO_SANITIZE=ON) and ctest options.
CMAKE_ARGS ?=
TEST_ARGS ?=

.PHONY: run test deps build bench clean

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -DTAVELO_VIEW_SITE_ORIGIN=$(SITE_ORIGIN) -DBUILD_TESTING=ON $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@SITE_PORT=$(SITE_PORT) BUILD_DIR=$(BUILD_DIR) bash scripts/run.sh

test: build
	@BUILD_DIR=$(BUILD_DIR) bash scripts/test.sh $(TEST_ARGS)

bench: build
	@BUILD_DIR=$(BUILD_DIR) bash bench/wallpaper-vs-chromium.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
