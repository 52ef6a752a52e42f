#pragma once

namespace orvanta {

// Test mode: while true, every pause is skipped and the rule checks and the computer's search
// print their traces. Off at start; only the menu changes it.
extern bool testMode;

}  // namespace orvanta
