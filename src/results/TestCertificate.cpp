#include "results/TestCertificate.h"

#include "platform/OperatorTexts.h"
#include "results/BatchStatistics.h"
#include "results/FullRateReplay.h"
#include "results/StoredDate.h"
#include "storage/Database.h"
#include "storage/FullRateCurve.h"
#include "storage/TestOperator.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace springtest {

namespace {

const QString kReturn = QStringLiteral("回");

bool readNumber(const QString& text, double& value) {
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

// The overall verdict: failed when anything failed; not judged when a value with limits was not measured or
// nothing had limits; passed otherwise.
QString overallVerdict(const TestCertificate& c) {
    bool passed = false, unmeasured = false;
    for (const QList<JudgedValue>* list : {&c.points, &c.stiffness}) {
        for (const JudgedValue& v : *list) {
            if (v.verdict == failText()) return failText();
            if (v.verdict == passText()) passed = true;
            if (v.verdict.isEmpty() && !v.upper.isEmpty() && v.measured.isEmpty()) unmeasured = true;
        }
    }
    return passed && !unmeasured ? passText() : notJudgedText();
}

void drawCertificate(PdfPage& page, const TestCertificate& c) {
    drawReportHeading(page, QStringLiteral("弹簧试验证书  Spring test certificate"), c.context.lab);

    const std::vector<double> pairs{0, 28, 92, 122};
    page.row({QStringLiteral("设备 Machine"), textOrDash(c.context.machine), QStringLiteral("采集卡 Card"),
              textOrDash(c.context.card)},
             pairs);
    page.row({QStringLiteral("方案 Scheme"), textOrDash(c.scheme), QStringLiteral("批次 Batch"),
              textOrDash(c.batch)},
             pairs);
    page.row({QStringLiteral("序号 Serial"), QString::number(c.serial), QStringLiteral("操作员 Operator"),
              textOrDash(c.operatorName)},
             pairs);
    page.row({QStringLiteral("试验时间 Tested"), textOrDash(c.testedAt), QStringLiteral("出具时间 Issued"),
              QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))},
             pairs);
    page.newLine(0.6);
    page.rule();

    const QString measuredUnit = c.points.isEmpty() ? QString() : c.points.first().unit;
    const QString stiffnessUnit = QStringLiteral("N/mm");
    page.newLine();
    page.text(QStringLiteral("测试点 Test points"), 0, true);
    if (!c.stiffness.isEmpty() && !c.stiffness.first().upper.isEmpty())
        page.text(QStringLiteral("刚度上限 %1 %3    刚度下限 %2 %3")
                      .arg(c.stiffness.first().upper, c.stiffness.first().lower, stiffnessUnit),
                  70);
    const std::vector<double> columns{0, 18, 30, 56, 78, 100, 126, 142, 166};
    const auto unitTitle = [](const QString& title, const QString& unit) {
        return unit.isEmpty() ? title : title + QLatin1Char('(') + unit + QLatin1Char(')');
    };
    page.row(
        {QStringLiteral("测试点"), QStringLiteral("行程"), unitTitle(QStringLiteral("设定值"), c.targetUnit),
         unitTitle(QStringLiteral("上限"), measuredUnit), unitTitle(QStringLiteral("下限"), measuredUnit),
         unitTitle(QStringLiteral("实测值"), measuredUnit), QStringLiteral("判定"),
         unitTitle(kStiffnessName, stiffnessUnit), QStringLiteral("判定")},
        columns, true);
    for (qsizetype i = 0; i < c.points.size(); ++i) {
        const JudgedValue& p = c.points[i];
        const JudgedValue stiffness = i < c.stiffness.size() ? c.stiffness[i] : JudgedValue{};
        page.row(
            {p.name, p.stroke, p.target, textOrDash(p.upper), textOrDash(p.lower), textOrDash(p.measured),
             textOrDash(p.verdict), textOrDash(stiffness.measured), textOrDash(stiffness.verdict)},
            columns);
    }
    page.newLine(0.4);
    page.rule();
    const QString& heightUnit = c.context.units.displacement;
    page.row({QStringLiteral("弹簧高度 Free height"),
              c.height.isEmpty() ? QStringLiteral("—") : c.height + QLatin1Char(' ') + heightUnit,
              QStringLiteral("压并高度 Solid height"),
              c.solidHeight.isEmpty() ? QStringLiteral("—") : c.solidHeight + QLatin1Char(' ') + heightUnit},
             {0, 40, 92, 132});
    page.newLine(1.4);
    page.text(QStringLiteral("总判定 Overall verdict:  ") + c.verdict, 0, true, 12);

