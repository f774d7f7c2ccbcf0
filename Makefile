# The two entry points of the README, plus the pieces they are made of.
#   make demo   a real clean of a seeded Wine URL cache, with the result printed,
#               then the options dialog (on the display, or under Xvfb as a screenshot)
#   make test   every test: native, sanitizers, fuzzing (bounded), Wine and GUI
#   make dist   the release archive build/dist/ienorvane-VERSION-win32.zip
# Both install what they need first (scripts/setup.sh, needs root on Debian).

JOBS ?= 2
FUZZ_SECONDS ?= 60

.PHONY: demo test dist setup build-win build-native test-native test-asan test-win test-fuzz bench clean

demo: setup
	cmake --preset win >/dev/null
	cmake --build --preset win -j$(JOBS) --target IENorvane plughost seedcache ienorvane nvguihost
	scripts/demo.sh
	NV_BUILD=build/win scripts/demo-dialog.sh

test: setup test-native test-asan test-win test-fuzz
	@echo "make test: every suite passed"

dist: setup
	cmake --preset win >/dev/null
	cmake --build --preset win -j$(JOBS) --target dist

setup:
	@scripts/setup.sh

build-win:
	cmake --preset win >/dev/null
	cmake --build --preset win -j$(JOBS)

build-native:
	cmake --preset native >/dev/null
	cmake --build --preset native -j$(JOBS)

test-native: build-native
	ctest --preset native -j$(JOBS)

test-asan:
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j$(JOBS)
	ctest --preset asan -j$(JOBS)

# The Windows tests share one Wine prefix per run, made fresh each time.
test-win: build-win
	rm -rf build/win/wineprefix
	ctest --preset win -j$(JOBS)

test-fuzz:
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j$(JOBS)
	scripts/run-fuzzers.sh build/fuzz/bin $(FUZZ_SECONDS)

# The native benchmarks (build/bench) and the Windows programs that the Wine
# timings in bench/*.sh run (build/win); bench/report.sh runs them all.
bench:
	cmake --preset bench >/dev/null
	cmake --build --preset bench -j$(JOBS)
	cmake --preset win >/dev/null
	cmake --build --preset win -j$(JOBS) --target IENorvane plughost seedcache nvguihost nvpreviewtiming nvmasktiming \
	  nvdeletetiming ienorvane

clean:
	rm -rf build
