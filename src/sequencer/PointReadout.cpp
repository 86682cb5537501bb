#include "sequencer/PointReadout.h"

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"

namespace springtest {

namespace {

constexpr int kStiffnessDecimals = 2;

QString textOf(int decimals, float value) {
    return ResultArray::isEmpty(value) ? QString() : FormatByDecimals(decimals, value);
}

// Judged as written: an empty text has no verdict.
Verdict judgeText(const QString& text, double upper, double lower) {
    return text.isEmpty() ? Verdict::None : judge(text.toDouble(), upper, lower);
}

}  // namespace

ReadoutFormat readoutFormat(const CardSlot& card) {
    ReadoutFormat format;
    if (card.load) {
        format.loadDecimals = card.load->decimals();
        format.loadInKilonewtons = card.load->Units() == QLatin1String("kN");
    }
    if (card.displacement) format.displacementDecimals = card.displacement->decimals();
    return format;
}

PointReadout readPoint(const ResultArray& results, const ttest_info& scheme, int stroke, int k,
                       const ReadoutFormat& format) {
    if (stroke < 1 || stroke > 2 || k < 1 || k > kMaxPoints) return {};
    const int valueDecimals =
        measuresLoad(scheme.scheme_style) ? format.loadDecimals : format.displacementDecimals;
    float stiffness = results.stiffness(stroke, k);
    if (format.loadInKilonewtons) stiffness *= 1000.0f;

    PointReadout point;
    point.value = textOf(valueDecimals, results.value(stroke, k));
    point.stiffness = textOf(kStiffnessDecimals, stiffness);
    point.valueVerdict = judgeText(point.value, scheme.upper.value(k - 1), scheme.lower.value(k - 1));
    point.stiffnessVerdict = judgeText(point.stiffness, scheme.scheme_gangdu_max, scheme.scheme_gangdu_min);
    return point;
}

QString resultText(int decimals, float value) {
    return textOf(decimals, value);
}

QString heightText(float height_mm, const ReadoutFormat& format) {
    return textOf(format.displacementDecimals, height_mm);
}

}  // namespace springtest
