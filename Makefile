# make test  - installs what is missing, builds every configuration and runs every test
# make build - builds without testing
JOBS ?= $(shell nproc)
B := build

# make fuzz  - builds the fuzz targets with clang/libFuzzer and runs the macro compiler's and
#              the table engine's for FUZZ_SECONDS each (new inputs in build/fuzz/corpus and
#              build/fuzz/fuzz-corpus, crashes in build/fuzz/)
FUZZ_SECONDS ?= 60

# make demo    - writes a demo data tree (build/demo, DEMO_RECORDS records in company 01, default
#                2000000), organises company 01 with Vdr.exe under Wine in parameter mode (under
#                Xvfb when there is no display) and prints what it did, read back from the files
# make demo-ui - starts Vdr.exe on that tree on the display, to be driven by hand
# DEMO_OPTIONS go to vdr_demodata: "--sin-usuarios" (nobody has logged in yet),
# "--graficos-desbordados" (statistics that do not fit their fields)
DEMO_RECORDS ?= 2000000
DEMO_OPTIONS ?=

.PHONY: test build deps configure clean fuzz bench bench-vdr release-configure demo demo-ui demo-build
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

fuzz:
	@tools/install-deps fuzz
	@[ -f $(B)/fuzz/build.ninja ] || cmake -S . -B $(B)/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DVDR_FUZZ=ON
	cmake --build $(B)/fuzz -j $(JOBS) --target macro_fuzz
	mkdir -p $(B)/fuzz/corpus
	$(B)/fuzz/bin/macro_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=512 -timeout=10 -rss_limit_mb=2048 \
	  -dict=runtime/fuzz/macro.dict -artifact_prefix=$(B)/fuzz/ $(B)/fuzz/corpus runtime/fuzz/corpus
	cmake -B $(B)/fuzz -DVDR_FUZZ_SECONDS=$(FUZZ_SECONDS) > /dev/null
	cmake --build $(B)/fuzz --target fuzz_run

# make bench - the benchmarks, optimised, native and for Windows (run them by hand: see
#              runtime/rdd/bench/index_bench.cpp, table_bench.cpp, app/tools/bench/organise_bench.cpp,
#              organise_program_bench.cpp, program_bench.cpp, reports/bench/report_bench.cpp), and xbeval optimised
#              (build/bench/bin/xbeval), so expression files timed through it measure the engine
bench: release-configure
	cmake --build $(B)/bench -j $(JOBS) --target index_bench table_bench macro_bench organise_bench report_bench vdr_demodata xbeval
	cmake --build $(B)/bench-win64 -j $(JOBS) --target index_bench table_bench macro_bench organise_bench organise_program_bench program_bench report_bench vdr_demodata xbeval Vdr VDRE VxPrev32 testprinter

# make bench-vdr - the real Vdr.exe in parameter mode under Wine on demo trees of BENCH_RECORDS
#                  records: seconds per phase next to a plain copy of the company folder
BENCH_RECORDS ?= 200000 700000 2000000
bench-vdr: bench
	tools/wine-run --dir $(B)/bench-wine $(B)/bench-win64/bin/program_bench.exe $(foreach n,$(BENCH_RECORDS),--registros $(n))

# Optimised builds, native and for Windows: the benchmarks' and the demo's.
release-configure: deps
	@[ -f $(B)/bench/build.ninja ] || cmake -S . -B $(B)/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVDR_SANITIZE=OFF
	@[ -f $(B)/bench-win64/build.ninja ] || cmake -S . -B $(B)/bench-win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake

demo-build: release-configure
	cmake --build $(B)/bench -j $(JOBS) --target vdr_demodata vdr_orgsummary
	cmake --build $(B)/bench-win64 -j $(JOBS) --target Vdr VDRE

demo: demo-build
	@VDR_DEMO_OPTIONS="$(DEMO_OPTIONS)" tools/demo organise $(B)/bench/bin $(B)/bench-win64/bin $(B)/demo $(DEMO_RECORDS)

demo-ui: demo-build
	@VDR_DEMO_OPTIONS="$(DEMO_OPTIONS)" tools/demo ui $(B)/bench/bin $(B)/bench-win64/bin $(B)/demo $(DEMO_RECORDS)

clean:
	rm -rf $(B)
