# Thin wrapper over the CMake presets: `make run` plays, `make test` runs every test.
BUILD := build
# Compilers and tests run at once: one a core (each compiler holds about 300 MB), so that a small
# machine builds without swapping. `make test JOBS=8` overrides it.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build run test install deb asan bench train book match fuzz soak format format-check \
        sprt clean windows windows-zip windows-test tidy

all: build

# A player's build: the game alone, whatever test libraries the machine has.
build:
	cmake --preset dev -DORVANTA_TESTS=AUTO -DORVANTA_BENCH=AUTO
	cmake --build --preset dev --parallel $(JOBS) --target orvanta

run: build
	./$(BUILD)/orvanta

# Everything: the game, its tests (GoogleTest required), the benchmarks when Google Benchmark
# is installed, then every test.
test:
	cmake --preset dev -DORVANTA_TESTS=ON -DORVANTA_BENCH=AUTO
	cmake --build --preset dev --parallel $(JOBS)
	ctest --preset dev --parallel $(JOBS)

# Installs the stripped program, its manual page and its copyright under PREFIX (DESTDIR is
# honoured as well).
PREFIX ?= /usr/local
install: build
	cmake --build --preset dev --parallel $(JOBS) --target manpage changelog
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

# A .deb laid out as Debian's games (/usr/games/orvanta, the page in man6), then checked.
deb:
	cmake --preset package
	cmake --build --preset package --parallel $(JOBS)
	cpack --preset package
	tests/deb_test.sh build-package/orvanta_*_*.deb

asan:
	cmake --preset asan
	cmake --build --preset asan --parallel $(JOBS)
	ctest --preset asan --parallel $(JOBS)

# Google Benchmark figures of the rules and the computer player, then the engine's perft and
# FFO solving times (optimised build).
bench:
	cmake --preset bench
	cmake --build --preset bench --parallel $(JOBS)
	./build-bench/orvanta_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	./build-bench/engine_bench
	bench/whole_program.py build-bench

# Trains the evaluation from self-play, then measures the selective search's cut statistics with
# it (about four and a quarter hours on two cores), and rewrites the committed weights file
# engine/eval_weights.bin and the statistics engine/probcut.txt. The work is kept in
# build-train/work: stopped, the same command goes on where it was. TRAIN_ARGS=--cuts-only refits
# the statistics alone; TRAIN_ARGS=--scale=0.05 makes a quick trial run (with another work
# folder, e.g. TRAIN_ARGS="--scale=0.05 --work=build-train/trial").
TRAIN_ARGS ?=
train:
	cmake --preset train
	cmake --build --preset train --parallel $(JOBS) --target orvanta_train
	./build-train/orvanta_train --out engine/eval_weights.bin --cuts-out engine/probcut.txt \
		--work build-train/work $(TRAIN_ARGS)

# Builds the opening book from Orvanta's own deep searches (about 20 minutes of one core) and
# rewrites the committed engine/book.bin; BOOK_ARGS passes options to orvanta_book, e.g.
# BOOK_ARGS="--in engine/book.bin --margin 200" to widen the book and keep its known leaves.
BOOK_ARGS ?=
book:
	cmake --preset train
	cmake --build --preset train --parallel $(JOBS) --target orvanta_book
	./build-train/orvanta_book --out engine/book.bin $(BOOK_ARGS)

# A match of Orvanta through GTP against another GTP engine (Debian's gtp-rhino from the grhino
# package by default): MATCH_PAIRS random balanced openings, each played with both colours.
MATCH_PAIRS ?= 8
MATCH_LEVEL ?= 10
MATCH_OPPONENT ?= /usr/games/gtp-rhino --level 4
MATCH_SEED ?= 1
match:
	cmake --preset bench
	cmake --build --preset bench --parallel $(JOBS) --target match orvanta
	./build-bench/match --pairs $(MATCH_PAIRS) --seed $(MATCH_SEED) \
	    --a "build-bench/orvanta --gtp --level=$(MATCH_LEVEL)" --b "$(MATCH_OPPONENT)"

