#pragma once

#include "measurement/CardSlot.h"
#include "measurement/ChannelConfig.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/CardDriver.h"
#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/procedures/StandardTest.h"
#include "storage/SchemeCheck.h"
#include "support/FakeCard.h"
#include "support/TempAppDir.h"
#include "windows/console/ConsoleContext.h"

#include <QList>
#include <QString>

#include <memory>

namespace springtest::testing {

// An operator console without the main window: an application folder, the cards' channels (load,
// displacement, motor) on the scripted card driver, the sequencer over them, the context every operator
// window is made with, and scripted prompts that record what the windows say and answer as told.
// Nothing runs the acquisition loop: a test writes the measurement record and the card's readings itself,
// and wires the windows' targets into the channels the way the main window's layout does.
struct ConsoleRig {
    // One line of a card's channel file ("init" + card + ".dat"), written before the channels read it.
    struct Setting {
        int card;
        QString section;
        QString key;
        QString value;
    };

    TempAppDir dir;
    CardDriver driver{FakeCard::api()};
    CardTables cards;
    std::unique_ptr<TTestStyle> sequencer;
    std::unique_ptr<ConsoleContext> context;
    ScriptedPrompts prompts;

    explicit ConsoleRig(const QList<Setting>& settings) : ConsoleRig(0, 1, settings) {}
    explicit ConsoleRig(int machineType = 0, int cardCount = 1, const QList<Setting>& settings = {}) {
        FakeCard::reset();
        for (const Setting& s : settings)
            ProfileFile(channelConfigFile(dir.path(), s.card)).writeString(s.section, s.key, s.value);
        for (int i = 0; i < cardCount; ++i) {
            CardSlot& slot = cards.cards[static_cast<size_t>(i)];
            slot.load = std::make_unique<Tload>(dir.path(), i, driver, &slot);
            slot.displacement = std::make_unique<TDisplacement>(dir.path(), i, driver, &slot);
            slot.motor = std::make_unique<TMotor>(dir.path(), i, driver, &slot);
        }
        cards.count = cardCount;
        sequencer = std::make_unique<TTestStyle>(machineType, cards);
        context.reset(new ConsoleContext{dir.path(), machineType, cards, *sequencer, nullptr});
        setPrompts(&prompts);
    }

    ~ConsoleRig() {
        setPrompts(nullptr);
        // The windows are gone by now; no channel may keep pointing at their targets.
        sequencer->setPanelTarget(nullptr);
        for (int i = 0; i < cards.count; ++i) {
            CardSlot& slot = cards.cards[static_cast<size_t>(i)];
            slot.load->setGearTarget(nullptr);
            slot.load->setOverloadTarget(nullptr);
            slot.motor->setStateTarget(nullptr);
        }
    }
    ConsoleRig(const ConsoleRig&) = delete;
    ConsoleRig& operator=(const ConsoleRig&) = delete;

    CardSlot& card(int i = 0) { return cards.cards[static_cast<size_t>(i)]; }
    MeasurementRecord& record(int i = 0) { return card(i).record; }
    // What the scripted card has been sent; the tests run on one thread, so no lock is needed here.
    FakeCardState& fakeCard(int i = 0) { return FakeCard::state(i); }

    // Opens a standard scheme as opening a batch does, without its database: lays out `grid` (when given)
    // the way the standard loader does, hands the scheme to the sequencer and installs the coil-spring test.
    void openScheme(const ttest_info& scheme, ResultGrid* grid = nullptr) {
        if (grid) {
            grid->setColumnWidths({30, 60, 60, 60, 50, 50});
            grid->setRowCount(scheme.scheme_sum + 1);
            QStringList headers = pointTableHeaders(static_cast<int>(scheme.scheme_style));
            headers << QStringLiteral("实测值") << QStringLiteral("刚度");
            for (int c = 0; c < headers.size(); ++c) grid->setCell(0, c, headers[c]);
            for (int k = 1; k <= scheme.scheme_sum; ++k) {
                grid->setCell(k, 0, QString::number(k));
                grid->setCell(k, 1, QString::number(scheme.points.value(k - 1), 'g', 15));
                grid->setCell(k, 2, QString::number(scheme.upper.value(k - 1), 'g', 15));
                grid->setCell(k, 3, QString::number(scheme.lower.value(k - 1), 'g', 15));
            }
        }
        // A test starts only into an open batch; this one is never written (the rig installs no storer).
        ttest_info opened = scheme;
        if (opened.connection.isEmpty()) opened.connection = dir.file(QStringLiteral("rig.mdb"));
        sequencer->setScheme(opened);
        const StandardTestKind kind = scheme.scheme_type              ? StandardTestKind::Compression
                                      : sequencer->machineType() == 6 ? StandardTestKind::TensionType6
                                                                      : StandardTestKind::Tension;
        sequencer->InstallProcedure(std::make_shared<StandardTest>(*sequencer, kind));
    }

    // A scheme of `points` points of the given style with limits, compression unless told otherwise.
    static ttest_info scheme(const QVector<double>& points, const QVector<double>& upper,
                             const QVector<double>& lower, bool compression = true, int style = 0) {
        ttest_info s;
        s.scheme_style = static_cast<SchemeStyle>(style);
        s.scheme_sum = static_cast<int>(points.size());
        s.points = points;
        s.upper = upper;
        s.lower = lower;
        s.scheme_type = compression;
        return s;
    }

    // A test speed as the speed window sets it.
    void setTestSpeed(float speed_mm_per_min) {
        sequencer->SetTestSpeed(speed_mm_per_min);
        sequencer->SetSpeedMode(SpeedMode::Constant);
    }
};

}  // namespace springtest::testing
