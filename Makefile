# The two commands: `make run` and `make test`. Both set up a new machine first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
RUN_SECONDS ?= 30
CMAKE_GENERATOR ?= Ninja

.PHONY: run test bootstrap configure build check-format check-layers test-main test-sanitized test-threads fuzz bench clean

run: build
	./scripts/run-application $(BUILD) --seconds $(RUN_SECONDS)

test: check-format check-layers test-main test-sanitized

# Every C++ file as clang-format makes it (.clang-format).
check-format: bootstrap
	./scripts/check-format

# No include points up a layer (the rules are in ARCHITECTURE.md and scripts/check-layers).
check-layers:
	./scripts/check-layers

bootstrap:
	./scripts/bootstrap

configure: bootstrap
	cmake -S . -B $(BUILD) -G $(CMAKE_GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELLORIN_WERROR=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test-main: build
	ctest --test-dir $(BUILD) -L 'unit|integration|browser' --output-on-failure -j $(JOBS)
	./scripts/run-desktop-tests $(BUILD)

# The unit and integration tests again, and the fault matrix on the real desktop, under
# AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZER_OPTIONS = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
test-sanitized: bootstrap
	cmake -S . -B $(ASAN_BUILD) -G $(CMAKE_GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	  -DQUELLORIN_WERROR=ON -DQUELLORIN_SANITIZE=ON -DQUELLORIN_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	$(SANITIZER_OPTIONS) ctest --test-dir $(ASAN_BUILD) -L 'unit|integration' --output-on-failure -j $(JOBS)
	$(SANITIZER_OPTIONS) ./scripts/run-desktop-tests $(ASAN_BUILD) -R FaultMatrixDesktop

# The unit and integration tests again, under ThreadSanitizer (tsan.supp says what it leaves out, and why).
test-threads: bootstrap
	cmake -S . -B $(TSAN_BUILD) -G $(CMAKE_GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	  -DQUELLORIN_WERROR=ON -DQUELLORIN_SANITIZE=thread -DQUELLORIN_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	TSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/tsan.supp:second_deadlock_stack=1 \
	  ctest --test-dir $(TSAN_BUILD) -L 'unit|integration' --output-on-failure -j $(JOBS)

# libFuzzer targets under clang; each runs for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz: bootstrap
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G $(CMAKE_GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQUELLORIN_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	for target in $(FUZZ_BUILD)/tests/fuzz/fuzz_*; do \
	  [ -x "$$target" ] && "$$target" -max_total_time=$(FUZZ_SECONDS) || exit 1; done

bench: build
	for program in $(BUILD)/bench/bench_*; do [ -x "$$program" ] && "$$program" || exit 1; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
