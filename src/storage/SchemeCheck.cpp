#include "storage/SchemeCheck.h"

#include "platform/OperatorTexts.h"

#include <cmath>
#include <optional>

namespace springtest {

namespace {

// A limit of "inf" passes the limit check and a first point of "nan" gets the next row blamed, since it
// compares false with everything: neither is a number a spring can be judged by.
std::optional<double> number(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

QString rowError(int row) {
    return QStringLiteral("第") + QString::number(row) + QStringLiteral("点输入信息错误，请检查后重新输入!!");
}

}  // namespace

SchemeCheckResult checkSchemePoints(const QString& styleText, const QString& countText, bool compression,
                                    const QList<SchemePointText>& rows) {
    SchemeCheckResult r;
    if (styleText.trimmed().isEmpty() || countText.trimmed().isEmpty()) {
        r.message = QStringLiteral("参数填写不完整，无法进行验证");
        return r;
    }
    const int style = styleText.trimmed().toInt();
    const int count = std::min<int>(countText.trimmed().toInt(), static_cast<int>(rows.size()));
    const bool decreasing = style == 0 && compression;
    std::optional<double> previous;
    for (int i = 1; i <= count; ++i) {
        const SchemePointText& row = rows[i - 1];
        if (row.value.trimmed().isEmpty()) {
            r.failedRow = i;
            r.message = QStringLiteral("数据填写不完整!!");
            return r;
        }
        // A text that is no number is a wrong entry of that row (the operator is told which row).
        const auto value = number(row.value);
        const auto upper = row.upper.trimmed().isEmpty() ? std::optional<double>(0.0) : number(row.upper);
        const auto lower = row.lower.trimmed().isEmpty() ? std::optional<double>(0.0) : number(row.lower);
        bool good = value && upper && lower && *upper >= *lower;
        if (good && previous) good = decreasing ? *value <= *previous : *value >= *previous;
        if (!good) {
            r.failedRow = i;
            r.message = rowError(i);
            return r;
        }
        previous = value;
    }
    r.ok = true;
    r.message = QStringLiteral("输入信息验证无误!!");
    return r;
}

QStringList pointTableHeaders(int style) {
    switch (style) {
        case 0:
            return {QStringLiteral("点号"), kDisplacementName, QStringLiteral("负荷上限"),
                    QStringLiteral("负荷下限")};
        case 1:
            return {QStringLiteral("点号"), kDeformationName, QStringLiteral("负荷上限"),
                    QStringLiteral("负荷下限")};
        case 2:
            return {QStringLiteral("点号"), kLoadName, QStringLiteral("位移上限"),
                    QStringLiteral("位移下限")};
        case 3:
            return {QStringLiteral("点号"), kLoadName, QStringLiteral("变形上限"),
                    QStringLiteral("变形下限")};
        default:
            return {};
    }
}

}  // namespace springtest
