# Thin wrapper over the CMake presets: `make run` plays, `make test` runs every test.
PRESET ?= dev
BUILD  := build

.PHONY: all configure build run test install deb asan bench fuzz soak format format-check clean

all: build

configure:
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET) --parallel

run: build
	./$(BUILD)/orvanta

test: build
	ctest --preset $(PRESET) --parallel 2

# Installs the program and its manual page under PREFIX (DESTDIR is honoured as well).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A .deb laid out as Debian's games (/usr/games/orvanta, the page in man6), then checked.
deb:
	cmake --preset package
	cmake --build --preset package --parallel
	cpack --preset package
	tests/deb_test.sh build-package/orvanta_*_*.deb

asan:
	cmake --preset asan
	cmake --build --preset asan --parallel
	ctest --preset asan --parallel 2

# Google Benchmark figures of the rules and the computer player, then the engine's perft and
# FFO solving times (optimised build).
bench:
	cmake --preset bench
	cmake --build --preset bench --parallel
	./build-bench/orvanta_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	./build-bench/engine_bench
	bench/whole_program.py build-bench

# A short, fixed fuzzing run over the seed corpus (what CI runs); FUZZ_ARGS lengthens it, e.g.
# make fuzz FUZZ_ARGS=-max_total_time=600
FUZZ_ARGS ?= -runs=10000
fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz --parallel
	mkdir -p build-fuzz/corpus
	./build-fuzz/orvanta_fuzz -max_len=4096 -timeout=30 $(FUZZ_ARGS) build-fuzz/corpus fuzz/corpus

# 200 games against the computer under valgrind memcheck; fails on any error or leak.
soak: build
	tests/soak.sh 200

format:
	git ls-files --cached --others --exclude-standard '*.cpp' '*.hpp' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build build-*
