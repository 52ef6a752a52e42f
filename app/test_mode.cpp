#include "app/test_mode.hpp"

namespace orvanta {

bool testMode = false;

}  // namespace orvanta
