# The two commands of the README, and a few more for developers.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_TSAN ?= build-tsan
BUILD_FUZZ ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
LSAN_SUPP  := $(CURDIR)/scripts/lsan.supp

.PHONY: deps build run test test-asan test-tsan fuzz bench clean

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
	cd $(BUILD_TSAN) && ctest --output-on-failure -j $(JOBS) --timeout 600 -R 'Thread|Lock|OS'

# libFuzzer targets, built with clang; not part of CI.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQM_FUZZ=ON -DQM_SANITIZE=ON -DQM_BENCH=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS)

bench: build
	$(BUILD)/bench/qm_bench

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN) $(BUILD_FUZZ)
