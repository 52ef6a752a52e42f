#pragma once

#include "app/options.hpp"

namespace orvanta {

// `orvanta --review=FILE [--game=N]`: reviews each game of a GGF file, or its game N, on standard
// output through the console (in the game's character set and width) at `--level` (default
// kDefaultReviewLevel), then returns 0. A file that cannot be read, a record in it that cannot
// be read, or a game N beyond its games is named on standard error with status 1, and nothing
// is reviewed. A character set that cannot show the text is bad use, status 2.
int runReview(const Options& options);

}  // namespace orvanta
