# The two commands: `make run` and `make test`. Both install what is missing first.
#   make test SANITIZE=1     the same tests in an AddressSanitizer + UBSan build (build-sanitize/)
#   make sanitize-quick      the engine's tests and the fuzz regression inputs under the sanitizers
#   make fuzz                builds the libFuzzer targets (build-fuzz/) and runs each FUZZ_SECONDS
#   make mutate              the full mutation test of every movie (tools/swfmutate)
SANITIZE ?= 0
ifeq ($(SANITIZE),1)
BUILD_DIR ?= build-sanitize
CMAKE_OPTIONS += -DVANTORO_SANITIZE=ON
else
BUILD_DIR ?= build
endif
TEST_BUILD_DIR ?= build
JOBS ?= $(shell nproc)
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= load play avm1 sound
SANITIZE_BUILD_DIR ?= build-sanitize

# Every sanitizer report ends the program with an error (UBSan too), so that a test fails.
export ASAN_OPTIONS ?= halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=0
export UBSAN_OPTIONS ?= halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS ?= suppressions=$(CURDIR)/scripts/lsan-suppressions.txt:print_suppressions=0

.PHONY: run test setup build build-release install clean fuzz sanitize-quick mutate

setup:
	@scripts/setup.sh

$(BUILD_DIR)/build.ninja: | setup
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_OPTIONS)

build-release: setup $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Opens the viewer with samples/ as the current folder, as a user would start it from there.
run: build-release
	cd samples && ../$(BUILD_DIR)/bin/vantoro

test: build-release
	scripts/run-tests.sh $(BUILD_DIR)

# The part of the sanitizer run that CI does on every submission: the engine's tests (tests/swf)
# and the fuzz regression inputs. `make test SANITIZE=1` runs everything.
sanitize-quick: setup
	[ -f $(SANITIZE_BUILD_DIR)/build.ninja ] || \
	  cmake -S . -B $(SANITIZE_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTORO_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD_DIR) -j $(JOBS) --target tests/swf/all tests/fuzz/all
	scripts/run-tests.sh $(SANITIZE_BUILD_DIR) tests/swf tests/fuzz

fuzz: setup
	[ -f $(FUZZ_BUILD_DIR)/build.ninja ] || \
	  CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTORO_FUZZ=ON
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target make_fuzz_inputs $(addprefix fuzz_,$(FUZZ_TARGETS))
	scripts/fuzz.sh $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

mutate: build-release
	$(BUILD_DIR)/bin/swfmutate --all

PREFIX ?= /usr/local
install: build-release
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD_DIR)
