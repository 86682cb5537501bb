#pragma once

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/CardDriver.h"
#include "platform/Prompts.h"
#include "storage/Schema.h"
#include "support/FakeCard.h"
#include "support/TempAppDir.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace springtest::testing {

// Card 0 of a scripted card, for the set-up and service windows that work on one card: the test sets the
// raw count and takes one reading, as the acquisition thread would, so the channel holds that count; prompts
// are scripted and recorded. The load and displacement channels always; the motor channel for the windows
// that drive the crosshead.
struct CardRig {
    enum class Motor { Without, With };

    TempAppDir dir;  // the rig's own application folder, when it is given none
    CardDriver driver{FakeCard::api()};
    CardSlot slot;
    ScriptedPrompts prompts;

    // The card of an application folder the test has set up.
    explicit CardRig(const QString& applicationFolder, Motor motor = Motor::Without) {
        open(applicationFolder, motor);
    }
    // The card of the rig's own folder, whose init0.dat is `channelConfig`.
    CardRig(Motor motor, const QByteArray& channelConfig) {
        dir.write(QStringLiteral("init0.dat"), channelConfig);
        open(dir.path(), motor);
    }
    ~CardRig() { setPrompts(nullptr); }
    CardRig(const CardRig&) = delete;
    CardRig& operator=(const CardRig&) = delete;

    // The channel reads `count` once, as one cycle of the acquisition loop.
    void readCount(int32_t count) {
        {
            std::lock_guard lock(FakeCard::mutex());
            FakeCard::state(0).count = count;
        }
        slot.load->ReadLoad();
    }

private:
    void open(const QString& applicationFolder, Motor motor) {
        FakeCard::reset();
        // An installation has its scheme database: the windows record every change of a setting there.
        createSchemeDatabase(schemeDatabasePath(applicationFolder));
        slot.load = std::make_unique<Tload>(applicationFolder, 0, driver, &slot);
        slot.displacement = std::make_unique<TDisplacement>(applicationFolder, 0, driver, &slot);
        if (motor == Motor::With) slot.motor = std::make_unique<TMotor>(applicationFolder, 0, driver, &slot);
        setPrompts(&prompts);
    }
};

}  // namespace springtest::testing
