# Two commands for a fresh machine: `make run` and `make test`.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
# Qt and the font libraries keep memory until exit on purpose: leaks are not
# what this run looks for; every other finding ends the test that made it.
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
                UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: all setup configure build run test sanitize fuzz bench install deb deb-test clean

all: build

setup:
	@scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD_DIR) -DQUORBEL_BUILD_BENCH=ON >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD_DIR)/quorbel

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

sanitize: setup
	@cmake -S . -B $(SANITIZE_DIR) -DQUORBEL_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS) --target quorbel_tests
	@cd $(SANITIZE_DIR) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

# libFuzzer targets (clang, with AddressSanitizer and UndefinedBehaviorSanitizer),
# each run for FUZZ_SECONDS from the seeds in fuzz/seeds and tests/corpora.
FUZZ_FLAGS = -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
fuzz: setup
	@cmake -S . -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++ -DQUORBEL_FUZZ=ON -DQUORBEL_BUILD_TESTS=OFF \
	       "-DCMAKE_CXX_FLAGS=$(FUZZ_FLAGS)" >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target quorbel_fuzzers
	@fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# Installs under /usr/local (or PREFIX=...); run with sudo when that folder is not yours.
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# A Debian package of the build in $(BUILD_DIR), which is reused as it is.
deb: build
	@cd $(BUILD_DIR) && cpack -G DEB

# The package unpacked into a scratch root: its files are there and the
# program in it answers --version.
deb-test: deb
	@scripts/check_deb.sh $(BUILD_DIR)

bench: build
	@for b in $(BUILD_DIR)/bench/*_bench; do echo "== $$b"; $$b; done

clean:
	@rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