    // The curve takes the room that the signatures leave, within reason.
    page.newLine(0.8);
    const double signatures_mm = 3 * page.lineHeight_mm();
    const double height_mm = std::clamp(page.roomLeft_mm() - signatures_mm - 2, 30.0, 110.0);
    page.text(QStringLiteral("试验曲线 Test curve"), 0, true);
    const QRectF frame(PdfPage::kMargin_mm, page.y_mm() + 1, PdfPage::kContentWidth_mm, height_mm);
    drawCurvePlot(page, frame, c.curve);
    page.skip(height_mm + 1);
    page.signatureLines({QStringLiteral("检验 Tested by"), QStringLiteral("审核 Checked by"),
                         QStringLiteral("批准 Approved by")});
}

}  // namespace

QString passText() {
    return QStringLiteral("合格");
}
QString failText() {
    return QStringLiteral("不合格");
}
QString notJudgedText() {
    return QStringLiteral("未判定");
}

QString judgedText(const QString& measured, double upper, double lower, bool hasLimits) {
    double value = 0;
    if (!hasLimits || !readNumber(measured, value)) return {};
    return limitSide(value, {upper, lower}) == 0 ? passText() : failText();
}

TestCertificate judgeTest(const DbRow& s, const QList<DbRow>& rows, const ReportContext& context) {
    const int style = s.toInt(QStringLiteral("scheme_style"));
    const bool loadTargets = style == 2 || style == 3;

    TestCertificate c;
    c.context = context;
    c.scheme = s.text(QStringLiteral("scheme_name"));
    if (rows.isEmpty()) return c;
    c.serial = rows.first().toInt(QStringLiteral("xuhao"));
    c.testedAt = isoDateTimeText(rows.first().text(QStringLiteral("date")));
    c.targetUnit = loadTargets ? context.units.load : context.units.displacement;
    const QString measuredUnit = loadTargets ? context.units.displacement : context.units.load;

    const int points = std::clamp(s.toInt(QStringLiteral("scheme_sum")), 0, 10);
    const double stiffnessUpper = s.toDouble(QStringLiteral("scheme_gangdu_max"));
    const double stiffnessLower = s.toDouble(QStringLiteral("scheme_gangdu_min"));
    const bool stiffnessLimits = stiffnessUpper != 0.0 || stiffnessLower != 0.0;
    for (const DbRow& row : rows) {
        const QString stroke =
            row.text(QStringLiteral("jinhuicheng")).trimmed() == kReturn ? kReturn : QStringLiteral("进");
        for (int k = 1; k <= points; ++k) {
            const QString n = QString::number(k);
            const QString base = QStringLiteral("schemedata") + n;
            const double upper = s.toDouble(base + QStringLiteral("_max"));
            const double lower = s.toDouble(base + QStringLiteral("_min"));
            const bool limits = upper != 0.0 || lower != 0.0;
            JudgedValue point;
            point.name = QStringLiteral("测试点") + n;
            point.stroke = stroke;
            point.target = s.text(base);
            point.upper = limits ? s.text(base + QStringLiteral("_max")) : QString();
            point.lower = limits ? s.text(base + QStringLiteral("_min")) : QString();
            point.measured = row.text(QStringLiteral("result") + n).trimmed();
            point.unit = measuredUnit;
            point.verdict = judgedText(point.measured, upper, lower, limits);
            c.points << point;

            JudgedValue stiffness;
            stiffness.name = kStiffnessName + n;
            stiffness.stroke = stroke;
            stiffness.upper = stiffnessLimits ? s.text(QStringLiteral("scheme_gangdu_max")) : QString();
            stiffness.lower = stiffnessLimits ? s.text(QStringLiteral("scheme_gangdu_min")) : QString();
            stiffness.measured = row.text(QStringLiteral("gangdu") + n).trimmed();
            stiffness.unit = QStringLiteral("N/mm");
            stiffness.verdict =
                judgedText(stiffness.measured, stiffnessUpper, stiffnessLower, stiffnessLimits);
            c.stiffness << stiffness;
        }
    }
    c.height = rows.first().text(QStringLiteral("height")).trimmed();
    c.solidHeight = rows.first().text(QStringLiteral("yb_height")).trimmed();
    c.verdict = overallVerdict(c);
    return c;
}

