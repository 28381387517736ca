# Thin wrapper over the CMake presets: installs what a fresh Debian 12 machine
# lacks for the target at hand, then configures, builds and runs or tests.

# Debian packages, by what needs them.
# The agent's metrics: Qt's HTTP server (whose CMake files need the WebSockets
# ones, which its package does not pull in), YAML for the web configuration
# file and crypt() for its bcrypt hashes.
METRICS_PACKAGES := qt6-httpserver-dev qt6-websockets-dev libyaml-cpp-dev libcrypt-dev
BUILD_PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev qt6-serialport-dev \
                  libgl-dev libtelnet-dev $(METRICS_PACKAGES)
# What the tests run beside the programs: Prometheus and promtool (scrape the
# agent, check scrapes and the alerting rules), openssl (makes a certificate
# for the TLS test), curl and python3 (the agent's end-to-end script asks
# Prometheus's HTTP API and reads its JSON).
# The alarm test starts a session bus of its own, with dbus-daemon; the
# tests of network lines put ser2net in front of brisco-sim.
TEST_PACKAGES := prometheus openssl curl python3 dbus-daemon ser2net
# Qt's platform plugins (offscreen included) and the fonts of the Chinese captions.
RUN_PACKAGES := qt6-qpa-plugins fonts-noto-cjk
# Without a display, make run uses a virtual one, presses OpenComm and takes a screenshot.
HEADLESS_PACKAGES := xvfb xauth xdotool imagemagick
# The Debian package: CPack's shlibdeps needs dpkg-shlibdeps and file; make test
# also checks the package with lintian, the desktop validators and, for the
# agent's service, systemd-analyze.
PACKAGE_PACKAGES := dpkg-dev file
PACKAGE_CHECK_PACKAGES := lintian desktop-file-utils appstream systemd
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
	    $(PACKAGE_CHECK_PACKAGES) $(TEST_PACKAGES)"
	ctest --preset default

test-asan:
	@$(MAKE) --no-print-directory packages WANTED="$(BUILD_PACKAGES) $(RUN_PACKAGES) $(TEST_PACKAGES)"
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
	@$(MAKE) --no-print-directory packages WANTED="$(RUN_PACKAGES) $(TEST_PACKAGES) xvfb xauth xdotool"
	scripts/bench.sh

soak: build
	@$(MAKE) --no-print-directory packages WANTED="$(RUN_PACKAGES)"
	scripts/soak.sh

screenshot: build
	@$(MAKE) --no-print-directory packages WANTED="$(RUN_PACKAGES)"
	scripts/screenshot.sh

mutants: build
	@$(MAKE) --no-print-directory packages WANTED="$(RUN_PACKAGES) $(TEST_PACKAGES)"
	scripts/mutants.py

# The .deb lands in build/.
package: build
	@$(MAKE) --no-print-directory packages WANTED="$(PACKAGE_PACKAGES)"
	cmake --build --preset default --target package

clean:
	rm -rf build build-asan build-fuzz
