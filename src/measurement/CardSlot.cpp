#include "measurement/CardSlot.h"

#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"

namespace springtest {

CardSlot::CardSlot() = default;
CardSlot::~CardSlot() = default;

}  // namespace springtest