# Self-play test of this tree (the candidate) against a git revision REF (the reference, built
# in build-sprt/REVISION/) from the openings of bench/openings.txt, both colours each, until the
# sequential test decides (H0: SPRT_ELO0, H1: SPRT_ELO1, alpha = beta = 0.05) or
# SPRT_MAX_GAMES are played.
# Both play SPRT_LEVEL: the same node budget and depth, two games at a time. SPRT_TIME=1 gives
# each side 1 s a move instead (GTP time_settings, whole seconds; level 10 spends the clock
# rather than its node budget), one game at a time. SPRT_CANDIDATE_CLOCK and
# SPRT_REFERENCE_CLOCK give one side its own time_settings ("0 1 2": a second for every two
# moves). SPRT_CANDIDATE_ARGS and SPRT_REFERENCE_ARGS are added to either
# side's command line (with REF=HEAD: SPRT_CANDIDATE_ARGS=--threads=2 measures two threads
# against one, SPRT_REFERENCE_ARGS=--book=off the book alone). CAND=REVISION plays a built
# revision instead of this tree, and SPRT_LOG=FILE keeps every finished pair in FILE: run again
# with the same settings, the match resumes where it stopped (with CAND and REF pinned to
# revisions, a match of many hours can be taken up in several sittings).
REF ?= main
CAND ?=
SPRT_LOG ?=
SPRT_LEVEL ?= 10
SPRT_TIME ?=
SPRT_MAX_GAMES ?= 1800
SPRT_ELO0 ?= 0
SPRT_ELO1 ?= 10
SPRT_CANDIDATE_ARGS ?=
SPRT_REFERENCE_ARGS ?=
SPRT_CANDIDATE_CLOCK ?=
SPRT_REFERENCE_CLOCK ?=
sprt:
	cmake --preset bench
	cmake --build --preset bench --parallel $(JOBS) --target sprt orvanta
	reference=$$(bench/build_reference.sh $(REF)) && \
	candidate=$(if $(CAND),$$(bench/build_reference.sh $(CAND)),build-bench/orvanta) && \
	./build-bench/sprt --openings bench/openings.txt --max-games $(SPRT_MAX_GAMES) \
	    --elo0 $(SPRT_ELO0) --elo1 $(SPRT_ELO1) $(if $(SPRT_TIME),--time $(SPRT_TIME)) \
	    $(if $(SPRT_CANDIDATE_CLOCK),--candidate-clock "$(SPRT_CANDIDATE_CLOCK)") \
	    $(if $(SPRT_REFERENCE_CLOCK),--reference-clock "$(SPRT_REFERENCE_CLOCK)") \
	    $(if $(SPRT_LOG),--log $(SPRT_LOG)) \
	    --candidate "$$candidate --gtp --level=$(SPRT_LEVEL) $(SPRT_CANDIDATE_ARGS)" \
	    --reference "$$reference --gtp --level=$(SPRT_LEVEL) $(SPRT_REFERENCE_ARGS)"

# Windows, cross-compiled with mingw-w64: build-windows/orvanta.exe, statically linked.
VERSION := $(shell grep -o -m1 'orvanta VERSION [0-9.]*' CMakeLists.txt | cut -d' ' -f3)
windows:
	cmake --preset windows
	cmake --build --preset windows --parallel $(JOBS)

# What a Windows player downloads: the program, the README and the licence in one zip.
windows-zip: windows
	rm -f orvanta-$(VERSION)-win64.zip
	zip -j -q orvanta-$(VERSION)-win64.zip build-windows/orvanta.exe README.md LICENSE
	@echo "orvanta-$(VERSION)-win64.zip"

# The Windows unit tests under Wine, then the Windows program against the Linux one, byte for
# byte, on every transcript's input and on generated sessions.
windows-test: build windows
	cmake --preset windows-test
	cmake --build --preset windows-test --parallel $(JOBS)
	tests/windows_test.sh

# A short, fixed fuzzing run over the seed corpus (what CI runs); FUZZ_ARGS lengthens it, e.g.
# make fuzz FUZZ_ARGS=-max_total_time=600
FUZZ_ARGS ?= -runs=10000
fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz --parallel $(JOBS)
	mkdir -p build-fuzz/corpus
	./build-fuzz/orvanta_fuzz -max_len=4096 -timeout=30 $(FUZZ_ARGS) build-fuzz/corpus fuzz/corpus
	mkdir -p build-fuzz/parsers-corpus
	./build-fuzz/orvanta_parsers_fuzz -max_len=1024 -timeout=10 $(FUZZ_ARGS) build-fuzz/parsers-corpus fuzz/parsers-corpus

# 200 games against the computer under valgrind memcheck; fails on any error or leak.
soak: build
	tests/soak.sh 200

# clang-tidy over every source of the program, its tests and tools (.clang-tidy lists the checks
# and why some are left out); any finding fails.
tidy:
	cmake --preset tidy
	cmake --build --preset tidy --target eval_weights_source
	run-clang-tidy -p build-tidy -quiet -j $(JOBS) '^$(CURDIR)/(app|board|engine|game|platform|players|train|tests|bench)/'

format:
	git ls-files --cached --others --exclude-standard '*.cpp' '*.hpp' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build build-* orvanta-*-win64.zip
	-git worktree prune  # forgets the reference worktrees of build-sprt/
