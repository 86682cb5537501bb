#pragma once

namespace springtest {

// The lateral-stiffness machine on the simulated card: the acquisition loop's largest reading gap with its
// four cards read and the console up through an axial test and the turntable's turn, and how far the
// captured X, Y, offset, angle and lateral loads lie from what the simulator says they are. False when a run
// did not end stored.
bool benchLateral();

}  // namespace springtest
