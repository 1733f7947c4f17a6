# Karvelo Editor: the two commands a new machine needs.
#
#   make run    installs what is missing, builds the editor and starts it
#   make test   installs what is missing, builds everything and runs every test
#
# Further targets: test-sanitize (address + undefined behaviour), test-thread (ThreadSanitizer on
# the engine and MIDI tests), fuzz and fuzz-smoke, format, artwork, architecture (the picture of the
# layers), package, install-package and check-package; screenshots and user-guide.
#
# make fuzz builds the libFuzzer targets in fuzz/ with clang-14 and the address and undefined-
# behaviour sanitizers (tree build-fuzz) and runs each for FUZZ_SECONDS (60) on its corpus; findings
# land in fuzz/artifacts/ and fail the target. make fuzz-smoke is the same with 10 s each, for CI.

BUILD_DIR      ?= build
SANITIZE_DIR   ?= build-sanitize
THREAD_DIR     ?= build-thread
FUZZ_DIR       ?= build-fuzz
FUZZ_SECONDS   ?= 60
JOBS           ?= $(shell nproc)
CMAKE_FLAGS    ?=

.PHONY: run test test-sanitize test-thread deps build fuzz fuzz-smoke fuzz-build bench soak format format-check artwork architecture \
        screenshots user-guide \
        package install-package check-package clean

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

# The fuzzers' own tree: clang with libFuzzer, both sanitizers on everything, no tests.
FUZZ_CMAKE_FLAGS = -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DKARVELO_BUILD_FUZZERS=ON \
                   -DKARVELO_BUILD_TESTS=OFF -DKARVELO_SANITIZE="address;undefined"

fuzz-build:
	@scripts/install-deps --fuzz
	$(call build_tree,$(FUZZ_DIR),RelWithDebInfo,$(FUZZ_CMAKE_FLAGS),--target karvelo_fuzzers)

fuzz: fuzz-build
	@scripts/run-fuzzers $(FUZZ_DIR) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	@scripts/run-fuzzers $(FUZZ_DIR) 10

# Benchmarks: the editor against a bare JUCE window, and its share of a transfer (docs/performance.md).
BENCH_RUNS     ?= 9

bench: deps
	@scripts/install-deps --bench
	$(call build_tree,$(BUILD_DIR),RelWithDebInfo,-DKARVELO_BUILD_BENCH=ON,)
	@scripts/run-benchmarks $(BUILD_DIR) $(BENCH_RUNS)

# Ten minutes of the whole editor under the address sanitizer (docs/reliability.md).
SOAK_SECONDS   ?= 600

soak: deps
	$(call build_tree,$(SANITIZE_DIR),RelWithDebInfo,-DKARVELO_SANITIZE="address;undefined",--target karvelo_soak)
	@xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -nolisten tcp" $(SANITIZE_DIR)/soak/karvelo_soak $(SOAK_SECONDS)

# The Debian package, from the main build tree: only what is installed is built, then CPack lays it
# out (binaries stripped) and leaves build/karvelo-editor_<version>_<arch>.deb.
package: deps
	@scripts/install-deps --package
	$(call build_tree,$(BUILD_DIR),RelWithDebInfo,,--target karvelo_installed)
	@rm -f $(BUILD_DIR)/karvelo-editor_*.deb
	@cd $(BUILD_DIR) && cpack -G DEB >cpack.log 2>&1 || { cat cpack.log; exit 1; }
	@ls $(BUILD_DIR)/karvelo-editor_*.deb

install-package: package
	@$(if $(filter 0,$(shell id -u)),,sudo) apt-get install -y "$(abspath $(wildcard $(BUILD_DIR)/karvelo-editor_*.deb))"

# Checks the package without installing it (CI).
check-package: package
	@scripts/check-package $(BUILD_DIR)/karvelo-editor_*.deb

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Also checks that no include goes the wrong way between the layers (docs/architecture.md).
format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
	@scripts/check-layers

artwork:
	@scripts/render-artwork

architecture:
	@scripts/render-architecture

# The pictures of the guide and the README, taken from the program (docs/screenshots), and the user
# guide's PDF rendered with them (docs/user-guide).
screenshots: deps
	@scripts/take-screenshots $(BUILD_DIR)

user-guide: deps
	@scripts/render-user-guide $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(THREAD_DIR) $(FUZZ_DIR)
