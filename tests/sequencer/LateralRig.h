#pragma once

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/ProfileFile.h"
#include "platform/WindowTarget.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/procedures/LateralTest.h"
#include "sequencer/procedures/StandardTest.h"
#include "support/FakeCard.h"
#include "support/TempAppDir.h"

#include <memory>

namespace springtest::testing {

// The lateral machine's four cards on a scripted driver with a type-5 sequencer over them; samples are fed
// by hand, no acquisition thread. Card 0 reads its displacement with 2 decimals, card 1 (Y) with 3, card 3
// (X) with 2, so that what is written with whose decimals shows.
struct LateralRig {
    TempAppDir dir;
    CardDriver driver{FakeCard::api()};
    CardTables cards;
    std::unique_ptr<TTestStyle> seq;
    QList<TestState> states;
    WindowTarget panel{[this](int) { states << seq->state(); }};

    LateralRig() {
        FakeCard::reset();
        for (int card : {0, 3}) {
            ProfileFile(dir.file(QStringLiteral("init%1.dat").arg(card)))
                .writeString("Displacement", "Decimal_Places", "2");
        }
        ProfileFile(dir.file("init0.dat")).writeString("Load", "Gear1_Decimal_Places", "1");
        for (int i = 0; i < 4; ++i) {
            CardSlot& slot = cards.cards[static_cast<size_t>(i)];
            slot.load = std::make_unique<Tload>(dir.path(), i, driver, &slot);
            slot.displacement = std::make_unique<TDisplacement>(dir.path(), i, driver, &slot);
            slot.motor = std::make_unique<TMotor>(dir.path(), i, driver, &slot);
        }
        cards.count = 4;
        seq = std::make_unique<TTestStyle>(5, cards);
        seq->setPanelTarget(&panel);
        seq->SetTestSpeed(100.0f);
        seq->SetSpeedMode(SpeedMode::Constant);
    }
    ~LateralRig() { seq.reset(); }

    // An axial (card 0) or lateral (card 1) scheme with the procedure its loader installs.
    void setScheme(bool axial, int style, QVector<double> points, int jh = 1, double initialForce = 5,
                   double freeHeight = 50) {
        ttest_info s;
        s.scheme_style = static_cast<SchemeStyle>(style);
        s.scheme_sum = static_cast<int>(points.size());
        s.points = points;
        s.upper = QVector<double>(points.size(), 0.0);
        s.lower = QVector<double>(points.size(), 0.0);
        s.scheme_load = initialForce;
        s.scheme_height = freeHeight;
        s.scheme_jh = jh;
        s.scheme_type = axial;
        seq->setScheme(s);
        if (axial)
            seq->InstallProcedure(std::make_shared<StandardTest>(*seq, StandardTestKind::Axial));
        else
            seq->InstallProcedure(std::make_shared<LateralTest>(*seq));
    }
    MeasurementRecord& record(int card) { return cards.cards[static_cast<size_t>(card)].record; }
    int testCard() const { return seq->cardIndex(); }
    void start(int card, float startDisplacement) {
        record(card).displacement = startDisplacement;
        seq->StartTest(card);
    }
    // One sample on the test card, with the X and Y sensors where they stand.
    void sample(float L, float D, float E = 0.0f) {
        const int card = testCard();
        record(card).load = L;
        record(card).displacement = D;
        record(card).deformation = E;
        seq->sampleSlot().procedure.load()->onSample(card);
    }
    void sensors(float x_mm, float y_mm) {
        record(kXSensorCard).displacement = x_mm;
        record(kLateralDriveCard).displacement = y_mm;
    }
    std::vector<std::string> takeMoves(int card) {
        auto m = FakeCard::state(card).moves;
        FakeCard::state(card).moves.clear();
        return m;
    }
};

}  // namespace springtest::testing
