# make test  - installs what is missing, builds every configuration and runs every test
# make build - builds without testing
JOBS ?= $(shell nproc)
B := build

.PHONY: test build deps configure clean
test: build
	@tools/run-tests $(B)

build: configure
	cmake --build $(B)/native -j $(JOBS)
	cmake --build $(B)/win64 -j $(JOBS)
	cmake --build $(B)/win32 -j $(JOBS)

configure: deps
	@[ -f $(B)/native/build.ninja ] || cmake -S . -B $(B)/native -G Ninja -DCMAKE_BUILD_TYPE=Debug
	@[ -f $(B)/win64/build.ninja ] || cmake -S . -B $(B)/win64 -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
	@[ -f $(B)/win32/build.ninja ] || cmake -S . -B $(B)/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

deps:
	@tools/install-deps

clean:
	rm -rf $(B)
