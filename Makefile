# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD_DIR ?= build
TEST_BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: run test setup build build-release install clean

setup:
	@scripts/setup.sh

$(BUILD_DIR)/build.ninja: | setup
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release

build-release: setup $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Opens the viewer with samples/ as the current folder, as a user would start it from there.
run: build-release
	cd samples && ../$(BUILD_DIR)/bin/vantoro

test: build-release
	scripts/run-tests.sh $(BUILD_DIR)

PREFIX ?= /usr/local
install: build-release
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD_DIR)
