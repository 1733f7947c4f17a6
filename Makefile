# Karvelo Editor: the two commands a new machine needs.
#
#   make run    installs what is missing, builds the editor and starts it
#   make test   installs what is missing, builds everything and runs every test
#
# Further targets: test-sanitize (address + undefined behaviour), test-thread (ThreadSanitizer on
# the engine and MIDI tests), format, artwork.

BUILD_DIR      ?= build
SANITIZE_DIR   ?= build-sanitize
THREAD_DIR     ?= build-thread
JOBS           ?= $(shell nproc)
CMAKE_FLAGS    ?=

.PHONY: run test test-sanitize test-thread deps build format format-check artwork clean

deps:
	@scripts/install-deps

# Configures and builds one tree. Every build takes one lock, so two builds never share the cores.
define build_tree
	@mkdir -p $(1)
	@flock /tmp/karvelo-build.lock sh -c 'cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=$(2) $(3) $(CMAKE_FLAGS) >/dev/null && cmake --build $(1) -j $(JOBS) $(4)'
endef

build: deps
	$(call build_tree,$(BUILD_DIR),RelWithDebInfo,)

run: build
	@scripts/run-editor $(BUILD_DIR)

test: build
	@scripts/run-tests $(BUILD_DIR)

test-sanitize: deps
	$(call build_tree,$(SANITIZE_DIR),RelWithDebInfo,-DKARVELO_SANITIZE="address;undefined")
	@scripts/run-tests $(SANITIZE_DIR)

test-thread: deps
	$(call build_tree,$(THREAD_DIR),RelWithDebInfo,-DKARVELO_SANITIZE=thread,--target karvelo_engine_tests)
	@scripts/run-tests $(THREAD_DIR) -L threads

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

artwork:
	@scripts/render-artwork

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(THREAD_DIR)
