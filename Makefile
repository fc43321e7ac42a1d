# Two set-up commands: `make run` and `make test`; both install what is missing first.
PACKAGES := cmake make g++ qt6-base-dev qt6-qpa-plugins libgl-dev libgtest-dev libgmock-dev \
            libbenchmark-dev xvfb xdotool imagemagick fonts-dejavu-core desktop-file-utils
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS := $(shell nproc)
BUILD := build
ASAN_BUILD := build-asan

.PHONY: all deps build build-asan run test test-release test-asan bench clean package format-check

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
