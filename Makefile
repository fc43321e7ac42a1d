# Two set-up commands: `make run` and `make test`; both install what is missing first.
PACKAGES := cmake make g++ qt6-base-dev qt6-qpa-plugins libgl-dev libgtest-dev libgmock-dev \
            libbenchmark-dev xvfb xdotool imagemagick fonts-dejavu-core desktop-file-utils
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS := $(shell nproc)
BUILD := build
ASAN_BUILD := build-asan

.PHONY: all deps build build-asan run test test-release test-asan bench clean package format-check fuzz

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DTIRVOK_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTIRVOK_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)

run: build
	./$(BUILD)/src/tirvok3

test-release: build
	cd $(BUILD) && ctest --output-on-failure

test-asan: build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure

test: test-release test-asan

bench: build
	./$(BUILD)/bench/tirvok3_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)

# A Debian package of the Release build (program, desktop entry, icon) in $(BUILD)/.
package: build
	cd $(BUILD) && cpack -G DEB

# Fails when any source file differs from what clang-format makes of it (.clang-format).
FORMAT_FILES = $(shell find src tests bench -name '*.cpp' -o -name '*.h')
format-check:
	@command -v clang-format >/dev/null 2>&1 || { $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq clang-format; }
	clang-format --dry-run --Werror $(FORMAT_FILES)

# Coverage-guided fuzzing: each target in fuzz/ runs FUZZ_SECONDS, one at a time, on a copy of its
# seed corpus (the committed corpus stays as it is); findings land in $(FUZZ_BUILD)/findings/.
FUZZ_SECONDS ?= 300
FUZZ_BUILD := build-fuzz
FUZZ_TARGETS := engine_events canvas_calls
FUZZ_PACKAGES := clang libclang-rt-dev
fuzz: deps
	@missing=""; for p in $(FUZZ_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIRVOK_FUZZ=ON \
	  -DTIRVOK_TESTS=OFF -DTIRVOK_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@mkdir -p $(FUZZ_BUILD)/findings
	@set -e; for t in $(FUZZ_TARGETS); do \
	  rm -rf $(FUZZ_BUILD)/corpus/$$t && mkdir -p $(FUZZ_BUILD)/corpus/$$t && cp fuzz/corpus/$$t/* $(FUZZ_BUILD)/corpus/$$t/; \
	  echo "== $$t: $(FUZZ_SECONDS) s"; \
	  QT_QPA_PLATFORM=offscreen ./$(FUZZ_BUILD)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/findings/$$t- $(FUZZ_BUILD)/corpus/$$t; \
	done
