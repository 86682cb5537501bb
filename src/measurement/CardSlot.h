#pragma once

#include "measurement/MeasurementRecord.h"

#include <array>
#include <memory>

namespace springtest {

class Tload;
class TDisplacement;
class TMotor;

// Everything of one card: its measurement record and its three channels. The channels reach each other
// through their slot (the displacement compensates with the load, the load stops the motor on a trip,
// the motor's PID reads the displacement). A slot's pointers are filled before the acquisition thread
// starts and cleared only after it has ended.
struct CardSlot {
    CardSlot();
    ~CardSlot();

    MeasurementRecord record;
    std::unique_ptr<Tload> load;
    std::unique_ptr<TDisplacement> displacement;
    std::unique_ptr<TMotor> motor;
};

inline constexpr int kMaxCards = 5;

struct CardTables {
    std::array<CardSlot, kMaxCards> cards;
    int count = 0;  // cards in use, 0 when start-up stopped before the channels existed
};

}  // namespace springtest
