#include "SimConfig.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

namespace springtest::sim {

namespace {

struct KeyField {
    std::string_view name;
    double CardConfig::*field;
};

constexpr KeyField kCardKeys[] = {
    {"lower_limit_mm", &CardConfig::lower_limit_mm},
    {"upper_limit_mm", &CardConfig::upper_limit_mm},
    {"start_position_mm", &CardConfig::start_position_mm},
    {"rate_scale", &CardConfig::rate_scale},
    {"valve_zero", &CardConfig::valve_zero},
    {"servo_gain_mm_per_min", &CardConfig::servo_gain_mm_per_min},
    {"mm_per_pulse", &CardConfig::mm_per_pulse},
    {"frame_compliance_mm_per_n", &CardConfig::frame_compliance_mm_per_n},
    {"platen_contact_mm", &CardConfig::platen_contact_mm},
    {"platen_rate_n_per_mm", &CardConfig::platen_rate_n_per_mm},
    {"specimen", &CardConfig::specimen},
    {"free_height_mm", &CardConfig::free_height_mm},
    {"rate_n_per_mm", &CardConfig::rate_n_per_mm},
    {"solid_height_mm", &CardConfig::solid_height_mm},
    {"solid_rate_n_per_mm", &CardConfig::solid_rate_n_per_mm},
    {"free_length_mm", &CardConfig::free_length_mm},
    {"initial_tension_n", &CardConfig::initial_tension_n},
    {"stretch_when", &CardConfig::stretch_when},
    {"load_sign", &CardConfig::load_sign},
    {"ring_height_mm", &CardConfig::ring_height_mm},
    {"ring_rate_n_per_mm", &CardConfig::ring_rate_n_per_mm},
    {"leaf_free_arc_mm", &CardConfig::leaf_free_arc_mm},
    {"leaf_thickness_mm", &CardConfig::leaf_thickness_mm},
    {"carriage_height_mm", &CardConfig::carriage_height_mm},
    {"leaf_rate_n_per_mm", &CardConfig::leaf_rate_n_per_mm},
    {"leaf_progression_per_mm", &CardConfig::leaf_progression_per_mm},
    {"leaf_friction", &CardConfig::leaf_friction},
    {"leaf_stick_rate_n_per_mm", &CardConfig::leaf_stick_rate_n_per_mm},
    {"leaf_set_mm", &CardConfig::leaf_set_mm},
    {"leaf_set_ratio", &CardConfig::leaf_set_ratio},
    {"leaf_set_load_n", &CardConfig::leaf_set_load_n},
    {"leaf_probe_load_n", &CardConfig::leaf_probe_load_n},
    {"lateral_offset_per_mm", &CardConfig::lateral_offset_per_mm},
    {"lateral_offset_angle_deg", &CardConfig::lateral_offset_angle_deg},
    {"lateral_rate_n_per_mm", &CardConfig::lateral_rate_n_per_mm},
    {"lateral_neutral_mm", &CardConfig::lateral_neutral_mm},
    {"pump_relay", &CardConfig::pump_relay},
    {"zero_offset_counts", &CardConfig::zero_offset_counts},
    {"counts_per_unit", &CardConfig::counts_per_unit},
    {"base_magnification", &CardConfig::base_magnification},
    {"adc_limit", &CardConfig::adc_limit},
    {"cell_gain_error", &CardConfig::cell_gain_error},
    {"cell_nonlinearity", &CardConfig::cell_nonlinearity},
    {"cell_full_scale_n", &CardConfig::cell_full_scale_n},
    {"noise_counts", &CardConfig::noise_counts},
    {"noise_seed", &CardConfig::noise_seed},
    {"conversion_rate_hz", &CardConfig::conversion_rate_hz},
    {"fifo_depth", &CardConfig::fifo_depth},
    {"stall_ms", &CardConfig::stall_ms},
    {"stall_every_ms", &CardConfig::stall_every_ms},
    {"upper_limit_bit", &CardConfig::upper_limit_bit},
    {"lower_limit_bit", &CardConfig::lower_limit_bit},
};

// "card3" → 3; anything else → -1.
int cardSection(std::string_view name) {
    if (name.size() != 5 || !equalsIgnoreCase(name.substr(0, 4), "card")) return -1;
    const int index = name[4] - '0';
    return index >= 0 && index < kMaxCards ? index : -1;
}

}  // namespace

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool parseNumber(std::string_view text, double& value) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double v = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

SpecimenKind CardConfig::specimenKind() const {
    const int kind = static_cast<int>(std::lround(specimen));
    return kind >= 0 && kind <= 5 ? static_cast<SpecimenKind>(kind) : SpecimenKind::None;
}

double CardConfig::indicatedForce(double force_n) const {
    // Symmetric in the sign, so that tension shows the same error as compression. Past full scale the cell
    // stays on its gain line: the bow's parabola would otherwise turn over and make the cell non-monotone.
    const double f = std::fabs(force_n);
    const double s = f / cell_full_scale_n;
    const double bow = s < 1.0 ? cell_nonlinearity * cell_full_scale_n * 4.0 * s * (1.0 - s) : 0.0;
    return std::copysign(f * (1.0 + cell_gain_error) + bow, force_n);
}

double* cardConfigField(CardConfig& config, std::string_view key) {
    for (const KeyField& k : kCardKeys) {
        if (equalsIgnoreCase(k.name, key)) return &(config.*k.field);
    }
    return nullptr;
}

const double* cardConfigField(const CardConfig& config, std::string_view key) {
    return cardConfigField(const_cast<CardConfig&>(config), key);
}

bool validCardConfigValue(std::string_view key, double value) {
    if (!std::isfinite(value)) return false;
    if (equalsIgnoreCase(key, "specimen")) return value == std::round(value) && value >= 0.0 && value <= 5.0;
    if (equalsIgnoreCase(key, "stretch_when")) return value == 1.0 || value == -1.0;
    if (equalsIgnoreCase(key, "load_sign")) return value == 1.0 || value == -1.0;
    // A negative bit number switches that limit switch off.
    if (equalsIgnoreCase(key, "upper_limit_bit") || equalsIgnoreCase(key, "lower_limit_bit"))
        return value == std::round(value) && value <= 7.0;
    if (equalsIgnoreCase(key, "conversion_rate_hz") || equalsIgnoreCase(key, "noise_counts") ||
        equalsIgnoreCase(key, "frame_compliance_mm_per_n") || equalsIgnoreCase(key, "noise_seed") ||
        equalsIgnoreCase(key, "stall_ms") || equalsIgnoreCase(key, "stall_every_ms") ||
        equalsIgnoreCase(key, "rate_n_per_mm") || equalsIgnoreCase(key, "solid_rate_n_per_mm"))
        return value >= 0.0;
    if (equalsIgnoreCase(key, "mm_per_pulse") || equalsIgnoreCase(key, "fifo_depth") ||
        equalsIgnoreCase(key, "base_magnification") || equalsIgnoreCase(key, "ring_rate_n_per_mm") ||
        equalsIgnoreCase(key, "platen_rate_n_per_mm") || equalsIgnoreCase(key, "cell_full_scale_n"))
        return value > 0.0;
    // Within these bounds the cell's response keeps rising with the force (its slope is at least
    // 1 + gain error − 4 × |non-linearity| > 0.1), so that every count stands for one force; beyond them the
    // cell is broken rather than miscalibrated.
    if (equalsIgnoreCase(key, "pump_relay"))
        return value == std::round(value) && value >= 0.0 && value <= 8.0;
    if (equalsIgnoreCase(key, "leaf_rate_n_per_mm")) return value > 0.0;
    // Friction beyond half the elastic force would make the spring push back with less than half of it.
    if (equalsIgnoreCase(key, "leaf_friction")) return value >= 0.0 && value < 0.5;
    if (equalsIgnoreCase(key, "leaf_set_ratio")) return value >= 0.0 && value <= 1.0;
    for (const char* nonNegative :
         {"leaf_free_arc_mm", "leaf_thickness_mm", "carriage_height_mm", "leaf_progression_per_mm",
          "leaf_stick_rate_n_per_mm", "leaf_set_mm", "leaf_set_load_n", "leaf_probe_load_n"}) {
        if (equalsIgnoreCase(key, nonNegative)) return value >= 0.0;
    }
    if (equalsIgnoreCase(key, "lateral_rate_n_per_mm")) return value >= 0.0;
    // The direction of the offset is the angle's business; a top that moved further sideways than the spring
    // is pressed would have fallen over.
    if (equalsIgnoreCase(key, "lateral_offset_per_mm")) return value >= 0.0 && value <= 1.0;
    if (equalsIgnoreCase(key, "cell_gain_error")) return value > -0.5;
    if (equalsIgnoreCase(key, "cell_nonlinearity")) return std::fabs(value) <= 0.1;
    return true;
}

bool parseCardConfigValue(std::string_view key, std::string_view text, double& value) {
    text = trimmed(text);
    if (equalsIgnoreCase(key, "specimen")) {
        static constexpr std::string_view kNames[] = {"none", "compression", "tension",
                                                      "leaf", "lateral",     "ring"};
        for (int i = 0; i < static_cast<int>(std::size(kNames)); ++i) {
            if (equalsIgnoreCase(text, kNames[i])) {
                value = i;
                return true;
            }
        }
    } else if (equalsIgnoreCase(key, "stretch_when")) {
        if (equalsIgnoreCase(text, "down")) {
            value = 1.0;
            return true;
        }
        if (equalsIgnoreCase(text, "up")) {
            value = -1.0;
            return true;
        }
    }
    double v = 0.0;
    if (!parseNumber(text, v) || !validCardConfigValue(key, v)) return false;
    value = v;
    return true;
}

MachineConfig parseMachineConfig(std::string_view text) {
    struct Entry {
        int card;  // -1: [machine]
        std::string_view key;
        std::string_view value;
    };
    std::vector<Entry> entries;

    int section = -2;  // -2: outside any known section
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (line.size() >= 3 && static_cast<unsigned char>(line[0]) == 0xEF &&
            static_cast<unsigned char>(line[1]) == 0xBB && static_cast<unsigned char>(line[2]) == 0xBF)
            line.remove_prefix(3);
        line = trimmed(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            const std::string_view name =
                trimmed(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            if (equalsIgnoreCase(name, "machine")) {
                section = -1;
            } else {
                const int card = cardSection(name);
                section = card >= 0 ? card : -2;
            }
            continue;
        }
        if (section == -2) continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view value = line.substr(eq + 1);
        const size_t comment = value.find_first_of(";#");
        if (comment != std::string_view::npos) value = value.substr(0, comment);
        entries.push_back({section, trimmed(line.substr(0, eq)), trimmed(value)});
    }

    MachineConfig config;
    // [machine] first, whatever the order in the file, so that a card's own section always wins.
    for (const Entry& e : entries) {
        if (e.card != -1) continue;
        if (equalsIgnoreCase(e.key, "cards")) {
            double v = 0.0;
            if (parseNumber(e.value, v) && v >= 0.0 && v <= kMaxCards && v == std::round(v))
                config.cards = static_cast<int>(v);
            continue;
        }
        for (CardConfig& card : config.card) {
            if (double* field = cardConfigField(card, e.key)) parseCardConfigValue(e.key, e.value, *field);
        }
    }
    for (const Entry& e : entries) {
        if (e.card < 0) continue;
        if (double* field = cardConfigField(config.card[static_cast<size_t>(e.card)], e.key))
            parseCardConfigValue(e.key, e.value, *field);
    }
    return config;
}

bool loadMachineConfig(const std::string& path, MachineConfig& config) {
    config = MachineConfig{};
    if (path.empty()) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    config = parseMachineConfig(text);
    return true;
}

}  // namespace springtest::sim
