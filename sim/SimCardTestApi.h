#pragma once

// The simulated card's extra functions, for tests that load the driver library and resolve them by name
// (QLibrary::resolve("SimSet") and so on). Every one has C linkage.
//
//   int    SimSet(int card, const char* key, double value)  0 done, -1 unknown key, bad value or card
//   double SimGet(int card, const char* key)                NaN for an unknown key or card
//   int    SimLoadConfig(const char* path)                  re-read a configuration file and reset every card
//   to it;
//                                                           NULL or "" gives the defaults; -1 when unreadable
//   void   SimReset()                                       every card back to the current configuration
//
// SimSet keys: every key of simcard.ini ("specimen" 0 none, 1 compression, 2 tension, 3 leaf, 4 lateral;
// "stretch_when" 1 down, -1 up; "cards" for the whole machine), and
//   keys          operator-box key bits, ORed into GetOutCommand
//   position_mm   moves the crosshead there at once (the encoder follows)
//   fail_open     nonzero: CardOpen refuses this card
//
// SimGet keys: every simcard.ini key, and the ground truth
//   force               specimen force, N, >= 0
//   cell_force          the force as the cell sees it (negative in true tension)
//   gap_mm              true platen gap (crosshead position plus the frame's deflection)
//   engagement_mm       compression or extension of the spring
//   rate_n_per_mm       the spring's rate where it stands (its nominal rate while clear of the platens)
//   solid_rate_n_per_mm the rate past solid height as used
//   position_mm, velocity_mm_per_min, moving, pulses
//   magnification, defor_magnification, servo_output, output_enabled, relay1 … relay8
//   keys, out_command, opened, fail_open, conversions (LoadGetAd results handed out since the last reset),
//   stalls (LoadGetAd calls held by stall_ms / stall_every_ms since the last reset)
//
// SimLoadConfig puts each crosshead where simcard.state beside the file says it was left (the configured
// start position without one); SimReset always to the configured start position.

namespace springtest::sim {

using SimSetFn = int (*)(int, const char*, double);
using SimGetFn = double (*)(int, const char*);
using SimLoadConfigFn = int (*)(const char*);
using SimResetFn = void (*)();

}  // namespace springtest::sim
