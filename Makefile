# Entry points for a fresh machine: every target installs what it needs first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: deps build test demo bench clean

deps:
	@bash scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

demo: build
	@BUILD_DIR=$(BUILD_DIR) bash scripts/demo

bench: build
	@bash bench/install-peers
	@bash bench/run $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
