#pragma once

namespace springtest {

// A real test on the simulated machine with the console open: the largest gap between two readings of the
// acquisition loop while the curve redraws and the test is stored, and the loop's rate. Needs a QApplication.
bool benchConsole();

}  // namespace springtest
