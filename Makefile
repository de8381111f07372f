# The two commands of the README, and a few more for developers.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_TSAN ?= build-tsan
BUILD_FUZZ ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
LSAN_SUPP  := $(CURDIR)/scripts/lsan.supp
TSAN_SUPP  := $(CURDIR)/scripts/tsan.supp

.PHONY: deps configure build game run soak test asan-build test-asan test-tsan fuzz fuzz-run fuzz-check bench clean

deps:
	@scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Everything: the program, the sample data, the tests and the benchmarks.
build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only what run and soak start: the program, and the sample data with the
# writer that makes it.
game: configure
	cmake --build $(BUILD) -j $(JOBS) --target quillmere sample_data

# The sample game from its main menu. In a window when a display is present;
# otherwise RUN_FRAMES headless frames with the sample's scripted input (it
# chooses "NewGame" in the menu, the map loads with its loading screen and
# the player walks) and a screenshot of the last one, failing when the log
# ($(BUILD)/run.log) holds an error.
RUN_FRAMES ?= 450
run: game
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		$(BUILD)/quillmere; \
	else \
		$(BUILD)/quillmere --headless --frames $(RUN_FRAMES) --input $(BUILD)/sample/input.txt \
			--capture $(BUILD)/last-frame.png > $(BUILD)/run.log 2>&1 \
		&& ! grep -q '^\[Error' $(BUILD)/run.log \
		|| { echo "run: failed; see $(BUILD)/run.log" >&2; exit 1; }; \
		echo "run: $(BUILD)/last-frame.png written, log in $(BUILD)/run.log"; \
	fi

# The sample game headless for SOAK_FRAMES frames with the scripted input
# (the main menu, then the map).
# Fails when either log holds an error, or when any pool's figures differ
# from those of a shorter run of SOAK_REF_FRAMES frames: its use after the
# run, its largest use during the run and its use when it was last emptied.
# The scripted input leaves the player by the middle guard, who fells it:
# the map starts again once, a little before frame 1200, and the player
# then stands at its start for good. The reference run holds that restart
# and what follows it, so both runs end in the same state and only growth
# frame by frame tells them apart. Logs in $(BUILD)/soak*.log; not part of
# CI.
SOAK_FRAMES ?= 100000
SOAK_REF_FRAMES ?= 3000
SOAK_RUN = $(BUILD)/quillmere --headless --pool-report --input $(BUILD)/sample/input.txt
soak: game
	@set -e; \
	$(SOAK_RUN) --frames $(SOAK_REF_FRAMES) > $(BUILD)/soak-start.log 2>&1; \
	start=$$(date +%s%N); \
	$(SOAK_RUN) --frames $(SOAK_FRAMES) > $(BUILD)/soak.log 2>&1; \
	echo "soak: $(SOAK_FRAMES) frames in $$(( ($$(date +%s%N) - start) / 1000000 )) ms"; \
	if grep -h '^\[Error' $(BUILD)/soak-start.log $(BUILD)/soak.log; then \
		echo "soak: errors logged" >&2; exit 1; fi; \
	grep 'quillmere: pool ' $(BUILD)/soak-start.log > $(BUILD)/soak-start.pools; \
	grep 'quillmere: pool ' $(BUILD)/soak.log > $(BUILD)/soak.pools; \
	diff $(BUILD)/soak-start.pools $(BUILD)/soak.pools \
		|| { echo "soak: a pool's use differs from that of the $(SOAK_REF_FRAMES)-frame run" >&2; exit 1; }; \
	echo "soak: no errors; every pool's figures are those of the $(SOAK_REF_FRAMES)-frame run"

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# The AddressSanitizer and UndefinedBehaviorSanitizer build is clang's, so
# that the fuzz targets come out of it beside the tests and fuzz-check
# replays their seeds without a build of its own.
# A folder configured before with another compiler is configured afresh:
# CMake would otherwise drop the options given with the new compiler.
asan-build: deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=Debug -DQM_SANITIZE=ON -DQM_FUZZ_REPLAY=ON -DQM_BENCH=OFF \
		$$(test -f $(BUILD_ASAN)/CMakeCache.txt && ! grep -q '^CMAKE_CXX_COMPILER:.*clang++$$' $(BUILD_ASAN)/CMakeCache.txt && echo --fresh)
	cmake --build $(BUILD_ASAN) -j $(JOBS)

