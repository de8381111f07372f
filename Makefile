# The two commands of the README, and a few more for developers.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_TSAN ?= build-tsan
BUILD_FUZZ ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
LSAN_SUPP  := $(CURDIR)/scripts/lsan.supp
TSAN_SUPP  := $(CURDIR)/scripts/tsan.supp

.PHONY: deps build run test test-asan test-tsan fuzz fuzz-run bench clean

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

# In a window when a display is present; otherwise 300 headless frames and a
# screenshot of the last one.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		$(BUILD)/quillmere; \
	else \
		$(BUILD)/quillmere --headless --frames 300 --capture $(BUILD)/last-frame.png; \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

test-asan: deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQM_SANITIZE=ON -DQM_BENCH=OFF
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		LSAN_OPTIONS=suppressions=$(LSAN_SUPP) \
		ctest --output-on-failure -j $(JOBS) --timeout 600

test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQM_TSAN=ON -DQM_BENCH=OFF
	cmake --build $(BUILD_TSAN) -j $(JOBS)
	cd $(BUILD_TSAN) && TSAN_OPTIONS=suppressions=$(TSAN_SUPP):halt_on_error=1:second_deadlock_stack=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 900

# libFuzzer targets, built with clang, with their seed corpora; not part of CI.
FUZZ_TARGETS := load movie card settings
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

bench: build
	$(BUILD)/bench/qm_bench

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN) $(BUILD_FUZZ)
