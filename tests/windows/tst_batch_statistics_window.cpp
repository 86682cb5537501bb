// The statistics page of the result browser: the table as the core computes it, and the charts of the
// chosen quantity with its limits and mean.

#include <qcustomplot.h>

#include <QTableWidget>
#include <QtTest>

#include "results/BatchStatistics.h"
#include "results/QuantityCharts.h"
#include "windows/browser/BatchStatisticsWindow.h"

using namespace springtest;

namespace {

Quantity quantity(const QString& name, const QVector<double>& values, std::optional<QuantityLimits> limits,
                  int firstTest = 1) {
    Quantity q;
    q.name = name;
    q.unit = QStringLiteral("N");
    q.decimals = 2;
    q.limits = limits;
    int test = firstTest;
    for (double v : values) q.values.append({test++, v});
    return q;
}

// The coordinate of the straight line named `name` on the axis it stands at; NaN when there is none.
double lineAt(QCustomPlot* plot, const QString& name, bool vertical) {
    for (int i = 0; i < plot->itemCount(); ++i) {
        auto* line = qobject_cast<QCPItemStraightLine*>(plot->item(i));
        if (line && line->objectName() == name)
            return vertical ? line->point1->coords().x() : line->point1->coords().y();
    }
    return qQNaN();
}

}  // namespace

class TestBatchStatisticsWindow : public QObject {
    Q_OBJECT
private slots:
    void tableAndChartsOfTheChosenQuantity();
    void emptyBatchShowsNothing();
    void histogramBins_data();
    void histogramBins();
};

void TestBatchStatisticsWindow::tableAndChartsOfTheChosenQuantity() {
    const QList<QuantityRow> rows =
        batchStatistics({quantity("结果1 进", {9.8, 10.0, 10.2, 10.1, 9.9}, QuantityLimits{10.5, 9.7}, 3),
                         quantity("弹簧高度", {50.1, 50.3}, std::nullopt)});
    BatchStatisticsWindow window("B1", rows);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTableWidget* table = window.table();
    QCOMPARE(table->rowCount(), 2);
    const auto cell = [table](int row, int column) { return table->item(row, column)->text(); };
    QCOMPARE(cell(0, 0), QString("结果1 进"));
    QCOMPARE(cell(0, 3), QString("10.000"));  // the mean one decimal more than the values
    QCOMPARE(cell(0, 10), QString("0.84"));   // Cp
    QCOMPARE(cell(0, 11), QString("0.63"));   // Cpk
    QCOMPARE(cell(1, 10), QString());         // no limits, no Cp

    // The first quantity is shown at once: its values in test order, from test 3, with mean and limits.
    QCOMPARE(window.chosenQuantity(), 0);
    QCPGraph* run = window.runChart()->graph(0);
    QCOMPARE(run->dataCount(), 5);
    QCOMPARE(run->data()->at(0)->key, 3.0);
    QCOMPARE(run->data()->at(4)->value, 9.9);
    QCOMPARE(lineAt(window.runChart(), "mean", false), 10.0);
    QCOMPARE(lineAt(window.runChart(), "upper", false), 10.5);
    QCOMPARE(lineAt(window.runChart(), "lower", false), 9.7);
    QCOMPARE(lineAt(window.histogram(), "upper", true), 10.5);
    QCOMPARE(lineAt(window.histogram(), "lower", true), 9.7);
    // The limits lie inside what the axes show.
    QVERIFY(window.histogram()->xAxis->range().contains(10.5));
    QVERIFY(window.runChart()->yAxis->range().contains(9.7));
    auto* bars = qobject_cast<QCPBars*>(window.histogram()->plottable(0));
    QVERIFY(bars);
    int counted = 0;
    for (auto it = bars->data()->constBegin(); it != bars->data()->constEnd(); ++it)
        counted += int(it->value);
    QCOMPARE(counted, 5);

    // Choosing the other row redraws both charts for it, without the limits it has not.
    table->setCurrentCell(1, 0);
    QCOMPARE(window.chosenQuantity(), 1);
    QCOMPARE(window.runChart()->graph(0)->dataCount(), 2);
    QVERIFY(std::isnan(lineAt(window.runChart(), "upper", false)));
    QVERIFY(std::isnan(lineAt(window.histogram(), "lower", true)));
    QCOMPARE(lineAt(window.runChart(), "mean", false), 50.2);
}

void TestBatchStatisticsWindow::emptyBatchShowsNothing() {
    BatchStatisticsWindow window("B0", {});
    window.show();
    QCOMPARE(window.table()->rowCount(), 0);
    QCOMPARE(window.chosenQuantity(), -1);
    QCOMPARE(window.runChart()->graphCount(), 0);
}

void TestBatchStatisticsWindow::histogramBins_data() {
    QTest::addColumn<QVector<double>>("values");
    QTest::addColumn<QVector<int>>("counts");
    QTest::addColumn<double>("lowest");
    QTest::addColumn<double>("width");
    QTest::newRow("no value") << QVector<double>{} << QVector<int>{} << 0.0 << 0.0;
    QTest::newRow("all alike: one bin around them")
        << QVector<double>{2, 2, 2} << QVector<int>{3} << 1.5 << 1.0;
    // Five bins at least; the largest value falls into the last bin, not past it.
    QTest::newRow("the largest value in the last bin")
        << QVector<double>{0, 1, 2, 3, 4, 5} << QVector<int>{1, 1, 1, 1, 2} << 0.0 << 1.0;
    QVector<double> many;
    for (int i = 0; i < 1000; ++i) many << i;
    QVector<int> twenty(20, 50);
    QTest::newRow("twenty bins at most") << many << twenty << 0.0 << 999.0 / 20;
}

void TestBatchStatisticsWindow::histogramBins() {
    QFETCH(QVector<double>, values);
    QFETCH(QVector<int>, counts);
    QFETCH(double, lowest);
    QFETCH(double, width);
    const Histogram h = quantityHistogram(quantity("q", values, std::nullopt));
    QCOMPARE(h.counts, counts);
    QCOMPARE(h.lowest, lowest);
    QCOMPARE(h.width, width);
}

QTEST_MAIN(TestBatchStatisticsWindow)
#include "tst_batch_statistics_window.moc"
