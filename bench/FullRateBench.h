#pragma once

namespace springtest {

// The full-rate curve of a one-minute test (60,000 readings at the loop's 1 kHz): storing the test with it
// as the storer does (results, 600 rows of 100 ms, operator, the curve's blob, one transaction), and
// replaying it in the result browser (read, decode, reduce for a chart 1000 pixels wide, draw).
bool benchFullRate();

}  // namespace springtest