std::optional<TestCertificate> readTestCertificate(const QString& batchPath, int serial,
                                                   const ReportContext& context, QString* error) {
    const auto fail = [error](const QString& why) -> std::optional<TestCertificate> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (!QFileInfo(batchPath).isFile())
        return fail(QStringLiteral("the batch %1 does not exist").arg(QDir::toNativeSeparators(batchPath)));
    Database db(batchPath, Database::OpenMode::ExistingMaybeReadOnly);
    if (!db.isOpen()) return fail(withReason(kFileReadError, db.lastError()));
    const auto scheme = db.select(QStringLiteral("select * from test_information"));
    const auto rows =
        db.select(QStringLiteral("select * from test_result where xuhao = ? order by rowid"), {serial});
    const auto operators = readTestOperators(db);
    const auto samples = db.select(
        QStringLiteral("select load, weiyi, bianxing from test_point where xuhao = ? order by number"),
        {serial});
    if (!scheme || !rows || !operators || !samples) return fail(withReason(kFileReadError, db.lastError()));
    if (scheme->isEmpty()) return fail(QStringLiteral("the batch holds no scheme"));
    if (rows->isEmpty()) return fail(QStringLiteral("test %1 is not in this batch").arg(serial));

    const DbRow& s = scheme->first();
    const int style = s.toInt(QStringLiteral("scheme_style"));
    const bool deformation = style == 1 || style == 3;
    TestCertificate c = judgeTest(s, *rows, context);
    c.batch = QFileInfo(batchPath).completeBaseName();
    c.serial = serial;
    c.operatorName = operators->value(serial);

    c.curve.xTitle = (deformation ? kDeformationName : kDisplacementName) + QLatin1Char('(') +
                     context.units.displacement + QLatin1Char(')');
    c.curve.yTitle = kLoadName + QLatin1Char('(') + context.units.load + QLatin1Char(')');
    // The full-rate recording where the test has one: the print has the resolution to show it.
    const StoredFullRateCurve full = readFullRateCurve(db, serial);
    if (!full.error.isEmpty()) return fail(withReason(kFullRateCurveUnreadable, full.error));
    if (full.curve && !full.curve->empty()) {
        c.curve.points = loadCurvePoints(*full.curve, deformation);
        return c;
    }
    c.curve.points.reserve(samples->size());
    for (const DbRow& sample : *samples) {
        const double x = sample.toDouble(deformation ? QStringLiteral("bianxing") : QStringLiteral("weiyi"),
                                         std::numeric_limits<double>::quiet_NaN());
        const double y = sample.toDouble(QStringLiteral("load"), std::numeric_limits<double>::quiet_NaN());
        if (std::isfinite(x) && std::isfinite(y)) c.curve.points.append({x, y});
    }
    return c;
}

QByteArray certificatePdf(const TestCertificate& certificate, QString* error) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(600);
        writer.setTitle(QStringLiteral("弹簧试验证书 %1-%2").arg(certificate.batch).arg(certificate.serial));
        writer.setCreator(QStringLiteral("springtest"));
        PdfPage page(writer);
        if (!page.isActive()) {
            if (error) *error = QStringLiteral("the certificate could not be drawn");
            return {};
        }
        drawCertificate(page, certificate);
    }
    return pdf.data();
}

QString writePdfFile(const QString& path, const QByteArray& pdf) {
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo::exists(path))
        return QStringLiteral("%1 exists already; a report is not written over").arg(shown);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
        return QStringLiteral("cannot write %1: %2").arg(shown, file.errorString());
    return {};
}

}  // namespace springtest
