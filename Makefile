# The two README commands, and a few helpers over the CMake presets.
SAMPLE_OUT ?= build/sample-out

.PHONY: demo test build check-asan check-tsan fuzz bench bench-jobs clean

# Builds everything and compresses the bundled sample page with the safe template.
demo:
	scripts/install-deps.sh build
	cmake --preset release
	cmake --build --preset release
	rm -rf $(SAMPLE_OUT) && mkdir -p $(SAMPLE_OUT)
	build/release/bin/tsqz --template safe -o $(SAMPLE_OUT) --report $(SAMPLE_OUT)/report.txt \
	  --detailed --by-file samples/sample.html
	cat $(SAMPLE_OUT)/report.txt

# Builds and runs every test: the g++ build of everything, then the engine and tools again
# with clang under AddressSanitizer and UndefinedBehaviorSanitizer, then a bounded fuzz run.
test:
	scripts/install-deps.sh test
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev
	$(MAKE) check-asan
	$(MAKE) fuzz

build:
	cmake --preset dev
	cmake --build --preset dev

check-asan:
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# The engine contexts on threads and tsqz -j under ThreadSanitizer (not part of `make test`).
check-tsan:
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan

fuzz:
	scripts/run-fuzz.sh

# Times the engine over the shared corpus (with the time per step) and the scaling series, in
# a release build. Meant for a quiet machine; see docs/benchmarks.md.
bench:
	cmake --preset release
	cmake --build --preset release --target tsqz_bench
	build/release/bin/tsqz_bench --profile --scaling --memory

# tsqz -j 2 against -j 1 over the shared corpus copied 20 times (docs/benchmarks.md).
bench-jobs:
	cmake --preset release
	cmake --build --preset release --target tsqz
	bench/jobs_bench.sh build/release/bin/tsqz 2

clean:
	rm -rf build
