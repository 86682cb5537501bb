#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <optional>

namespace springtest {

struct CardSlot;
class Tload;

// Which sign of load a calibration or verification works on.
enum class LoadSide { Compression, Tension };

struct LoadDriveSettings {
    // Until the load shows the standard is met, and back off it.
    float approachSpeed_mm_per_min = 50.0f;
    // While the force builds up; a quarter of it over the last tenth of the way, so the stop lands close.
    float loadingSpeed_mm_per_min = 5.0f;
    // After a stop, before a reading counts: the load relaxes into the frame and the cell.
    int settle_ms = 1000;
    // How long a reading is averaged.
    int averaging_ms = 200;
    // Above this share of the gear's range the standard is met (in contact); below it the machine is
    // unloaded.
    double contactShare = 0.005;
    // How far past the last contact the crosshead backs off, so the zero is read with nothing touching.
    float clearance_mm = 0.5f;
    // Longest any one move may take before the run gives up.
    int moveTimeout_ms = 600000;
    // The way the crosshead goes to load the standard: down for compression, up for tension (a tension
    // fixture on a machine that stretches downward loads the cell in tension going down: set it then).
    bool loadDownward = true;
};

// The mean of a reading taken over a while, and how far it wandered meanwhile.
struct HeldReading {
    double mean = 0.0;
    double lowest = 0.0;
    double highest = 0.0;
};

// Drives one card's crosshead to build up a force on a standard and to take it off again, watching the
// load the acquisition thread keeps in the card's record. Every motion goes through the motor channel's
// commands, which accept calls from any thread; between readings the caller's thread sleeps for a
// millisecond and lets its event loop run (the motor's timers and the signal handler live there), so
// nothing burns a core and the acquisition thread never waits.
class LoadDrive {
public:
    // Called between two looks at the record.
    using Pause = std::function<void()>;

    LoadDrive(CardSlot& card, LoadSide side, LoadDriveSettings settings, Pause pause = defaultPause());

    // Loads until the indicated force (as a magnitude on the side) reaches `target`, then stops.
    bool loadTo(double target);
    // Takes the force off and backs clear of the standard, then stops.
    bool unload();
    // Waits for the machine to settle, then averages the indicated force (signed as the side: positive).
    std::optional<HeldReading> settledReading();

    void setSide(LoadSide side) { m_side = side; }

    // The indicated force now, positive on the side.
    double indicated() const;
    double contactLoad() const;

    // From any thread (a signal handler's callback, a window's stop button): the current move stops and
    // every later one refuses.
    void cancel();
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    // Why the last move failed, in the operator's words.
    const QString& error() const { return m_error; }

    static Pause defaultPause();

private:
    enum class Direction { Loading, Unloading };
    bool start(Direction direction, float speed_mm_per_min);
    // Waits until `reached`, while the crosshead moves; false on a cancel, a timeout or a motor that
    // stopped by itself (limit switch, overload trip).
    bool moveUntil(const std::function<bool()>& reached, const std::function<void()>& onEachLook = {});
    bool fail(const QString& message);

    CardSlot& m_card;
    LoadSide m_side;
    LoadDriveSettings m_settings;
    Pause m_pause;
    std::atomic<bool> m_cancelled{false};
    QString m_error;
};

// Keeps a load channel on one gear for its lifetime: an automatic gear change would move a calibration or a
// verification onto another gear's calibration halfway. The automatic changes come back as they were.
class FixedGear {
public:
    FixedGear(Tload& load, int gear);
    ~FixedGear();
    FixedGear(const FixedGear&) = delete;
    FixedGear& operator=(const FixedGear&) = delete;

private:
    Tload& m_load;
    bool m_autoGear;
};

}  // namespace springtest
