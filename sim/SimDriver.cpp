// The card driver's exported functions. One machine per loaded library: its cards, and the configuration they
// were reset to. The configuration is read once, on first use (the program's first CardOpen), from the file
// named by SPRINGTEST_SIMCARD_INI or from simcard.ini in the current directory. The crossheads start where
// the state file beside it says they were left, and it is written again when the library is let go after
// the program has opened a card.

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "CrossheadState.h"
#include "LateralMachine.h"
#include "SimCard.h"
#include "SimConfig.h"

#if defined(_WIN32)
#define SIMCARD_API extern "C" __declspec(dllexport)
#else
#define SIMCARD_API extern "C" __attribute__((visibility("default")))
#endif

namespace springtest::sim {
namespace {

class Machine {
public:
    static Machine& instance() {
        static Machine machine;
        return machine;
    }

    // nullptr for an index that no card slot has.
    SimCard* card(int index) {
        if (index < 0 || index >= kMaxCards) return nullptr;
        ensureConfigured();
        return &m_cards[static_cast<size_t>(index)];
    }

    bool open(int index) {
        SimCard* c = card(index);
        if (!c) return false;
        const SimCard::Clock::time_point t = SimCard::Clock::now();
        const bool opened =
            c->open(index < m_cardCount.load(std::memory_order_relaxed), t, sensorOffsetAt(index, t));
        if (opened) m_cardOpened.store(true, std::memory_order_relaxed);
        return opened;
    }

    int32_t readPulse(int index) {
        SimCard* c = card(index);
        if (!c) return 0;
        const SimCard::Clock::time_point t = SimCard::Clock::now();
        return c->readPulse(t, sensorOffsetAt(index, t));
    }

    void resetCounter(int index) {
        SimCard* c = card(index);
        if (!c) return;
        const SimCard::Clock::time_point t = SimCard::Clock::now();
        c->resetCounter(t, sensorOffsetAt(index, t));
    }

    // The lateral machine's ground truth, for the keys that need more than one card; nullopt for any other.
    std::optional<double> coupledTruth(int index, std::string_view key) {
        if (!card(index)) return std::nullopt;
        if (equalsIgnoreCase(key, "pulses")) return readPulse(index);
        if (index == kTurntableCard && equalsIgnoreCase(key, "turntable_angle_deg"))
            return m_cards[static_cast<size_t>(kTurntableCard)].get("position_mm");
        if (index != kAxialCard) return std::nullopt;
        const LateralOffset offset = offsetAt(SimCard::Clock::now());
        if (equalsIgnoreCase(key, "offset_x_mm")) return offset.x_mm;
        if (equalsIgnoreCase(key, "offset_y_mm")) return offset.y_mm;
        if (equalsIgnoreCase(key, "offset_mm")) return std::hypot(offset.x_mm, offset.y_mm);
        if (equalsIgnoreCase(key, "offset_angle_deg")) return offsetAngle_deg(offset);
        return std::nullopt;
    }

    int cardCount() {
        ensureConfigured();
        return m_cardCount.load(std::memory_order_relaxed);
    }

    bool setCardCount(double value) {
        if (!(value >= 0.0 && value <= kMaxCards) || value != std::round(value)) return false;
        ensureConfigured();
        m_cardCount.store(static_cast<int>(value), std::memory_order_relaxed);
        return true;
    }

    bool loadConfig(const std::string& path) {
        std::lock_guard lock(m_configMutex);
        const bool ok = path.empty() ? (m_config = MachineConfig{}, true) : loadMachineConfig(path, m_config);
        m_statePath = crossheadStatePath(path);
        applyLocked(readCrossheadState(m_statePath));
        m_configured.store(true, std::memory_order_release);
        return ok;
    }

    void reset() {
        ensureConfigured();
        std::lock_guard lock(m_configMutex);
        applyLocked({});
    }

    // Couplings between cards (the fatigue drive: cycles counted on card 1 while relay 2 of card 0 is on)
    // belong here, where every card is in reach; each card alone knows only its own crosshead and specimen.

private:
    Machine() = default;

    // Where the axial spring's top stands sideways at t: card 0's deflection, then the turntable's angle,
    // each under its own card's lock in turn.
    LateralOffset offsetAt(SimCard::Clock::time_point t) {
        const AxialOffsetSource axial = m_cards[static_cast<size_t>(kAxialCard)].axialOffsetAt(t);
        if (axial.offset_per_mm == 0.0 || axial.deflection_mm <= 0.0) return {};
        return lateralOffset(axial, m_cards[static_cast<size_t>(kTurntableCard)].positionAt(t));
    }

    // The sensors on the spring's top: card 1's encoder reads Y with the lateral drive, card 3's reads X.
    double sensorOffsetAt(int index, SimCard::Clock::time_point t) {
        if (index != kLateralCard && index != kXSensorCard) return 0.0;
        const LateralOffset offset = offsetAt(t);
        return index == kLateralCard ? offset.y_mm : offset.x_mm;
    }

