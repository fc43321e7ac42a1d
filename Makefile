# Two set-up commands: `make run` and `make test`; both install the Debian packages they miss first.
MAKEFLAGS += --no-print-directory
# Building and running the program.
RUN_PACKAGES := cmake make g++ qt6-base-dev qt6-qpa-plugins qt6-wayland libgl-dev libxkbcommon-dev \
                fonts-dejavu-core
# Everything `make test` adds: test libraries, X and Wayland servers, screenshot and metadata checkers.
TEST_PACKAGES := $(RUN_PACKAGES) libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool x11-utils \
                 wmctrl imagemagick weston openbox locales-all desktop-file-utils appstream mandoc \
                 orca speech-dispatcher speech-dispatcher-espeak-ng espeak-ng at-spi2-core python3-pyatspi dbus
# What `make package` and `make lintian` add: dpkg-shlibdeps, file (for CPack) and lintian.
PACKAGE_PACKAGES := $(RUN_PACKAGES) dpkg-dev file lintian

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS := $(shell nproc)
BUILD := build
ASAN_BUILD := build-asan
APT_LOG := $(CURDIR)/$(BUILD)/apt.log
# Qt and its build tools (rcc, moc) complain in a non-UTF-8 locale, which a bare machine without LANG has.
UTF8 := $(if $(LANG)$(LC_ALL),,LANG=C.UTF-8 )
CMAKE_BUILD := $(UTF8)cmake --build
# File times the build writes (the package's members) are the last commit's, so a rebuild of the same
# commit gives the same bytes; a SOURCE_DATE_EPOCH from the environment wins.
ifeq ($(origin SOURCE_DATE_EPOCH),undefined)
SOURCE_DATE_EPOCH := $(shell git log -1 --format=%ct 2>/dev/null)
endif
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif
# Configure prints warnings and errors only.
CMAKE_CONFIGURE := cmake -S . --log-level=NOTICE -DCMAKE_BUILD_TYPE=Release

.PHONY: all deps-run deps-test deps-package build-app build build-asan run test test-release test-asan \
        bench clean package lintian reproducible-check format-check fuzz

all: build

# Where there is no apt (Fedora, Arch, openSUSE, ...), one line names what to install there, and the build
# goes on with what is installed.
OTHER_DISTROS := tirvok3: no apt-get here, so nothing is installed; the build needs, with its tests: \
  Fedora: dnf install cmake make gcc-c++ qt6-qtbase-devel qt6-qtwayland gtest-devel gmock-devel \
  google-benchmark-devel xorg-x11-server-Xvfb xdotool xwininfo wmctrl ImageMagick weston openbox \
  desktop-file-utils appstream mandoc dejavu-sans-fonts | Arch: pacman -S cmake make gcc qt6-base qt6-wayland \
  gtest benchmark xorg-server-xvfb xdotool xorg-xwininfo wmctrl imagemagick weston openbox desktop-file-utils \
  appstream mandoc ttf-dejavu | openSUSE: zypper install cmake make gcc-c++ qt6-base-devel qt6-wayland googletest-devel \
  google-benchmark-devel xorg-x11-server-Xvfb xdotool xwininfo wmctrl ImageMagick weston openbox \
  desktop-file-utils AppStream mandoc dejavu-fonts

# $(call apt_install,packages): installs the ones not installed yet, one line of output, the apt log on failure.
define apt_install
	@if ! command -v apt-get >/dev/null 2>&1 || ! command -v dpkg-query >/dev/null 2>&1; then \
	  echo "$(OTHER_DISTROS)"; exit 0; \
	fi; \
	missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  mkdir -p $(BUILD); \
	  printf 'Installing Debian packages (and what they need):%s\n' "$$missing"; \
	  if { $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update && \
	       $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	     } >$(APT_LOG) 2>&1; then \
	    grep -E '^(Need to get|[0-9]+ upgraded)' $(APT_LOG) | sed 's/^/  /'; \
	  else \
	    cat $(APT_LOG); echo "apt-get failed; its output is above and in $(APT_LOG)" >&2; exit 1; \
	  fi; \
	fi
