#pragma once

#include "results/LabIdentity.h"
#include "results/PdfPage.h"
#include "results/StandardQuantities.h"
#include "storage/Database.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace springtest {

// Where a report is made: the laboratory, the machine and its card, the units of card 0's channels. The
// command line and the browser fill it from the application folder's settings.
struct ReportContext {
    LabIdentity lab;
    QString machine;  // the machine's name, as the main window's title shows it
    QString card;     // the card model ("RX720")
    BatchUnits units;
};

// A value judged against its limits, as a certificate lists it. Texts as stored or typed: the report shows
// them with the decimals they were written with.
struct JudgedValue {
    QString name;    // "测试点1", "刚度1"
    QString stroke;  // "进", "回"
    QString target;  // the point's set value; empty for a stiffness
    QString upper;   // empty where no limits are set
    QString lower;
    QString measured;  // empty when the test did not reach it
    QString unit;
    QString verdict;  // "合格", "不合格"; empty when there is nothing to judge
};

// One test of a batch, as its certificate states it.
struct TestCertificate {
    ReportContext context;
    QString scheme;
    QString batch;  // the batch number: the file's name without ".mdb"
    int serial = 0;
    QString operatorName;  // empty for a test stored before operators were recorded
    QString testedAt;      // ISO form, "2024-05-06 10:11:12"
    QString targetUnit;    // of the points' set values
    QList<JudgedValue> points;
    QList<JudgedValue> stiffness;
    QString height;       // the spring's (free) height, as stored; empty when not measured
    QString solidHeight;  // empty when not measured
    QString verdict;      // "合格", "不合格", or "未判定" when nothing could be judged
    CurvePlot curve;
};

// The verdict words of the reports.
QString passText();
QString failText();
QString notJudgedText();

// A value against limits stored as text: none where both limits are 0 (never set) or the value is empty or
// no number; a value equal to a limit passes.
QString judgedText(const QString& measured, double upper, double lower, bool hasLimits);

// The judgements of one test from its rows (a row per stroke) against the batch's scheme row: its points,
// stiffness, heights and overall verdict, without operator, batch or curve.
TestCertificate judgeTest(const DbRow& scheme, const QList<DbRow>& testRows, const ReportContext& context);

// Reads test `serial` of the standard batch at `batchPath` (results, scheme, operator, curve). Nothing, with
// the reason in `error`, when the batch cannot be read or holds no such test.
std::optional<TestCertificate> readTestCertificate(const QString& batchPath, int serial,
                                                   const ReportContext& context, QString* error);

// The certificate as a one-page PDF document; empty, with the reason in `error`, when it could not be drawn.
QByteArray certificatePdf(const TestCertificate& certificate, QString* error = nullptr);

// Writes the PDF to `path`, which must not exist yet (a report is never written over). An error text on
// failure.
QString writePdfFile(const QString& path, const QByteArray& pdf);

}  // namespace springtest
