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
// SimSet keys: every key of simcard.ini ("specimen" 0 none, 1 compression, 2 tension, 3 leaf, 4 lateral,
// 5 ring; "stretch_when" 1 down, -1 up; "cards" for the whole machine), and
//   keys          operator-box key bits, ORed into GetOutCommand
//   position_mm   moves the crosshead there at once (the encoder follows)
//   fail_open     nonzero: CardOpen refuses this card
//
// SimGet keys: every simcard.ini key, and the ground truth
//   force               specimen force, N, >= 0 (signed for specimen = lateral)
//   cell_force          the force as the cell sees it (negative in true tension)
//   gap_mm              true platen gap (crosshead position plus the frame's deflection)
//   engagement_mm       compression or extension of the spring
//   rate_n_per_mm       the spring's rate where it stands (its nominal rate while clear of the platens;
//                       for bare platens 0 until they touch)
//   solid_rate_n_per_mm the rate past solid height as used
//   indicated_force     the force the load cell reports, N, signed like cell_force: with cell_gain_error g,
//                       cell_nonlinearity n and cell_full_scale_n S, for f = |cell_force| < S
//                         f·(1 + g) + n·S·4·(f/S)·(1 − f/S)
//                       and f·(1 + g) from S on; the raw count is
//                         zero_offset_counts + indicated_force × counts_per_unit × magnification /
//                         base_magnification, plus noise, clipped to ±adc_limit
//                       (g = n = 0: the count is exactly that of the true force)
//   reference_force     the proving ring's true force, N, >= 0: no cell error, no noise (NaN unless
//                       specimen = ring: there is no reference transducer between the platens then)
//   position_mm, velocity_mm_per_min, moving, pulses
//   magnification, defor_magnification, servo_output, output_enabled, relay1 … relay8
//   keys, out_command, opened, fail_open, conversions (LoadGetAd results handed out since the last reset),
//   stalls (LoadGetAd calls held by stall_ms / stall_every_ms since the last reset)
//
// The calibration keys (SimSet and SimGet, and simcard.ini; defaults in brackets):
//   ring_height_mm [50]       specimen = ring: the proving ring touches at this platen gap and is
//                             pressed as the crosshead comes down (stretch_when = up: pulled as it
//                             rises above it)
//   ring_rate_n_per_mm [20000]      the ring's stiffness, > 0
//   platen_contact_mm [0]     specimen = none: the bare platens touch at this gap (the default lies
//                             below the lower travel limit: never reached)
//   platen_rate_n_per_mm [200000]   their contact stiffness, > 0
//   cell_gain_error [0]       fraction, > -0.5: +0.03 makes the cell report 3 % too much
//   cell_nonlinearity [0]     fraction of full scale, |n| <= 0.1: the bow at half range (see
//                             indicated_force)
//   cell_full_scale_n [5000]  where the bow ends, > 0
//   frame_compliance_mm_per_n [0.00002]   the frame's give, >= 0. The encoder counts the crosshead
//                             position x; the true gap is gap_mm = x + compliance × cell_force whenever
//                             the cell is loaded in the sense the specimen pushes (every shipped
//                             configuration). The program adds its compensation coefficient × load to
//                             the displacement, so the coefficient that makes it read the gap is
//                             +frame_compliance_mm_per_n mm per newton: positive (times newtons per
//                             load unit when the load is not calibrated in N).
// A value a key cannot take (NaN, a negative stiffness, ...) is refused by SimSet and skipped in the file.
//
// The leaf spring (specimen = leaf; keys in simcard.ini, defaults in brackets): it lies on a carriage and is
// touched where the platen gap is its arc height + leaf_thickness_mm [30] + carriage_height_mm [50]; its arc
// height unloaded is leaf_free_arc_mm [40] less the permanent set. Pressed δ below the touch its elastic
// force is k0·(δ + g·δ²/2) (leaf_rate_n_per_mm k0 [150], leaf_progression_per_mm g [0.02]); friction between
// the leaves adds up to ±leaf_friction μ [0.05] of it: (1 + μ)·F_el pressed further, (1 − μ)·F_el let up,
// with a short sticking stretch (leaf_stick_rate_n_per_mm, 0 = 20·k0) where the motion turns. A pressing that
// reaches leaf_set_load_n [1000] counts once the spring is clear of the platen again; after n of them the
// set is leaf_set_mm [1.5] · (1 − leaf_set_ratioⁿ) (ratio [0.4]). The spring follows the positions it is
// read at (every load reading, every SimGet of the keys below).
// Its ground truth (SimGet; NaN unless specimen = leaf):
//   arc_height_mm          the true gap less thickness and carriage height, where the crosshead stands
//   leaf_pressings         pressings counted so far
//   leaf_set_now_mm        the permanent set now
//   leaf_contact_mm        the platen gap at which the spring is touched now
//   leaf_loading_arc_mm    arc height at which it carries leaf_probe_load_n [1000] pressed further
//   leaf_unloading_arc_mm  the same let up
// The lateral-stiffness machine (machine type 5): card 0 axial drive, card 1 lateral drive whose encoder is
// also the Y sensor, card 2 turntable (its "mm" are degrees: mm_per_pulse is degrees per pulse, rate_scale
// degrees/min per unit of SetRate), card 3 the X sensor. Keys (simcard.ini and SimSet; defaults in brackets):
//   lateral_offset_per_mm [0]     card 0: mm its spring's top moves sideways per mm it is pressed, 0 … 1
//   lateral_offset_angle_deg [0]  card 0: direction θ of that offset with the turntable at 0; the offset is
//                                 r·(−sin θ, −cos θ) in (X, Y), r = lateral_offset_per_mm × deflection_mm;
//                                 θ = 216.87 for X = 3, Y = 4, 36.87 for X = −3, Y = −4
//   lateral_rate_n_per_mm [20]    specimen = lateral: the lateral spring's rate, >= 0
//   lateral_neutral_mm [150]      specimen = lateral: where it carries nothing; force = rate × (neutral −
//                                 gap), gap = position + frame_compliance_mm_per_n × force: positive
//                                 (compression counts) pushed in below the neutral, negative pulled out
// Card 2's angle a turns the direction: θ_now = lateral_offset_angle_deg + a. Card 1's encoder reads its own
// crosshead plus the offset's Y, card 3's its own plus the X, both at the moment of the reading and zeroed
// (CardOpen, ResetMainCountor) where both stand then.
// Its ground truth (SimGet):
//   deflection_mm       any card: how far its spring is pressed (its engagement, 0 while clear of it)
//   offset_x_mm, offset_y_mm, offset_mm, offset_angle_deg   card 0 only: the offset now, θ_now in [0, 360)
//                       (NaN when the offset is 0)
//   lateral_force_n     the lateral spring's signed force (NaN unless specimen = lateral)
//   turntable_angle_deg card 2 only: its position in degrees
//   pulses              on cards 1 and 3 with the offset, as ReadPulse
//
// pump_relay [0]: on a hydraulic machine the relay (1…8) that runs the oil pump; while it is off the servo
// valve moves nothing. 0: no pump.
//
// SimLoadConfig puts each crosshead where simcard.state beside the file says it was left (the configured
// start position without one); SimReset always to the configured start position.

namespace springtest::sim {

using SimSetFn = int (*)(int, const char*, double);
using SimGetFn = double (*)(int, const char*);
using SimLoadConfigFn = int (*)(const char*);
using SimResetFn = void (*)();

}  // namespace springtest::sim
