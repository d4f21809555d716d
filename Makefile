# The project's commands. `make demo` and `make test` work on a fresh machine:
# they install what is missing first (scripts/setup.sh).
JOBS ?= $(shell nproc)
BUILD ?= build
SAN_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
FUZZ_SECONDS ?= 60
PORT ?= 8080

.PHONY: all setup build test unit fuzz e2e example sanitize tsan bench demo format clean

all: build

setup:
	@bash scripts/setup.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

# Everything: unit and integration tests, the fuzz runs, the browser tests.
test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	$(MAKE) --no-print-directory fuzz
	$(MAKE) --no-print-directory e2e
	$(MAKE) --no-print-directory example

unit: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

fuzz: setup
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DZQ_BUILD_FUZZ=ON -DZQ_BUILD_TESTS=OFF -DZQ_BUILD_DEMO=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	bash scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

e2e: build
	@if [ -f e2e/package.json ]; then bash scripts/run-e2e.sh $(BUILD); else echo "e2e: no browser tests yet"; fi

# examples/hello built against the library installed into a scratch prefix.
example: build
	bash scripts/check-install.sh $(BUILD)

sanitize: setup
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZQ_SANITIZE=ON -DZQ_BUILD_DEMO=OFF
	cmake --build $(SAN_BUILD) -j$(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

tsan: setup
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DZQ_TSAN=ON -DZQ_BUILD_DEMO=OFF
	cmake --build build-tsan -j$(JOBS)
	cd build-tsan && TSAN_OPTIONS="halt_on_error=0 suppressions=$(CURDIR)/scripts/tsan.supp" ctest --output-on-failure -j$(JOBS)

bench: setup
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DZQ_BUILD_BENCH=ON -DZQ_BUILD_TESTS=OFF -DZQ_BUILD_DEMO=OFF
	cmake --build $(BENCH_BUILD) -j$(JOBS)
	bash scripts/run-bench.sh $(BENCH_BUILD)

demo: build
	@if [ -x $(BUILD)/demo/zq_demo ]; then $(BUILD)/demo/zq_demo --port $(PORT) --webroot webroot; else echo "demo: not built yet"; exit 1; fi

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) build-tsan
