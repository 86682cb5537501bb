#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace springtest {

inline constexpr int kGearButtonCount = 6;

// What the data panel's gear row shows: the first `visible` buttons, each captioned with its gear's full
// scale. A gear count the channel cannot have leaves the row as designed: six buttons reading "100000".
struct GearButtonRow {
    int visible = kGearButtonCount;
    std::array<QString, kGearButtonCount> captions;
};
// `decimals[k]` is gear k+1's decimal count.
GearButtonRow gearButtonRow(int gearCount, double fullRange_load,
                            const std::array<int, kGearButtonCount>& decimals);

// The shown load is the mean of the last four refreshes, so a single noisy reading does not make the figure
// jump. The ring starts empty (zeros), so the first three means still include them.
class LoadRing {
public:
    float push(double load) {
        m_position = static_cast<uint8_t>(m_position + 1);  // 1…4
        m_samples[static_cast<size_t>(m_position - 1)] = load;
        m_position = static_cast<uint8_t>(m_position % m_samples.size());
        float sum = 0.0f;
        for (double s : m_samples) sum += static_cast<float>(s);
        return sum / static_cast<float>(m_samples.size());
    }

private:
    uint8_t m_position = 0;
    std::array<double, 4> m_samples{};
};

}  // namespace springtest