endef

deps-run:
	$(call apt_install,$(RUN_PACKAGES))

deps-test:
	$(call apt_install,$(TEST_PACKAGES))

deps-package:
	$(call apt_install,$(PACKAGE_PACKAGES))

# The program alone; a build directory that `make test` configured keeps its tests.
build-app: deps-run
	@[ -f $(BUILD)/CMakeCache.txt ] || $(CMAKE_CONFIGURE) -B $(BUILD) -DTIRVOK_TESTS=OFF -DTIRVOK_BENCH=OFF
	$(CMAKE_BUILD) $(BUILD) --target tirvok3 -j $(JOBS)

build: deps-test
	$(CMAKE_CONFIGURE) -B $(BUILD) -DTIRVOK_TESTS=ON -DTIRVOK_BENCH=ON
	$(CMAKE_BUILD) $(BUILD) -j $(JOBS)

build-asan: deps-test
	$(CMAKE_CONFIGURE) -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTIRVOK_SANITIZE=ON
	$(CMAKE_BUILD) $(ASAN_BUILD) -j $(JOBS)

run: build-app
	$(UTF8)./$(BUILD)/src/tirvok3

test-release: build
	cd $(BUILD) && ctest --output-on-failure

test-asan: build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure

test: test-release test-asan

bench: build
	./$(BUILD)/bench/tirvok3_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WINDOWS_BUILD) $(WEB_BUILD) build-cross

# The Windows program, cross-built with Debian's mingw-w64: one static $(WINDOWS_BUILD)/Tirvok3.exe.
# python3 packs the icon.
.PHONY: windows
WINDOWS_BUILD := build-windows
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake make python3
windows:
	$(call apt_install,$(WINDOWS_PACKAGES))
	@[ -f $(WINDOWS_BUILD)/CMakeCache.txt ] || $(CMAKE_CONFIGURE) -B $(WINDOWS_BUILD) \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DTIRVOK_TESTS=OFF -DTIRVOK_BENCH=OFF
	$(CMAKE_BUILD) $(WINDOWS_BUILD) --target tirvok3 -j $(JOBS)

# A Debian package of the Release build in $(BUILD)/; `make lintian` checks it. CPack gives the .deb's
# members the modes its scratch files get, so it runs under umask 022, as dpkg-buildpackage does.
package: deps-package build-app
	cd $(BUILD) && umask 022 && cpack -G DEB
# lintian, pedantic, fails on any error or warning and on any tag of a missing protection or of what a
# stripped binary should not carry; then hardening-check on the packaged program fails on any "no".
LINT_TAGS := hardening-|binary-has-unneeded-section
lintian: package
	$(call apt_install,devscripts)
	@lintian --info --display-info --pedantic --fail-on error,warning $(BUILD)/tirvok3_*.deb >$(BUILD)/lintian.log; \
	  status=$$?; cat $(BUILD)/lintian.log; [ $$status = 0 ] || exit $$status; \
	  if grep -E ': ($(LINT_TAGS))' $(BUILD)/lintian.log >/dev/null; then echo "lintian: hardening tags above" >&2; exit 1; fi
	@rm -rf $(BUILD)/deb-root && dpkg-deb -x $(BUILD)/tirvok3_*.deb $(BUILD)/deb-root
	@tests/hardening-check.sh $(BUILD)/deb-root/usr/bin/tirvok3 $(CXX)

# Builds the package twice from clones of the current commit (other folder, time, umask and language)
# and fails unless the two are the same bytes; needs no other build.
reproducible-check: deps-package
	$(call apt_install,git diffoscope-minimal locales-all)
	tests/reproducible-check.sh

# Fails when any source file differs from what clang-format makes of it (.clang-format).
FORMAT_FILES = $(shell find src tests bench fuzz -name '*.cpp' -o -name '*.h')
format-check:
	$(call apt_install,clang-format)
	clang-format --dry-run --Werror $(FORMAT_FILES)

