#include "CurveArea.h"

#include "platform/ProfileFile.h"

#include <QDir>

namespace springtest {

namespace {

const QString kSection = QStringLiteral("坐标范围");
const QString kXKey = QStringLiteral("X轴按钮调节量");
const QString kYKey = QStringLiteral("Y轴按钮调节量");

QString initIni(const QString& folder) { return QDir(folder).filePath(QStringLiteral("init.ini")); }

double number(const QString& text) { return parseProfileDouble(text).value_or(0.0); }

void applyAxis(AxisRange& axis, const QString& minText, const QString& maxText) {
    const double max = number(maxText);
    const double min = minText.trimmed().isEmpty() ? 0.0 : number(minText);
    axis.min = min;
    axis.max = max;
    axis.restep();
}

}  // namespace

AxisSteps readAxisSteps(const QString& applicationFolder) {
    const ProfileSnapshot ini = ProfileFile(initIni(applicationFolder)).snapshot();
    return {ini.readDouble(kSection, kXKey, 2.0), ini.readDouble(kSection, kYKey, 2.0)};
}

QString storedStepText(const QString& applicationFolder, bool xAxis) {
    return ProfileFile(initIni(applicationFolder)).readString(kSection, xAxis ? kXKey : kYKey, QStringLiteral("2"));
}

CurveAreaOutcome applyCurveArea(const QString& applicationFolder, const CurveAreaFields& f, ResultChart& chart,
                                AxisSteps& steps) {
    CurveAreaOutcome out;
    if (f.xMax.trimmed().isEmpty() || f.yMax.trimmed().isEmpty()) {
        out.message = QStringLiteral("最大值不能为空!!!");
    } else {
        applyAxis(chart.bottom, f.xMin, f.xMax);
        applyAxis(chart.left, f.yMin, f.yMax);
    }
    ProfileFile ini(initIni(applicationFolder));
    out.writeFailed = !ini.writeString(kSection, kXKey, f.xStep);
    steps.x = parseProfileDouble(f.xStep).value_or(2.0);
    out.writeFailed = !ini.writeString(kSection, kYKey, f.yStep) || out.writeFailed;
    steps.y = parseProfileDouble(f.yStep).value_or(2.0);
    return out;
}

}  // namespace springtest
