#include "results/CurveArea.h"

#include "platform/NumberEntry.h"
#include "platform/ProfileFile.h"

#include <QDir>

#include <tuple>

namespace springtest {

namespace {

const QString kSection = QStringLiteral("坐标范围");
const QString kXKey = QStringLiteral("X轴按钮调节量");
const QString kYKey = QStringLiteral("Y轴按钮调节量");

QString initIni(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("init.ini"));
}

// The axis from its two fields, or the conversion message of the first that is no number.
bool readAxis(AxisRange& axis, const QString& minText, const QString& maxText, QString& error) {
    const std::optional<double> max = readFloat(maxText, &error);
    if (!max) return false;
    const std::optional<double> min =
        minText.trimmed().isEmpty() ? std::optional<double>(0.0) : readFloat(minText, &error);
    if (!min) return false;
    axis.min = *min;
    axis.max = *max;
    axis.restep();
    return true;
}

}  // namespace

AxisSteps readAxisSteps(const QString& applicationFolder) {
    const ProfileSnapshot ini = ProfileFile(initIni(applicationFolder)).snapshot();
    return {ini.readDouble(kSection, kXKey, 2.0), ini.readDouble(kSection, kYKey, 2.0)};
}

QString storedStepText(const QString& applicationFolder, bool xAxis) {
    return ProfileFile(initIni(applicationFolder))
        .readString(kSection, xAxis ? kXKey : kYKey, QStringLiteral("2"));
}

CurveAreaOutcome applyCurveArea(const QString& applicationFolder, const CurveAreaFields& f,
                                ResultChart& chart, AxisSteps& steps) {
    CurveAreaOutcome out;
    QString error;
    if (f.xMax.trimmed().isEmpty() || f.yMax.trimmed().isEmpty()) {
        out.messages << QStringLiteral("最大值不能为空!!!");
    } else if (!readAxis(chart.bottom, f.xMin, f.xMax, error) ||
               !readAxis(chart.left, f.yMin, f.yMax, error)) {
        out.messages << error;
        return out;
    }
    // Checked before it is written: a text that is no number would be read back as 2 by every browser.
    ProfileFile ini(initIni(applicationFolder));
    for (const auto& [text, key, step] :
         {std::tuple{f.xStep, kXKey, &steps.x}, std::tuple{f.yStep, kYKey, &steps.y}}) {
        const std::optional<double> value = readFloat(text, &error);
        if (!value) {
            out.messages << error;
            return out;
        }
        if (QString writeError; !ini.writeString(kSection, key, text.trimmed(), &writeError))
            out.messages << writeError;
        *step = *value;
    }
    return out;
}

}  // namespace springtest
