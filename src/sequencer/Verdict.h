#pragma once

#include <QString>

namespace springtest {

// The verdict of a measured point against its scheme limits: above the upper limit "强", at least the lower
// limit "合格", else "弱". A value equal to its upper limit passes.
QString pointVerdict(double value, double upper, double lower);

enum class StiffnessJudgement { High, Pass, Low };
// A stiffness above the upper limit is high, at least the lower limit passes, else it is low.
StiffnessJudgement judgeStiffness(double stiffness, double upper, double lower);

}  // namespace springtest