# Coverage-guided fuzzing: each target in fuzz/ runs FUZZ_SECONDS, one at a time, on a copy of its
# seed corpus (the committed corpus stays as it is); findings land in $(FUZZ_BUILD)/findings/.
FUZZ_SECONDS ?= 300
FUZZ_BUILD := build-fuzz
FUZZ_TARGETS := engine_events canvas_calls
FUZZ_PACKAGES := clang libclang-rt-dev
fuzz: deps-test
	$(call apt_install,$(FUZZ_PACKAGES))
	CC=clang CXX=clang++ $(UTF8)cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIRVOK_FUZZ=ON \
	  -DTIRVOK_TESTS=OFF -DTIRVOK_BENCH=OFF
	$(CMAKE_BUILD) $(FUZZ_BUILD) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@mkdir -p $(FUZZ_BUILD)/findings
	@set -e; for t in $(FUZZ_TARGETS); do \
	  rm -rf $(FUZZ_BUILD)/corpus/$$t && mkdir -p $(FUZZ_BUILD)/corpus/$$t && cp fuzz/corpus/$$t/* $(FUZZ_BUILD)/corpus/$$t/; \
	  echo "== $$t: $(FUZZ_SECONDS) s"; \
	  QT_QPA_PLATFORM=offscreen ./$(FUZZ_BUILD)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/findings/$$t- $(FUZZ_BUILD)/corpus/$$t; \
	done

# The Windows program's tests: its engine suites and the shell's fallbacks cross-built and run under Wine
# through ctest, and the Linux build's real-window tests driving `wine Tirvok3.exe` on their own Xvfb,
# with openbox and with no window manager. Every Wine process of the build's prefix is stopped at the
# end, whether the tests passed or not. A failed test is a fault to find: nothing runs twice.
.PHONY: test-windows
WINE_PACKAGES := wine wine64 fonts-wine
test-windows: build windows
	$(call apt_install,$(WINE_PACKAGES))
	$(UTF8)cmake -S . -B $(WINDOWS_BUILD) --log-level=NOTICE -DTIRVOK_TESTS=ON \
	  -DTIRVOK_HOST_TESTS=$(CURDIR)/$(BUILD)/tests
	$(CMAKE_BUILD) $(WINDOWS_BUILD) -j $(JOBS)
	cd $(WINDOWS_BUILD) && ctest --output-on-failure; status=$$?; \
	  $(CURDIR)/tests/wine.sh $(CURDIR)/$(WINDOWS_BUILD)/wine-prefix --stop; exit $$status

# Another Debian architecture (ARCH=arm64, armhf, ppc64el or s390x): cross-built with Debian's cross
# compiler against a sysroot of that architecture's packages in build-cross/ARCH (the machine's own
# packages stay as they are), then every unit and offscreen GUI test under qemu-user.
.PHONY: test-cross
ARCH ?= arm64
CROSS_TRIPLETS := arm64:aarch64-linux-gnu armhf:arm-linux-gnueabihf ppc64el:powerpc64le-linux-gnu \
                  s390x:s390x-linux-gnu
CROSS_TRIPLET = $(patsubst $(ARCH):%,%,$(filter $(ARCH):%,$(CROSS_TRIPLETS)))
CROSS_DIR = build-cross/$(ARCH)
test-cross:
	@[ -n "$(CROSS_TRIPLET)" ] || { echo "ARCH must be one of: arm64 armhf ppc64el s390x" >&2; exit 1; }
	$(call apt_install,cmake make qt6-base-dev qemu-user-static dpkg-dev g++-$(CROSS_TRIPLET))
	tests/cross-sysroot.sh $(ARCH) $(CROSS_DIR)
	$(UTF8)$(CMAKE_CONFIGURE) -B $(CROSS_DIR)/build -DCMAKE_TOOLCHAIN_FILE=cmake/cross-linux.cmake \
	  -DTIRVOK_CROSS_ARCH=$(ARCH) -DTIRVOK_SYSROOT=$(CURDIR)/$(CROSS_DIR)/sysroot -DTIRVOK_BENCH=OFF
	$(CMAKE_BUILD) $(CROSS_DIR)/build -j $(JOBS)
	cd $(CROSS_DIR)/build && ctest --output-on-failure

# The browser page: the engine as WebAssembly (Debian's clang for wasm32-wasi, the release's own
# version: 14 on Debian 12, 19 on Debian 13), the page and its JS module in one self-contained
# $(WEB_BUILD)/tirvok3.html, and $(WEB_BUILD)/site/ for any static web host: the page as index.html, its
# web app manifest, icons and service worker (installable, works offline after the first visit).
.PHONY: web test-web deps-npm
WEB_BUILD := build-web
# Asked of apt once, and only by the targets that need it; in the C locale, as apt translates "Depends".
WEB_LLVM = $(eval WEB_LLVM := $$(shell LC_ALL=C apt-cache depends clang 2>/dev/null | \
             sed -n 's/^ *Depends: clang-\([0-9][0-9]*\)$$$$/\1/p' | head -n 1))$(WEB_LLVM)
WEB_PACKAGES = cmake make python3 clang-$(WEB_LLVM) lld-$(WEB_LLVM) llvm-$(WEB_LLVM) wasi-libc \
               libc++-$(WEB_LLVM)-dev-wasm32 libc++abi-$(WEB_LLVM)-dev-wasm32 libclang-rt-$(WEB_LLVM)-dev-wasm32
# The engine suites run under node; the page in three browsers, driven from Debian's python3: Chromium,
# Firefox ESR, and WebKitGTK's MiniBrowser (Safari's engine) through WebKitWebDriver on Xvfb; axe-core
# (from npm, this version) checks the page's accessibility.
WEB_TEST_PACKAGES := googletest nodejs chromium firefox-esr python3-websockets fonts-dejavu-core \
                     libwebkit2gtk-4.1-0 webkit2gtk-driver xvfb
AXE := axe-core@4.14.1
WEB_CONFIGURE = $(CMAKE_CONFIGURE) -B $(WEB_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/wasm32-wasi.cmake \
                -DTIRVOK_LLVM_VERSION=$(WEB_LLVM) -DTIRVOK_BENCH=OFF
web:
	$(call apt_install,$(WEB_PACKAGES))
	@[ -f $(WEB_BUILD)/CMakeCache.txt ] || $(WEB_CONFIGURE) -DTIRVOK_TESTS=OFF
	$(CMAKE_BUILD) $(WEB_BUILD) --target tirvok3_page -j $(JOBS)
	@echo "$(WEB_BUILD)/tirvok3.html: $$(wc -c <$(WEB_BUILD)/tirvok3.html) bytes, $$(gzip -9c $(WEB_BUILD)/tirvok3.html | wc -c) gzip'd;" \
	  "$(WEB_BUILD)/site/: $$(ls $(WEB_BUILD)/site | wc -l) files"

# Debian's npm, where the node installed brings none of its own.
deps-npm:
	$(call apt_install,npm)

# The engine suites compiled to WebAssembly under node, then the page in headless Chromium, Firefox ESR
# and WebKitGTK against the native engine's rasters (web_session_replay from the Linux build in $(BUILD)/).
test-web: deps-test web
	$(call apt_install,$(WEB_TEST_PACKAGES))
	@command -v npm >/dev/null 2>&1 || $(MAKE) deps-npm
	$(CMAKE_CONFIGURE) -B $(BUILD) -DTIRVOK_TESTS=ON -DTIRVOK_BENCH=ON
	$(CMAKE_BUILD) $(BUILD) --target web_session_replay -j $(JOBS)
	@[ -f $(WEB_BUILD)/npm/node_modules/axe-core/package.json ] && \
	  grep -q '"version": "$(AXE:axe-core@%=%)"' $(WEB_BUILD)/npm/node_modules/axe-core/package.json || \
	  npm install --prefix $(WEB_BUILD)/npm --no-save --no-audit --no-fund --loglevel=error $(AXE)
	$(WEB_CONFIGURE) -DTIRVOK_TESTS=ON -DTIRVOK_HOST_TESTS=$(CURDIR)/$(BUILD)/tests
	$(CMAKE_BUILD) $(WEB_BUILD) -j $(JOBS)
	cd $(WEB_BUILD) && ctest --output-on-failure
