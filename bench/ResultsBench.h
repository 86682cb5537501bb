#pragma once

namespace springtest {

// The result browser on a large batch (1000 tests of 2000 curve points each): opening it, replaying one
// curve, and exporting a 10 000-sample curve and all results to workbooks.
bool benchResults();

}  // namespace springtest
