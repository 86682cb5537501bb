#pragma once

#include <array>
#include <string>
#include <string_view>

namespace springtest::sim {

inline constexpr int kMaxCards = 5;

enum class SpecimenKind { None = 0, Compression = 1, Tension = 2, Leaf = 3, Lateral = 4, Ring = 5 };

// Everything that describes one card's machine and specimen. Kept as doubles so that one table of keys serves
// the configuration file, SimSet and SimGet alike.
struct CardConfig {
    // Crosshead and drive
    double lower_limit_mm = 5.0;
    double upper_limit_mm = 400.0;
    double start_position_mm = 150.0;
    double rate_scale = 1.0;             // mm/min per unit of SetRate
    double valve_zero = 2048.0;          // servo output that holds the crosshead still
    double servo_gain_mm_per_min = 0.5;  // per servo output count above the valve zero
    double mm_per_pulse = 0.00025;
    double frame_compliance_mm_per_n = 0.00002;
    // The bare platens meet at this gap when nothing stands between them. The default lies below the lower
    // travel limit, so an empty machine never touches unless a configuration brings the platens within reach.
    double platen_contact_mm = 0.0;
    double platen_rate_n_per_mm = 200000.0;

    // Specimen
    double specimen = 0.0;         // SpecimenKind
    double free_height_mm = 60.0;  // compression spring
    double rate_n_per_mm = 10.0;
    double solid_height_mm = 30.0;
    double solid_rate_n_per_mm = 0.0;  // 0: 100 × rate_n_per_mm
    double free_length_mm = 100.0;     // tension spring: platen gap at its free length
    double initial_tension_n = 5.0;
    double stretch_when = 1.0;     // 1: as the crosshead comes down, -1: as it rises
    double load_sign = 1.0;        // -1: the cell is loaded in true tension
    double ring_height_mm = 50.0;  // proving ring: the reference transducer for calibration
    double ring_rate_n_per_mm = 20000.0;
    // Leaf spring on the carriage (see LeafSpring): touched where the gap is arc height + thickness +
    // carriage height.
    double leaf_free_arc_mm = 40.0;
    double leaf_thickness_mm = 30.0;
    double carriage_height_mm = 50.0;
    double leaf_rate_n_per_mm = 150.0;      // k0, at the first touch
    double leaf_progression_per_mm = 0.02;  // g: k(δ) = k0·(1 + g·δ)
    double leaf_friction = 0.05;            // μ: ±μ of the elastic force between the leaves
    double leaf_stick_rate_n_per_mm = 0.0;  // where the motion turns; 0: 20 × leaf_rate_n_per_mm
    double leaf_set_mm = 1.5;               // the permanent set it settles to
    double leaf_set_ratio = 0.4;            // r: after n pressings the set is leaf_set_mm·(1 − rⁿ)
    double leaf_set_load_n = 1000.0;        // a pressing to at least this force counts
    double leaf_probe_load_n = 1000.0;      // the force the ground truth's arc heights are given at
    // The lateral machine (see LateralMachine.h). On the axial card: how far its spring's top moves sideways
    // per mm it is pressed, and in which direction with the turntable at 0. On the lateral card
    // (specimen = lateral): the spring pushed sideways, carrying nothing at lateral_neutral_mm.
    double lateral_offset_per_mm = 0.0;
    double lateral_offset_angle_deg = 0.0;
    double lateral_rate_n_per_mm = 20.0;
    double lateral_neutral_mm = 150.0;  // where a card starts by default: it stands unloaded until moved

    // Hydraulic machines: the relay (1…8) that runs the oil pump; without it on the servo valve moves
    // nothing. 0: no pump to wait for.
    double pump_relay = 0.0;

    // Load cell and converter
    double zero_offset_counts = 100.0;
    double counts_per_unit = 4.0;
    double base_magnification = 400.0;
    double adc_limit = 32767.0;
    // A cell that is off: it reports (1 + gain error) times the force, plus a bow of cell_nonlinearity × full
    // scale at half range that vanishes at zero and at full scale.
    double cell_gain_error = 0.0;
    double cell_nonlinearity = 0.0;
    double cell_full_scale_n = 5000.0;
    double noise_counts = 1.5;
    double noise_seed = 0.0;              // 0: seeded from the clock
    double conversion_rate_hz = 68000.0;  // 0: no pacing
    double fifo_depth = 1024.0;

    // A busy machine: every stall_every_ms a LoadGetAd call is held for stall_ms before it reads the FIFO, so
    // the conversions made meanwhile arrive back to back afterwards. 0 in either: never held.
    double stall_ms = 0.0;
    double stall_every_ms = 0.0;

    // Operator box
    double upper_limit_bit = 2.0;
    double lower_limit_bit = 3.0;

    SpecimenKind specimenKind() const;
    double solidRate() const {
        return solid_rate_n_per_mm > 0.0 ? solid_rate_n_per_mm : 100.0 * rate_n_per_mm;
    }
    // The force the cell reports for a true force (either sign), before the converter scales it.
    double indicatedForce(double force_n) const;
};

struct MachineConfig {
    int cards = kMaxCards;
    std::array<CardConfig, kMaxCards> card{};
};

// The per-card keys by name. Lookups ignore case.
double* cardConfigField(CardConfig& config, std::string_view key);
const double* cardConfigField(const CardConfig& config, std::string_view key);

// Checks a value for a key before it is stored: specimen kinds, stretch senses and bit numbers have few valid
// values.
bool validCardConfigValue(std::string_view key, double value);

// Parses a value as the configuration file writes it: a number, or for "specimen" and "stretch_when" a name
// (none, compression, tension, leaf, lateral, ring; down, up). Returns false for text that is neither.
bool parseCardConfigValue(std::string_view key, std::string_view text, double& value);

// Reads an INI text: [machine] holds "cards" and defaults for every card, [card0] … [card4] hold one card's
// keys. Unknown sections, keys and unparsable values are skipped, so an old file never stops the machine.
MachineConfig parseMachineConfig(std::string_view text);

// Reads the file; returns false (and the defaults) when it cannot be read.
bool loadMachineConfig(const std::string& path, MachineConfig& config);

bool equalsIgnoreCase(std::string_view a, std::string_view b);
std::string_view trimmed(std::string_view s);
// A plain decimal number, surrounding blanks allowed; false for anything else or a non-finite value.
bool parseNumber(std::string_view text, double& value);

}  // namespace springtest::sim
