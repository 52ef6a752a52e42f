#!/usr/bin/env python3
"""How soon player mode's review is on the screen after a game ends.

Plays one game on a pseudo-terminal: orvanta --coach against level LEVEL, the test player
taking THINK seconds before each of its moves (the first square the board marks as legal).
Prints the seconds from the end of the game ("─ゲーム終了─") to the last line of the review's
chart, and the same for a run with --review-level given (default: the program's own).

With --hints the player first asks for a hint at every prompt, THINK seconds after it, and
the seconds from "hint" to the next prompt are reported too (mean and longest).

Usage: bench/review_latency.py [--binary build-bench/orvanta] [--level 5] [--think 3]
                               [--review-level N] [--hints]
"""
import argparse
import os
import pty
import re
import select
import time


def first_legal_square(text):
    """The first square marked legal on the last board drawn before the prompt."""
    rows = {}
    for line in text[:text.rindex("どこに置きますか")].split("\n"):
        found = re.match(r"^ ([1-8])[│┃]", line)
        if found:
            cells = re.split("[│┃]", line[2:])[1:9]
            rows[found.group(1)] = [cell.strip(" ") for cell in cells]
    for row in "12345678":
        for column, cell in enumerate(rows.get(row, [])):
            if cell == "・":
                return "abcdefgh"[column] + row
    return "auto"


def play(binary, level, think, review_level, hints=False):
    args = [binary, "--coach", "--colour=black", f"--level={level}", "--no-config"]
    if review_level:
        args.append(f"--review-level={review_level}")
    pid, fd = pty.fork()
    if pid == 0:
        os.environ["LC_ALL"] = "C.UTF-8"
        os.environ["XDG_STATE_HOME"] = "/nonexistent"
        os.execv(binary, args)
    screen = b""
    answered = 0
    ended = None
    done = None
    sent_menu = False
    hint_asked = None
    hint_times = []
    hinted = 0
    while done is None:
        ready, _, _ = select.select([fd], [], [], 0.1)
        if ready:
            try:
                chunk = os.read(fd, 65536)
            except OSError:
                break
            if not chunk:
                break
            screen += chunk
        text = screen.decode("utf-8", "replace")
        if not sent_menu and "モードを選んで下さい" in text:
            os.write(fd, b"2\n")
            sent_menu = True
        prompts = text.count("どこに置きますか")
        if prompts > answered and text.rstrip().endswith("->"):
            answered = prompts
            if hint_asked is not None:
                hint_times.append(time.monotonic() - hint_asked)
                hint_asked = None
                os.write(fd, (first_legal_square(text) + "\n").encode())
                continue
            time.sleep(think)
            if hints:
                hint_asked = time.monotonic()
                hinted += 1
                os.write(fd, b"hint\n")
                continue
            os.write(fd, (first_legal_square(text) + "\n").encode())
        if ended is None and "ゲーム終了" in text:
            ended = time.monotonic()
        if ended is not None and "評価の推移" in text:
            tail = text[text.rindex("評価の推移"):]
            if tail.count("\n") >= 13:
                done = time.monotonic()
    os.write(fd, b"q\n-1\n")  # leave the review walk, then the menu
    os.waitpid(pid, 0)
    return answered - hinted, (done - ended) if done and ended else None, hint_times


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", default="build-bench/orvanta")
    parser.add_argument("--level", type=int, default=5)
    parser.add_argument("--think", type=float, default=3.0)
    parser.add_argument("--review-level", type=int, default=0)
    parser.add_argument("--hints", action="store_true")
    options = parser.parse_args()
    moves, seconds, hints = play(options.binary, options.level, options.think,
                                 options.review_level, options.hints)
    print(f"{moves} moves of the player, {options.think:.1f} s each; the review was complete "
          f"{seconds:.2f} s after the end of the game")
    if hints:
        print(f"{len(hints)} hints: {sum(hints) / len(hints):.2f} s on average, "
              f"{max(hints):.2f} s at most")


if __name__ == "__main__":
    main()
