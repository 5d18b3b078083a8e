# The two commands of the README. Both install missing Debian packages first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: demo test build deps sanitize clean

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	cmake --build $(BUILD) --target run-demo

test: build
	cd $(BUILD) && ctest --output-on-failure -j 2
	# The JSON-to-menu fuzzer, instrumented, for a bounded time.
	BRIX_FUZZ_BUILD=$(BUILD)-fuzz scripts/run-fuzz 60

# Optional: the C++ suites again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Debug -DBRIX_SANITIZE=ON
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ctest --output-on-failure -j 2

clean:
	rm -rf $(BUILD) $(BUILD)-asan
