# Thin wrapper over the CMake presets: `make run` plays, `make test` runs every test.
PRESET ?= dev
BUILD  := build

.PHONY: all configure build run test asan bench format format-check clean

all: build

configure:
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET) --parallel

run: build
	./$(BUILD)/orvanta

test: build
	ctest --preset $(PRESET) --parallel 2

asan:
	cmake --preset asan
	cmake --build --preset asan --parallel
	ctest --preset asan --parallel 2

# Google Benchmark figures of the rules engine and the computer player (optimised build).
bench:
	cmake --preset bench
	cmake --build --preset bench --parallel
	./build-bench/orvanta_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

format:
	git ls-files '*.cpp' '*.hpp' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build build-*
