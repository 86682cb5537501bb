#pragma once

#include <QString>

namespace springtest {

// Where a measured value stands against its limits.
enum class Verdict { None, High, Pass, Low };

// Above the upper limit High, at least the lower limit Pass, else Low; a value equal to its upper limit
// passes. A scheme stores a limit left empty as 0, so limits that are both 0 were never set: such a value,
// like a missing one, gets no verdict.
Verdict judge(double value, double upper, double lower);

// The verdict in the operator's words: "强", "合格", "弱"; empty for none.
QString verdictText(Verdict verdict);

}  // namespace springtest
