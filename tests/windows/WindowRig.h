#pragma once

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/Tload.h"
#include "platform/CardDriver.h"
#include "platform/Prompts.h"
#include "sequencer/TTestStyle.h"
#include "support/TempAppDir.h"
#include "windows/console/ConsoleContext.h"

#include <memory>

namespace springtest::testing {

// What a single window needs to be opened in a test: an application folder, card 0 with its load and
// displacement channels (no card behind them: the windows only read names, units and settings), the
// sequencer, and scripted prompts that record every message.
struct WindowRig {
    TempAppDir dir;
    CardDriver driver;
    CardTables cards;
    TTestStyle sequencer;
    ConsoleContext context;
    ScriptedPrompts prompts;

    // `channelConfig` becomes init0.dat, read by the channels as they are made.
    explicit WindowRig(const QByteArray& channelConfig = {})
        : sequencer(0, prepareCards(cards, dir, driver, channelConfig)),
          context{dir.path(), 0, cards, sequencer} {
        setPrompts(&prompts);
    }
    ~WindowRig() { setPrompts(nullptr); }
    WindowRig(const WindowRig&) = delete;
    WindowRig& operator=(const WindowRig&) = delete;

private:
    static CardTables& prepareCards(CardTables& cards, const TempAppDir& dir, const CardDriver& driver,
                                    const QByteArray& channelConfig) {
        if (!channelConfig.isEmpty()) dir.write(QStringLiteral("init0.dat"), channelConfig);
        CardSlot& slot = cards.cards[0];
        slot.load = std::make_unique<Tload>(dir.path(), 0, driver, &slot);
        slot.displacement = std::make_unique<TDisplacement>(dir.path(), 0, driver, &slot);
        cards.count = 1;
        return cards;
    }
};

}  // namespace springtest::testing
