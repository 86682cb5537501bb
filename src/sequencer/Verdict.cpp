#include "sequencer/Verdict.h"

namespace springtest {

QString pointVerdict(double value, double upper, double lower) {
    if (value > upper) return QStringLiteral("强");
    if (value >= lower) return QStringLiteral("合格");
    return QStringLiteral("弱");
}

StiffnessJudgement judgeStiffness(double stiffness, double upper, double lower) {
    if (stiffness > upper) return StiffnessJudgement::High;
    if (stiffness >= lower) return StiffnessJudgement::Pass;
    return StiffnessJudgement::Low;
}

}  // namespace springtest