    // The program is done with the machine (its library unloaded, or the process ending): the crossheads stay
    // where they are for the next start. A machine the program never opened leaves the file alone, so that a
    // look at a configuration never writes beside it.
    ~Machine() {
        std::lock_guard lock(m_configMutex);
        if (m_statePath.empty() || !m_cardOpened.load(std::memory_order_relaxed)) return;
        std::array<double, kMaxCards> positions{};
        for (int i = 0; i < kMaxCards; ++i)
            positions[static_cast<size_t>(i)] = m_cards[static_cast<size_t>(i)].get("position_mm");
        writeCrossheadState(m_statePath, positions);
    }

    void ensureConfigured() {
        if (m_configured.load(std::memory_order_acquire)) return;
        std::lock_guard lock(m_configMutex);
        if (m_configured.load(std::memory_order_relaxed)) return;
        const char* env = std::getenv("SPRINGTEST_SIMCARD_INI");
        const std::string path = env && *env ? std::string(env) : std::string("simcard.ini");
        loadMachineConfig(path, m_config);
        m_statePath = crossheadStatePath(path);
        applyLocked(readCrossheadState(m_statePath));
        m_configured.store(true, std::memory_order_release);
    }

    void applyLocked(const CrossheadPositions& positions) {
        m_cardCount.store(m_config.cards, std::memory_order_relaxed);
        for (int i = 0; i < kMaxCards; ++i) {
            const auto index = static_cast<size_t>(i);
            m_cards[index].reset(m_config.card[index], i, positions[index]);
        }
        m_cardOpened.store(false, std::memory_order_relaxed);
    }

    std::array<SimCard, kMaxCards> m_cards;
    std::mutex m_configMutex;
    MachineConfig m_config;   // under m_configMutex
    std::string m_statePath;  // under m_configMutex; empty: nothing is kept between runs
    std::atomic<bool> m_configured{false};
    std::atomic<bool> m_cardOpened{false};
    std::atomic<int> m_cardCount{kMaxCards};
};

SimCard* card(int32_t index) {
    return Machine::instance().card(index);
}

}  // namespace
}  // namespace springtest::sim

using springtest::sim::card;
using springtest::sim::Machine;

SIMCARD_API uint8_t CardOpen(int32_t index) {
    return Machine::instance().open(index) ? 1 : 0;
}

SIMCARD_API void CardClose(int32_t index) {
    if (auto* c = card(index)) c->close();
}

SIMCARD_API int32_t LoadGetAd(int32_t index) {
    auto* c = card(index);
    return c ? c->loadGetAd() : 0;
}

// This machine has no deflection transducer: the channel reads nothing.
SIMCARD_API int32_t DeforGetAd(int32_t) {
    return 0;
}

SIMCARD_API void SetLoadAmp(int32_t index, int32_t magnification) {
    if (auto* c = card(index)) c->setLoadAmp(magnification);
}

// The zero is the calibration's business; the amplifier has no hardware zero to set.
SIMCARD_API void LoadHardZero(int32_t) {}

SIMCARD_API int32_t ReadPulse(int32_t index) {
    return Machine::instance().readPulse(index);
}

SIMCARD_API void ResetMainCountor(int32_t index) {
    Machine::instance().resetCounter(index);
}

SIMCARD_API void SetRate(int32_t index, float rate) {
    if (auto* c = card(index)) c->setRate(rate);
}

SIMCARD_API void MoveUp(int32_t index) {
    if (auto* c = card(index)) c->moveUp();
}

SIMCARD_API void MoveDown(int32_t index) {
    if (auto* c = card(index)) c->moveDown();
}

SIMCARD_API void Stop(int32_t index) {
    if (auto* c = card(index)) c->stop();
}

SIMCARD_API uint8_t GetOutCommand(int32_t index) {
    auto* c = card(index);
    return c ? c->outCommand() : 0;
}

SIMCARD_API void SetDeforAmp(int32_t index, int32_t magnification) {
    if (auto* c = card(index)) c->setDeforAmp(magnification);
}

// The program always passes its 8 relay bytes and the constant 7 (the highest byte index).
SIMCARD_API void RLY(int32_t index, uint8_t* relays, int32_t) {
    auto* c = card(index);
    if (c && relays) c->setRelays(relays);
}

SIMCARD_API void servodata(int32_t index, uint16_t output) {
    if (auto* c = card(index)) c->servoData(output);
}

SIMCARD_API void DASTART(int32_t index) {
    if (auto* c = card(index)) c->daStart();
}

// ---------------------------------------------------------------------------------------------------------------
// For tests: see SimCardTestApi.h.

SIMCARD_API int SimSet(int index, const char* key, double value) {
    if (!key) return -1;
    if (springtest::sim::equalsIgnoreCase(key, "cards"))
        return Machine::instance().setCardCount(value) ? 0 : -1;
    auto* c = card(index);
    return c && c->set(key, value) ? 0 : -1;
}

SIMCARD_API double SimGet(int index, const char* key) {
    if (!key) return std::numeric_limits<double>::quiet_NaN();
    if (springtest::sim::equalsIgnoreCase(key, "cards")) return Machine::instance().cardCount();
    if (const std::optional<double> truth = Machine::instance().coupledTruth(index, key)) return *truth;
    auto* c = card(index);
    return c ? c->get(key) : std::numeric_limits<double>::quiet_NaN();
}

SIMCARD_API int SimLoadConfig(const char* path) {
    return Machine::instance().loadConfig(path ? std::string(path) : std::string()) ? 0 : -1;
}

SIMCARD_API void SimReset() {
    Machine::instance().reset();
}
