# Thin wrapper over the CMake presets: `make run` plays, `make test` runs every test.
BUILD := build

.PHONY: all build run test install deb asan bench train fuzz soak format format-check clean

all: build

# A player's build: the game alone, whatever test libraries the machine has.
build:
	cmake --preset dev -DORVANTA_TESTS=AUTO -DORVANTA_BENCH=AUTO
	cmake --build --preset dev --parallel --target orvanta

run: build
	./$(BUILD)/orvanta

# Everything: the game, its tests (GoogleTest required), the benchmarks when Google Benchmark
# is installed, then every test.
test:
	cmake --preset dev -DORVANTA_TESTS=ON -DORVANTA_BENCH=AUTO
	cmake --build --preset dev --parallel
	ctest --preset dev --parallel 2

# Installs the stripped program, its manual page and its copyright under PREFIX (DESTDIR is
# honoured as well).
PREFIX ?= /usr/local
install: build
	cmake --build --preset dev --parallel --target manpage changelog
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

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

# Trains the evaluation from self-play (about an hour on two cores) and rewrites the committed
# weights file engine/eval_weights.bin; TRAIN_ARGS=--scale=0.05 makes a quick trial run.
TRAIN_ARGS ?=
train:
	cmake --preset train
	cmake --build --preset train --parallel 2 --target orvanta_train
	./build-train/orvanta_train --out engine/eval_weights.bin $(TRAIN_ARGS)

# A short, fixed fuzzing run over the seed corpus (what CI runs); FUZZ_ARGS lengthens it, e.g.
# make fuzz FUZZ_ARGS=-max_total_time=600
FUZZ_ARGS ?= -runs=10000
fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz --parallel
	mkdir -p build-fuzz/corpus
	./build-fuzz/orvanta_fuzz -max_len=4096 -timeout=30 $(FUZZ_ARGS) build-fuzz/corpus fuzz/corpus
	mkdir -p build-fuzz/parsers-corpus
	./build-fuzz/orvanta_parsers_fuzz -max_len=1024 -timeout=10 $(FUZZ_ARGS) build-fuzz/parsers-corpus fuzz/parsers-corpus

# 200 games against the computer under valgrind memcheck; fails on any error or leak.
soak: build
	tests/soak.sh 200

format:
	git ls-files --cached --others --exclude-standard '*.cpp' '*.hpp' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build build-*
