#pragma once

namespace springtest {

// A leaf-spring test with two pre-compressions on the simulated leaf-spring machine at 300 mm/min: the
// largest gap between two readings of the acquisition loop during the test, and how far the stored arc
// heights, deformations and stiffnesses are from what the simulated spring was at each pressing.
bool benchLeafSpring();

}  // namespace springtest
