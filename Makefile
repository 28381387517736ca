# Thin wrapper over the CMake presets: installs what a fresh Debian 12 machine
# lacks for the target at hand, then configures, builds and runs or tests.

# Debian packages, by what needs them.
BUILD_PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev qt6-serialport-dev \
                  libgl-dev
# Qt's platform plugins (offscreen included) and the fonts of the Chinese captions.
RUN_PACKAGES := qt6-qpa-plugins fonts-noto-cjk
# Without a display, make run uses a virtual one, presses OpenComm and takes a screenshot.
HEADLESS_PACKAGES := xvfb xauth xdotool imagemagick
# The Debian package: CPack's shlibdeps needs dpkg-shlibdeps and file; make test
# also checks the package with lintian and the desktop validators.
PACKAGE_PACKAGES := dpkg-dev file
PACKAGE_CHECK_PACKAGES := lintian desktop-file-utils appstream
# libFuzzer comes with clang.
FUZZ_PACKAGES := clang libclang-rt-14-dev

# Per fuzz target.
FUZZ_SECONDS ?= 20

.PHONY: all build run test test-default test-asan test-fuzz fuzz bench soak screenshot mutants \
        package clean packages

all: build

# Installs what is missing when run as root; otherwise prints the line to run.
packages:
	@missing=""; \
	for p in $(WANTED); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    if [ "$$(id -u)" = 0 ]; then \
	        echo "Installing:$$missing"; \
	        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	    elif [ -n "$(OPTIONAL)" ]; then \
	        echo "Not installed:$$missing (sudo apt-get install -y$$missing)"; \
	    else \
	        echo "Missing Debian packages. Run:"; \
	        echo "  sudo apt-get install -y$$missing"; \
	        exit 1; \
	    fi; \
	fi

build:
	@$(MAKE) --no-print-directory packages WANTED="$(BUILD_PACKAGES)"
	cmake --preset default
	cmake --build --preset default

run: build
	@$(MAKE) --no-print-directory packages WANTED="$(RUN_PACKAGES) \
	    $(if $(DISPLAY)$(WAYLAND_DISPLAY),,$(HEADLESS_PACKAGES))"
	scripts/run.sh

test: test-default test-asan test-fuzz

test-default: build
	@$(MAKE) --no-print-directory packages WANTED="$(RUN_PACKAGES) $(PACKAGE_PACKAGES) \
	    $(PACKAGE_CHECK_PACKAGES)"
	ctest --preset default

test-asan:
	@$(MAKE) --no-print-directory packages WANTED="$(BUILD_PACKAGES) $(RUN_PACKAGES)"
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# The fuzz stage needs clang; without it, it says so and steps aside.
test-fuzz fuzz:
	@$(MAKE) --no-print-directory packages WANTED="$(BUILD_PACKAGES) $(FUZZ_PACKAGES)" OPTIONAL=1
	@if ! command -v clang++ >/dev/null 2>&1; then \
	    echo "fuzz stage skipped: clang++ is not installed (Debian packages: $(FUZZ_PACKAGES))"; \
	else \
	    cmake --preset fuzz && cmake --build --preset fuzz && scripts/fuzz.sh $(FUZZ_SECONDS); \
	fi

fuzz: FUZZ_SECONDS = 600

bench: build
	@$(MAKE) --no-print-directory packages WANTED="$(RUN_PACKAGES) xvfb xauth xdotool"
	scripts/bench.sh

soak: build
	@$(MAKE) --no-print-directory packages WANTED="$(RUN_PACKAGES)"
	scripts/soak.sh

screenshot: build
	@$(MAKE) --no-print-directory packages WANTED="$(RUN_PACKAGES)"
	scripts/screenshot.sh

mutants: build
	@$(MAKE) --no-print-directory packages WANTED="$(RUN_PACKAGES)"
	scripts/mutants.py

# The .deb lands in build/.
package: build
	@$(MAKE) --no-print-directory packages WANTED="$(PACKAGE_PACKAGES)"
	cmake --build --preset default --target package

clean:
	rm -rf build build-asan build-fuzz
