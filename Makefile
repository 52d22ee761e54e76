# Set-up, build, run and test on a fresh Debian 12 / Ubuntu machine.
#   make run    installs what is missing, builds, and starts the exercise
#   make test   installs what is missing, builds, and runs the whole suite headless

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# Debian packages the build, the tests and the pictures' fonts need.
PACKAGES := build-essential cmake qt6-base-dev qt6-base-private-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins \
            libgl-dev fonts-liberation fontconfig
FUZZ_PACKAGES := clang libclang-rt-dev
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps configure build run test bench fuzz clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES) $(EXTRA_PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    $(SUDO) apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/alkyne-combustion

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/startup_probe

# Fuzzes the coefficient reader with libFuzzer for FUZZ_SECONDS; new inputs land in a scratch corpus.
fuzz:
	$(MAKE) deps EXTRA_PACKAGES="$(FUZZ_PACKAGES)"
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++ -DBUILD_FUZZERS=ON -DBUILD_TESTING=OFF \
	    -DWARNINGS_AS_ERRORS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_DIR) --target fuzz_coefficients -j $(JOBS)
	mkdir -p $(FUZZ_DIR)/corpus
	$(FUZZ_DIR)/bin/fuzz_coefficients -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	    $(FUZZ_DIR)/corpus fuzz/corpus/coefficients

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR)
