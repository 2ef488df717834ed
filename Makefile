# Two commands: `make run` shows the program on the emulated device, `make test`
# runs the test suite. Both install what they need and build first.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all build run test checks bench clean setup

all: build

setup:
	@bash device/host-setup.sh

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64-posix.cmake

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build checks
	cd $(BUILD) && ctest --output-on-failure --timeout 300

# What the device needs and the tests cannot run: a 32-bit build, an ARM compile and
# the export check (checks/device-build.sh prints a line for each).
checks: build
	@bash checks/device-build.sh $(BUILD) $(BUILD)-i686 $(BUILD)-arm

run: build
	bash device/demo.sh $(BUILD)

bench: build
	bash bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-i686 $(BUILD)-arm
