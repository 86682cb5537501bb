#pragma once

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/WindowTarget.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/procedures/StandardTest.h"
#include "support/FakeCard.h"
#include "support/TempAppDir.h"

#include <memory>

namespace springtest::testing {

// One card on a scripted driver with a sequencer over it; samples are fed by hand, no acquisition thread.
struct SequencerRig {
    TempAppDir dir;
    CardDriver driver{FakeCard::api()};
    CardTables cards;
    std::unique_ptr<TTestStyle> seq;
    std::shared_ptr<StandardTest> procedure;
    QList<TestState> states;
    QList<int> capturedPoints;
    WindowTarget panel{[this](int) {
        states << seq->state();
        if (seq->state() == TestState::PointCaptured) capturedPoints << seq->pointIndex();
    }};

    explicit SequencerRig(int machineType = 0, StandardTestKind kind = StandardTestKind::Compression) {
        FakeCard::reset();
        CardSlot& slot = cards.cards[0];
        slot.load = std::make_unique<Tload>(dir.path(), 0, driver, &slot);
        slot.displacement = std::make_unique<TDisplacement>(dir.path(), 0, driver, &slot);
        slot.motor = std::make_unique<TMotor>(dir.path(), 0, driver, &slot);
        cards.count = 1;
        seq = std::make_unique<TTestStyle>(machineType, cards);
        seq->setPanelTarget(&panel);
        procedure = std::make_shared<StandardTest>(*seq, kind);
        seq->InstallProcedure(procedure);
        seq->SetTestSpeed(100.0f);
        seq->SetSpeedMode(SpeedMode::Constant);
    }
    ~SequencerRig() { seq.reset(); }

    void setScheme(int style, QVector<double> points, double initialForce, int jh = 1, bool yb = false,
                   bool compression = true) {
        ttest_info s;
        s.scheme_style = static_cast<SchemeStyle>(style);
        s.scheme_sum = static_cast<int>(points.size());
        s.points = points;
        s.upper = QVector<double>(points.size(), 0.0);
        s.lower = QVector<double>(points.size(), 0.0);
        s.scheme_load = initialForce;
        s.scheme_jh = jh;
        s.scheme_yb = yb;
        s.scheme_type = compression;
        seq->setScheme(s);
    }
    MeasurementRecord& record() { return cards.cards[0].record; }
    void start(float startDisplacement) {
        record().displacement = startDisplacement;
        seq->StartTest(0);
    }
    void sample(float L, float D, float E = 0.0f) {
        record().load = L;
        record().displacement = D;
        record().deformation = E;
        procedure->onSample(0);
    }
    // Takes the commands sent to the card since the last call.
    std::vector<std::string> takeMoves() {
        auto m = FakeCard::state(0).moves;
        FakeCard::state(0).moves.clear();
        return m;
    }
    std::vector<float> takeRates() {
        auto r = FakeCard::state(0).rates;
        FakeCard::state(0).rates.clear();
        return r;
    }
};

}  // namespace springtest::testing