test-asan: asan-build
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		LSAN_OPTIONS=suppressions=$(LSAN_SUPP) \
		ctest --output-on-failure -j $(JOBS) --timeout 600

test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQM_TSAN=ON -DQM_BENCH=OFF
	cmake --build $(BUILD_TSAN) -j $(JOBS)
	cd $(BUILD_TSAN) && TSAN_OPTIONS=suppressions=$(TSAN_SUPP):halt_on_error=1:second_deadlock_stack=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 900

# libFuzzer targets, built with clang, with their seed corpora, every layer
# instrumented for coverage; fuzz-run is left to people. CI replays each seed
# once (fuzz-check) from the sanitizer build instead.
FUZZ_TARGETS := load movie card settings game save
SECONDS      ?= 60
FUZZ_WORKERS ?= 1
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQM_FUZZ=ON -DQM_SANITIZE=ON -DQM_BENCH=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS)

# Runs each target for SECONDS (FUZZ_WORKERS processes each); any crash,
# leak or timeout fails the run and leaves its input in
# $(BUILD_FUZZ)/findings/<target>/. The corpus grows in
# $(BUILD_FUZZ)/corpus/<target>/, seeded from datagen's.
fuzz-run: fuzz
	@set -e; for t in $(FUZZ_TARGETS); do \
		mkdir -p $(BUILD_FUZZ)/corpus/$$t $(BUILD_FUZZ)/findings/$$t; \
		echo "fuzz-run: $$t for $(SECONDS) s"; \
		( cd $(BUILD_FUZZ)/findings/$$t && \
		  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		  LSAN_OPTIONS=suppressions=$(LSAN_SUPP) \
		  $(CURDIR)/$(BUILD_FUZZ)/tests/fuzz/qm_fuzz_$$t -max_total_time=$(SECONDS) -timeout=10 -rss_limit_mb=4096 \
			-workers=$(FUZZ_WORKERS) -jobs=$(FUZZ_WORKERS) -print_final_stats=1 \
			-artifact_prefix=$(CURDIR)/$(BUILD_FUZZ)/findings/$$t/ \
			$(CURDIR)/$(BUILD_FUZZ)/corpus/$$t $(CURDIR)/$(BUILD_FUZZ)/fuzz-seeds/$$t ) \
		|| { echo "fuzz-run: $$t found a fault; see $(BUILD_FUZZ)/findings/$$t" >&2; exit 1; }; \
	done

# Each target over its seed corpus once: the harnesses build under clang and
# every seed loads cleanly under the sanitizers. The targets are those of the
# sanitizer build (test-asan's), whose layers carry no coverage.
fuzz-check: asan-build
	@set -e; for t in $(FUZZ_TARGETS); do \
		log=$(BUILD_ASAN)/fuzz-check-$$t.log; \
		if ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		   LSAN_OPTIONS=suppressions=$(LSAN_SUPP) \
		   $(BUILD_ASAN)/tests/fuzz/qm_fuzz_$$t -runs=0 -timeout=10 $(BUILD_ASAN)/fuzz-seeds/$$t > $$log 2>&1; \
		then echo "fuzz-check: $$t: every seed ran clean"; \
		else tail -40 $$log; echo "fuzz-check: $$t failed on a seed" >&2; exit 1; fi; \
	done

bench: build
	$(BUILD)/bench/qm_bench

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN) $(BUILD_FUZZ)
