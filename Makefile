# The two commands of the README. Both install missing Debian packages first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: demo demo-live test build deps sanitize bench bench-live clean configure docs java install-java

deps:
	./scripts/install-deps

# Warnings are errors here and in CI; a plain cmake build (a user's packaging) leaves them
# warnings, so that a newer compiler's new warning does not break it.
build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIX_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIX_WERROR=ON

# The Javadoc of ixa and ixa.testkit in $(BUILD)/docs/api (and $(BUILD)/ixa-javadoc.jar); a
# public class or method without its comment fails it.
docs: configure
	cmake --build $(BUILD) -j $(JOBS) --target docs

# The Java artefacts: $(BUILD)/ixa.jar, $(BUILD)/ixa-testkit.jar, $(BUILD)/ixa-javadoc.jar.
java: configure
	cmake --build $(BUILD) -j $(JOBS) --target java-artefacts

# The Java artefacts installed in a Maven repository's layout as ixa:ixa and ixa:ixa-testkit.
M2_REPO ?= $(HOME)/.m2/repository
install-java: configure
	M2_REPO="$(M2_REPO)" cmake --build $(BUILD) -j $(JOBS) --target install-java

demo: build
	cmake --build $(BUILD) --target run-demo

# The tour on the X11 display, with screenshots taken from the X server added to the gallery; on
# a private Xvfb when DISPLAY is not set.
# WM=openbox, metacity, xfwm4 or mutter: the tour under that window manager.
demo-live: build
	scripts/demo-live $(BUILD) $(WM)

# Every suite of the normal build, then every suite again under the sanitizers, then the fuzzer.
# The suites on a real X server (ctest label "live") run after the others, alone, and a failing
# one runs once more: AWT's own answers about focus and its frame's place come late on a busy
# machine, and now and then in an order it does not recover from (README, "Your Swing windows on
# the X server"). A failure both times fails the command.
LIVE_CTEST = ctest --output-on-failure -L live --repeat until-pass:2

test: build
	cd $(BUILD) && ctest --output-on-failure -j 2 -LE live
	cd $(BUILD) && $(LIVE_CTEST)
	$(MAKE) sanitize
	# The JSON-to-menu fuzzer, instrumented, for a bounded time.
	BRIX_FUZZ_BUILD=$(BUILD)-fuzz scripts/run-fuzz 60

# The C++ suites, the Java suite and the export check, built with AddressSanitizer (with
# LeakSanitizer) and UndefinedBehaviorSanitizer. Any report fails the test that caused it; the
# runtime options are in each test's environment (see CMakeLists.txt), so ctest run by hand in
# $(BUILD)-asan behaves the same.
sanitize: deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Debug -DBRIX_SANITIZE=ON -DBRIX_WERROR=ON \
	  -DBRIX_BENCHMARKS=OFF
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ctest --output-on-failure -j 2 -LE live
	cd $(BUILD)-asan && $(LIVE_CTEST)

# Every benchmark program, built with the benchmarks on, then one table of all results.
bench: deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIX_BENCHMARKS=ON
	cmake --build $(BUILD)-bench -j $(JOBS)
	scripts/run-bench $(BUILD)-bench

# The Java harness alone, on a private Xvfb: showMacDialog against JOptionPane.showMessageDialog
# until drawn on the server, and a real click until its upcall (make bench has it in its table).
bench-live: deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIX_BENCHMARKS=ON
	cmake --build $(BUILD)-bench -j $(JOBS) --target live-harness

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-fuzz $(BUILD)-bench
