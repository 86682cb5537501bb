#include "sequencer/Verdict.h"

#include <cmath>

namespace springtest {

Verdict judge(double value, double upper, double lower) {
    if (std::isnan(value) || (upper == 0.0 && lower == 0.0)) return Verdict::None;
    if (value > upper) return Verdict::High;
    if (value >= lower) return Verdict::Pass;
    return Verdict::Low;
}

QString verdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::High:
            return QStringLiteral("强");
        case Verdict::Pass:
            return QStringLiteral("合格");
        case Verdict::Low:
            return QStringLiteral("弱");
        case Verdict::None:
            break;
    }
    return QString();
}

}  // namespace springtest
