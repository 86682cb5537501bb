#include "cli/RunReport.h"

#include "platform/NumberFormat.h"
#include "sequencer/procedures/LateralTest.h"
#include "sequencer/procedures/LeafSpringTest.h"

#include <QJsonArray>

namespace springtest {

namespace {

QJsonValue numberOrNull(const QString& text) {
    return text.isEmpty() ? QJsonValue() : QJsonValue(text.toDouble());
}

QJsonArray pointsJson(const StoredTestReport& test, const QList<PointReadout>& points) {
    QJsonArray list;
    for (int k = 1; k <= points.size(); ++k) list.append(pointJson(k, test.target(k), points[k - 1]));
    return list;
}

QString textOf(int decimals, float value) {
    return ResultArray::isEmpty(value) ? QString() : FormatByDecimals(decimals, value);
}

bool isOutside(Verdict verdict) {
    return verdict == Verdict::High || verdict == Verdict::Low;
}

}  // namespace

StoredTestReport reportStoredTest(const FinishedTest& test, bool leafSpring) {
    const ttest_info& scheme = test.scheme;
    StoredTestReport report;
    if (leafSpring)
        report.arcHeights =
            LeafArcHeights{heightText(test.results[LeafResultIndex::freeArcHeight], test.format),
                           heightText(test.results[LeafResultIndex::pressedArcHeight], test.format),
                           heightText(test.results[LeafResultIndex::setLoadArcHeight], test.format)};
    report.serial = scheme.xuhao;
    report.freeHeight = heightText(test.results.height(), test.format);
    if (scheme.scheme_yb) report.solidHeight = heightText(test.results.solidHeight(), test.format);
    for (int k = 1; k <= scheme.scheme_sum; ++k) {
        report.targets << scheme.points.value(k - 1);
        report.points << readPoint(test.results, scheme, 1, k, test.format);
        if (scheme.scheme_jh == 2) {
            // Shown as measured; the limits are the loading stroke's, as the control panel judges them.
            PointReadout back = readPoint(test.results, scheme, 2, k, test.format);
            back.valueVerdict = back.stiffnessVerdict = Verdict::None;
            report.returnPoints << back;
        }
    }
    return report;
}

StoredTestReport reportStoredLateralTest(const FinishedTest& test) {
    StoredTestReport report = reportStoredTest(test);
    const LateralDecimals decimals{test.xDecimals, test.yDecimals};
    const ttest_info& scheme = test.scheme;
    if (scheme.scheme_type) {
        LateralOffsets offsets;
        for (int k = 1; k <= scheme.scheme_sum; ++k)
            offsets.points << readPointOffset(test.results, k, decimals);
        offsets.angle_deg = textOf(decimals.y, test.results[LateralResultIndex::angle]);
        report.offsets = offsets;
        return report;
    }
    report.lateralTest = true;
    report.freeHeight.clear();
    report.solidHeight.clear();
    if (report.returnPoints.isEmpty()) {
        for (int k = 1; k <= scheme.scheme_sum; ++k) {
            PointReadout back = readPoint(test.results, scheme, 2, k, test.format);
            back.valueVerdict = back.stiffnessVerdict = Verdict::None;
            report.returnPoints << back;
        }
    }
    return report;
}

PointOffset readPointOffset(const ResultArray& results, int k, const LateralDecimals& decimals) {
    if (k < 1 || k > kMaxPoints) return {};
    return PointOffset{textOf(decimals.x, results[LateralResultIndex::x(k)]),
                       textOf(decimals.y, results[LateralResultIndex::y(k)]),
                       textOf(decimals.y, results[LateralResultIndex::offset(k)])};
}

QStringList outOfLimits(const StoredTestReport& test) {
    QStringList outside;
    for (int k = 1; k <= test.points.size(); ++k) {
        const PointReadout& p = test.points[k - 1];
        if (isOutside(p.valueVerdict))
            outside << QStringLiteral("point %1 %2").arg(k).arg(verdictText(p.valueVerdict));
        if (isOutside(p.stiffnessVerdict))
            outside << QStringLiteral("stiffness %1 %2").arg(k).arg(verdictText(p.stiffnessVerdict));
    }
    return outside;
}

QJsonObject pointJson(int k, double target, const PointReadout& point) {
    return QJsonObject{{"point", k},
                       {"target", target},
                       {"value", numberOrNull(point.value)},
                       {"stiffness", numberOrNull(point.stiffness)},
                       {"verdict", verdictText(point.valueVerdict)},
                       {"stiffness_verdict", verdictText(point.stiffnessVerdict)}};
}

void addOffsetJson(QJsonObject& point, const PointOffset& offset) {
    point.insert("x", numberOrNull(offset.x));
    point.insert("y", numberOrNull(offset.y));
    point.insert("offset", numberOrNull(offset.offset));
}

QJsonObject storedTestJson(const StoredTestReport& test) {
    const QStringList outside = outOfLimits(test);
    QJsonObject json{{"serial", test.serial},
                     {"free_height", numberOrNull(test.freeHeight)},
                     {"solid_height", numberOrNull(test.solidHeight)},
                     {"points", pointsJson(test, test.points)},
                     {"return_points", pointsJson(test, test.returnPoints)},
                     {"within_limits", outside.isEmpty()},
                     {"out_of_limits", QJsonArray::fromStringList(outside)}};
    if (test.arcHeights)
        json.insert("arc_heights",
                    QJsonObject{{"free", numberOrNull(test.arcHeights->free)},
                                {"after_pressing", numberOrNull(test.arcHeights->afterPressing)},
                                {"at_set_load", numberOrNull(test.arcHeights->atSetLoad)}});
    if (test.offsets) {
        QJsonArray points = json["points"].toArray();
        for (int k = 1; k <= points.size() && k <= test.offsets->points.size(); ++k) {
            QJsonObject point = points[k - 1].toObject();
            addOffsetJson(point, test.offsets->points[k - 1]);
            points[k - 1] = point;
        }
        json.insert("points", points);
        json.insert("kind", "axial");
        json.insert("offset_angle", numberOrNull(test.offsets->angle_deg));
    }
    if (test.lateralTest) json.insert("kind", "lateral");
    return json;
}

int runExitCode(bool endedByItself, int testsStarted, const QList<StoredTestReport>& stored) {
    if (!endedByItself || testsStarted == 0 || stored.size() < testsStarted) return 1;
    for (const StoredTestReport& test : stored)
        if (!outOfLimits(test).isEmpty()) return kExitOutsideLimits;
    return 0;
}

}  // namespace springtest
