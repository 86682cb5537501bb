#pragma once

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/Tload.h"
#include "platform/CardDriver.h"
#include "platform/Prompts.h"
#include "support/FakeCard.h"

#include <QString>

#include <memory>

namespace springtest::testing {

// Card 0 of a scripted card in a given application folder, for the set-up windows that calibrate it: the
// test sets the raw count and takes one reading, as the acquisition thread would, so the channel holds that
// count; prompts are scripted and recorded.
struct CardRig {
    CardDriver driver{FakeCard::api()};
    CardSlot slot;
    ScriptedPrompts prompts;

    explicit CardRig(const QString& applicationFolder) {
        FakeCard::reset();
        slot.load = std::make_unique<Tload>(applicationFolder, 0, driver, &slot);
        slot.displacement = std::make_unique<TDisplacement>(applicationFolder, 0, driver, &slot);
        setPrompts(&prompts);
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
};

}  // namespace springtest::testing
