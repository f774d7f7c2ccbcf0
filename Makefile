# The two entry points of the README, plus the pieces they are made of.
#   make demo   a real clean of a seeded Wine URL cache, with the result printed,
#               then the options dialog (on the display, or under Xvfb as a screenshot);
#               the 32-bit build where this machine runs it, else the 64-bit one
#   make test   every test: native, sanitizers, fuzzing (bounded), and for each
#               Windows architecture the Wine and GUI suites where it runs here,
#               its file checks everywhere (scripts/test-win.sh)
#   make dist   the release archives build/dist/ienorvane-VERSION-win32.zip and -win64.zip
# Both install what they need first (scripts/setup.sh, needs root on Debian),
# and setup records which architectures run here (scripts/win-archs.sh).
# NV_WIN_ARCHS=win64 narrows the Wine suites to the 64-bit build.

JOBS ?= 2
FUZZ_SECONDS ?= 60
DEMO_TARGETS = IENorvane plughost seedcache ienorvane nvguihost

.PHONY: demo test dist setup build-win build-native test-native test-asan test-win test-fuzz bench clean

demo: setup
	@preset=$$(scripts/win-archs.sh first) && \
	  cmake --preset $$preset >/dev/null && \
	  echo "demo: the $$(cat build/$$preset/nv-arch) build (preset $$preset), the first that runs on this machine" && \
	  cmake --build --preset $$preset -j$(JOBS) --target $(DEMO_TARGETS) && \
	  NV_BUILD=build/$$preset scripts/demo.sh && \
	  NV_BUILD=build/$$preset scripts/demo-dialog.sh

test: setup test-native test-asan test-win test-fuzz
	@echo "make test: every suite passed"

# Both archives; the 64-bit build first, since a 32-bit build that cannot run
# here takes its command line's help text from it.
dist: setup
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 -j$(JOBS) --target dist
	cmake --preset win >/dev/null
	cmake --build --preset win -j$(JOBS) --target dist

setup:
	@scripts/setup.sh

build-win:
	cmake --preset win >/dev/null
	cmake --build --preset win -j$(JOBS)
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 -j$(JOBS)

build-native:
	cmake --preset native >/dev/null
	cmake --build --preset native -j$(JOBS)

test-native: build-native
	ctest --preset native -j$(JOBS)

test-asan:
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j$(JOBS)
	ctest --preset asan -j$(JOBS)

# Each Windows build that runs here gets a fresh Wine prefix of its own.
test-win:
	scripts/test-win.sh $(JOBS)

test-fuzz:
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j$(JOBS)
	scripts/run-fuzzers.sh build/fuzz/bin $(FUZZ_SECONDS)

# The native benchmarks (build/bench) and, for each Windows build that runs
# here, the programs that the Wine timings in bench/*.sh run; bench/report.sh
# runs them all.
bench: setup
	cmake --preset bench >/dev/null
	cmake --build --preset bench -j$(JOBS)
	for preset in $$(scripts/win-archs.sh runnable); do \
	  cmake --preset $$preset >/dev/null && \
	  cmake --build --preset $$preset -j$(JOBS) --target IENorvane plughost seedcache nvguihost \
	    nvpreviewtiming nvmasktiming nvdeletetiming ienorvane || exit 1; \
	done

clean:
	rm -rf build
