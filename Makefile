# Thin wrapper over the CMake presets: installs what a fresh Debian 12 machine
# lacks, then configures, builds and runs or tests.

PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev pkg-config \
            qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libgl-dev \
            fonts-noto-cjk xvfb xauth xdotool

# Only for running without a display: the screenshot of make run.
RUN_PACKAGES := imagemagick

FUZZ_SECONDS ?= 30

.PHONY: all deps run-deps install-packages configure build run test test-default test-asan test-fuzz screenshot bench soak clean

all: build

deps:
	@$(MAKE) --no-print-directory install-packages WANTED="$(PACKAGES)"

run-deps:
	@$(MAKE) --no-print-directory install-packages WANTED="$(PACKAGES) $(RUN_PACKAGES)"

install-packages:
	@missing=""; \
	for p in $(WANTED); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    if [ "$$(id -u)" = 0 ]; then \
	        echo "Installing:$$missing"; \
	        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	    else \
	        echo "Missing Debian packages. Run:"; \
	        echo "  sudo apt-get install -y$$missing"; \
	        exit 1; \
	    fi; \
	fi

configure: deps
	cmake --preset default

build: configure
	cmake --build --preset default

run: run-deps build
	scripts/run.sh

test: test-default test-asan test-fuzz

test-default: build
	ctest --preset default

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

test-fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/fuzz.sh $(FUZZ_SECONDS)

screenshot: build
	scripts/screenshot.sh

bench: build
	scripts/bench.sh

soak: build
	scripts/soak.sh

clean:
	rm -rf build build-asan build-fuzz
