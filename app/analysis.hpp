#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/position.hpp"

namespace orvanta {

// The analysis commands of the command line. They write plain ASCII on standard output, figures
// of time and speed on standard error, and take no menu. Each returns the exit status.

// `orvanta --perft=N`: "d count" for each depth d from 1 to `depth`, from the start.
int runPerft(int depth);

// `orvanta --solve=FILE`: for each position of the file, its best move and exact score for the
// side to move, as "g8 +18". A line that is no position is named on standard error and makes
// the status 1; a file that cannot be read is bad use, status 2.
int runSolve(const std::string& path, int hashMiB, int threads);

// A line of an OBF file: 64 squares a1, b1, ..., h8 (X black, O white, - empty), a blank, the
// side to move (X or O), then optionally ';' and anything. Nothing when the line is no
// position; a blank line is none either.
std::optional<engine::Position> parseObfLine(std::string_view line);

}  // namespace orvanta
