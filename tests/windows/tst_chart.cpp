#include "WindowRig.h"
#include "support/NearCompare.h"
#include "windows/common/FindByName.h"
#include "windows/console/AxisStepping.h"
#include "windows/console/TF_chart.h"

#include <qcustomplot.h>

#include <QPrinterInfo>
#include <QtTest>

#include <functional>
#include <thread>

using namespace springtest;
using springtest::testing::WindowRig;

Q_DECLARE_METATYPE(springtest::AxisScale)

namespace {

using AxisChange = std::function<AxisScale(const AxisScale&)>;

QToolButton* tool(TF_chart& w, const char* name) {
    return findByName<QToolButton>(&w, QString::fromLatin1(name));
}

void compareScale(const AxisScale& actual, const AxisScale& expected) {
    QCOMPARE(actual.minimum, expected.minimum);
    QCOMPARE(actual.maximum, expected.maximum);
    QCOMPARE(actual.step, expected.step);
}

// The forward and return strokes of one simulated test, as the curve timer's thread hands them over.
void feedStrokes(CurveSink* sink, int pointsPerStroke) {
    sink->clearCurve();
    sink->setAxes(0, 0, 0, 0);
    for (int i = 1; i <= pointsPerStroke; ++i) {
        const double x = 0.1 * i;
        sink->setAxes(1.2 * x, 0.12 * x, 12.0 * x, 1.2 * x);
        sink->appendPoint(0, x, 10.0 * x);
    }
    for (int i = pointsPerStroke; i >= 1; --i) sink->appendPoint(1, 0.1 * i, 9.0 * 0.1 * i);
}

}  // namespace

class TestChart : public QObject {
    Q_OBJECT
private slots:
    void axisArithmetic_data();
    void axisArithmetic();
    void toolbarChangesItsAxis_data();
    void toolbarChangesItsAxis();
    void emptyAxesStayEmpty();
    void wideNarrowToggle();
    void everyToolShowsInTheNarrowWindow();
    void showTitlesAxesAndHidesTheThirdSeries();
    void queuedPointsAreDrawnInOneBatch();
    void clearDropsQueuedPointsAndKeepsOperatorMinimum();
    void curveFedFromAnotherThreadWhileDrawing();
    void savePicture_data();
    void savePicture();
    void printWithoutPrinter();
    void cursorReadout();
    void rectangleZoomAndUndo();
    void undoReturnsToTheRangesBeforeTheFirstZoom_data();
    void undoReturnsToTheRangesBeforeTheFirstZoom();
    void statusPanelHintShowsItsText();
};

void TestChart::axisArithmetic_data() {
    QTest::addColumn<AxisChange>("change");
    QTest::addColumn<AxisScale>("axis");
    QTest::addColumn<AxisScale>("expected");
    QTest::newRow("zoom in 0..50") << AxisChange(zoomedIn) << AxisScale{0, 50, 5}
                                   << AxisScale{2.5, 47.5, 4.5};
    QTest::newRow("zoom out 0..50") << AxisChange(zoomedOut) << AxisScale{0, 50, 5}
                                    << AxisScale{-7.5, 57.5, 6.5};
    QTest::newRow("zoom in 10..20") << AxisChange(zoomedIn) << AxisScale{10, 20, 1}
                                    << AxisScale{10.5, 19.5, 0.9};
    QTest::newRow("stretch 0..50") << AxisChange(stretched) << AxisScale{0, 50, 5} << AxisScale{0, 55, 5.5};
    QTest::newRow("stretch -10..10") << AxisChange(stretched) << AxisScale{-10, 10, 2}
                                     << AxisScale{-10, 12, 2.2};
    QTest::newRow("shrink 0..50") << AxisChange(shrunk) << AxisScale{0, 50, 5} << AxisScale{0, 45, 4.5};
    QTest::newRow("shrink 0..0 unchanged") << AxisChange(shrunk) << AxisScale{0, 0, 0} << AxisScale{0, 0, 0};
    QTest::newRow("shrink keeps odd step when refused")
        << AxisChange(shrunk) << AxisScale{3, 3, 7} << AxisScale{3, 3, 7};
    QTest::newRow("stretch 0..0 stays at 0")
        << AxisChange(stretched) << AxisScale{0, 0, 0} << AxisScale{0, 0, 0};
}

void TestChart::axisArithmetic() {
    QFETCH(AxisChange, change);
    QFETCH(AxisScale, axis);
    QFETCH(AxisScale, expected);
    compareScale(change(axis), expected);
}

void TestChart::toolbarChangesItsAxis_data() {
    // From the designed axes: bottom 0 .. 25 step 2.5, left 0 .. 50 step 5.
    QTest::addColumn<QString>("button");
    QTest::addColumn<AxisScale>("bottom");
    QTest::addColumn<AxisScale>("left");
    QTest::newRow("曲线放大") << "bsSkinSpeedButton10" << AxisScale{1.25, 23.75, 2.25}
                              << AxisScale{2.5, 47.5, 4.5};
    QTest::newRow("曲线缩小") << "bsSkinSpeedButton11" << AxisScale{-3.75, 28.75, 3.25}
                              << AxisScale{-7.5, 57.5, 6.5};
    QTest::newRow("Y轴增大") << "bsSkinSpeedButton15" << AxisScale{0, 25, 2.5} << AxisScale{0, 55, 5.5};
    QTest::newRow("Y轴减小") << "bsSkinSpeedButton16" << AxisScale{0, 25, 2.5} << AxisScale{0, 45, 4.5};
    QTest::newRow("X轴减小") << "bsSkinSpeedButton17" << AxisScale{0, 22.5, 2.25} << AxisScale{0, 50, 5};
    QTest::newRow("X轴增大") << "bsSkinSpeedButton18" << AxisScale{0, 27.5, 2.75} << AxisScale{0, 50, 5};
}

void TestChart::toolbarChangesItsAxis() {
    QFETCH(QString, button);
    QFETCH(AxisScale, bottom);
    QFETCH(AxisScale, left);
    WindowRig rig;
    TF_chart w(rig.context);
    auto* b = findByName<QToolButton>(&w, button);
    QVERIFY(b);
    b->click();
    compareScale(w.bottomAxis(), bottom);
    compareScale(w.leftAxis(), left);
    // What the operator sees is the same range.
    QCOMPARE(w.chart()->xAxis->range().lower, bottom.minimum);
    QCOMPARE(w.chart()->xAxis->range().upper, bottom.maximum);
    QCOMPARE(w.chart()->yAxis->range().lower, left.minimum);
    QCOMPARE(w.chart()->yAxis->range().upper, left.maximum);
    auto ticker = qSharedPointerDynamicCast<QCPAxisTickerFixed>(w.chart()->yAxis->ticker());
    QVERIFY(ticker);
    QCOMPARE(ticker->tickStep(), left.step);
}

void TestChart::emptyAxesStayEmpty() {
    WindowRig rig;
    TF_chart w(rig.context);
    w.curveSink()->clearCurve();
    w.curveSink()->setAxes(0, 0, 0, 0);
    w.drawPendingCurve();
    for (const char* name :
         {"bsSkinSpeedButton16", "bsSkinSpeedButton17", "bsSkinSpeedButton15", "bsSkinSpeedButton18"}) {
        tool(w, name)->click();
        compareScale(w.bottomAxis(), AxisScale{0, 0, 0});
        compareScale(w.leftAxis(), AxisScale{0, 0, 0});
    }
}

void TestChart::wideNarrowToggle() {
    WindowRig rig;
    TF_chart w(rig.context);
    QToolButton* toggle = tool(w, "bsSkinSpeedButton1");
    QCOMPARE(w.width(), 675);
    QCOMPARE(toggle->toolTip(), QString("窗口放大"));
    toggle->click();
    QVERIFY(w.isWide());
    QCOMPARE(w.width(), 1014);
    QCOMPARE(toggle->toolTip(), QString("曲线窗口缩小"));
    toggle->click();
    QVERIFY(!w.isWide());
    QCOMPARE(w.width(), 675);
    QCOMPARE(toggle->toolTip(), QString("曲线窗口放大"));
}

void TestChart::everyToolShowsInTheNarrowWindow() {
    WindowRig rig;
    TF_chart w(rig.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.width(), TF_chart::kNarrowWidth_px);
    // None is folded away behind the tool bar's extension arrow.
    const QList<QToolButton*> tools =
        findByName<QWidget>(&w, "bsSkinToolBar1")->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
    int shown = 0;
    for (QToolButton* t : tools) {
        if (t->objectName() == "qt_toolbar_ext_button") {
            QVERIFY(!t->isVisible());
            continue;
        }
        QVERIFY2(t->isVisible(), qPrintable(t->toolTip()));
        ++shown;
    }
    QCOMPARE(shown, 9);
}

void TestChart::showTitlesAxesAndHidesTheThirdSeries() {
    WindowRig rig("[Load]\nName=压力\nUnits=kN\n[Displacement]\nName=变形\nUnits=mm\n");
    TF_chart w(rig.context);
    QCOMPARE(w.chart(), findByName(&w, "chart1"));
    QCOMPARE(w.chart()->xAxis->label(), QString("位移(mm)"));
    w.show();
    QCOMPARE(w.chart()->yAxis->label(), QString("压力  (kN)"));
    QCOMPARE(w.chart()->xAxis->label(), QString("变形  (mm)"));
    QCOMPARE(w.series(0)->name(), QString("进程"));
    QCOMPARE(w.series(0)->pen().color(), QColor(Qt::red));
    QCOMPARE(w.series(1)->name(), QString("回程"));
    QCOMPARE(w.series(1)->pen().color(), QColor(Qt::black));
    QVERIFY(w.series(0)->visible());
    QVERIFY(!w.series(2)->visible());
}

void TestChart::queuedPointsAreDrawnInOneBatch() {
    WindowRig rig;
    TF_chart w(rig.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    std::thread feeder(feedStrokes, w.curveSink(), 500);
    feeder.join();
    int replots = 0;
    connect(w.chart(), &QCustomPlot::afterReplot, [&replots] { ++replots; });
    w.drawPendingCurve();
    QCoreApplication::processEvents();
    QCOMPARE(replots, 1);
    QCOMPARE(w.series(0)->dataCount(), 500);
    QCOMPARE(w.series(1)->dataCount(), 500);
    // The return stroke keeps its arrival order, running back towards 0.
    QCOMPARE(w.series(1)->data()->at(0)->key, 50.0);
    QCOMPARE(w.series(1)->data()->at(499)->key, 0.1);
    compareScale(w.bottomAxis(), AxisScale{0, 60, 6});
    compareScale(w.leftAxis(), AxisScale{0, 600, 60});
}

void TestChart::clearDropsQueuedPointsAndKeepsOperatorMinimum() {
    WindowRig rig;
    TF_chart w(rig.context);
    CurveSink* sink = w.curveSink();
    sink->appendPoint(0, 1, 1);
    sink->appendPoint(1, 1, 1);
    sink->clearCurve();
    sink->setAxes(0, 0, 0, 0);
    sink->appendPoint(0, 2, 20);
    sink->setAxes(2.4, 0.24, 24, 2.4);
    w.drawPendingCurve();
    QCOMPARE(w.series(0)->dataCount(), 1);
    QCOMPARE(w.series(0)->data()->at(0)->value, 20.0);
    QCOMPARE(w.series(1)->dataCount(), 0);
    compareScale(w.leftAxis(), AxisScale{0, 24, 2.4});

    // The feed widens the maxima; a minimum the operator moved stays where he put it.
    tool(w, "bsSkinSpeedButton10")->click();
    sink->setAxes(3.6, 0.36, 36, 3.6);
    w.drawPendingCurve();
    compareScale(w.leftAxis(), AxisScale{1.2, 36, 3.6});

    // A second test starts from scratch.
    sink->clearCurve();
    w.drawPendingCurve();
    QCOMPARE(w.series(0)->dataCount(), 0);
    compareScale(w.leftAxis(), AxisScale{0, 0, 0});
}

void TestChart::curveFedFromAnotherThreadWhileDrawing() {
    WindowRig rig;
    TF_chart w(rig.context);
    w.show();
    constexpr int kTests = 20;
    constexpr int kPoints = 200;
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        for (int t = 0; t < kTests; ++t) {
            feedStrokes(w.curveSink(), kPoints);
            std::this_thread::yield();
        }
        done = true;
    });
    // The GUI thread keeps drawing from its timer while the points arrive.
    while (!done) QTest::qWait(5);
    feeder.join();
    QTRY_COMPARE(w.series(1)->dataCount(), kPoints);
    QCOMPARE(w.series(0)->dataCount(), kPoints);
    QCOMPARE(w.series(0)->data()->at(kPoints - 1)->value, 200.0);
    compareScale(w.bottomAxis(), AxisScale{0, 24, 2.4});
}

void TestChart::savePicture_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QStringList>("messages");
    const QString ask = "该文件名已经存在，是否覆盖?";
    QTest::newRow("new file") << false << QList<bool>{} << "c1.bmp" << true << QStringList{"保存图片完成!!"};
    QTest::newRow("name without extension")
        << false << QList<bool>{} << "c1" << true << QStringList{"保存图片完成!!"};
    QTest::newRow("overwrite: No") << true << QList<bool>{false} << "c1.bmp" << false << QStringList{ask};
    QTest::newRow("overwrite: Yes") << true << QList<bool>{true} << "c1.bmp" << true
                                    << QStringList{ask, "保存图片完成!!"};
}

void TestChart::savePicture() {
    QFETCH(bool, exists);
    QFETCH(QList<bool>, answers);
    QFETCH(QString, typed);
    QFETCH(bool, written);
    QFETCH(QStringList, messages);
    WindowRig rig;
    TF_chart w(rig.context);
    w.show();
    const QString folder = rig.dir.file("picture");
    const QString file = folder + "/c1.bmp";
    const QByteArray old = "old picture";
    if (exists) {
        QVERIFY(QDir().mkpath(folder));
        rig.dir.write("picture/c1.bmp", old);
    }
    rig.prompts.answers = answers;
    rig.prompts.files = {folder + "/" + typed};
    tool(w, "bsSkinSpeedButton19")->click();

    QCOMPARE(rig.prompts.messages(), messages);
    QCOMPARE(rig.prompts.lastFolder, folder);
    QVERIFY(QFileInfo(folder).isDir());
    const QByteArray now = rig.dir.read("picture/c1.bmp");
    if (written) {
        QVERIFY(now.startsWith("BM"));
        QCOMPARE(QImage(file).width(), w.chart()->width());
    } else {
        QCOMPARE(now, exists ? old : QByteArray());
    }
}

void TestChart::printWithoutPrinter() {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) QSKIP("a printer is installed here");
    WindowRig rig;
    TF_chart w(rig.context);
    tool(w, "bsSkinSpeedButton20")->click();
    QCOMPARE(rig.prompts.messages(), QStringList{"没有安装打印机,无法进行打印!!"});
}

void TestChart::cursorReadout() {
    WindowRig rig;
    TF_chart w(rig.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.chart()->replot();
    const QPointF at(w.chart()->xAxis->coordToPixel(10.0), w.chart()->yAxis->coordToPixel(20.0));
    QMouseEvent move(QEvent::MouseMove, at, w.chart()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(w.chart(), &move);
    QCOMPARE(findByName<QLabel>(&w, "bsSkinLabel8")->text(), QString("曲线坐标:X:10.000 Y:20.000"));
}

void TestChart::rectangleZoomAndUndo() {
    WindowRig rig;
    TF_chart w(rig.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.chart()->replot();
    QCustomPlot* chart = w.chart();
    const auto pixel = [chart](double x, double y) {
        return QPoint(qRound(chart->xAxis->coordToPixel(x)), qRound(chart->yAxis->coordToPixel(y)));
    };
    const auto drag = [chart](QPoint from, QPoint to) {
        QTest::mousePress(chart, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(chart, (from + to) / 2);
        QTest::mouseMove(chart, to);
        QTest::mouseRelease(chart, Qt::LeftButton, Qt::NoModifier, to);
    };
    // Down and to the right: zoom into the rectangle, ten steps across each axis.
    drag(pixel(5, 30), pixel(15, 10));
    const double pixelX = 25.0 / chart->axisRect()->width();
    const double pixelY = 50.0 / chart->axisRect()->height();
    COMPARE_NEAR(w.bottomAxis().minimum, 5, 0.0, 2 * pixelX);
    COMPARE_NEAR(w.bottomAxis().maximum, 15, 0.0, 2 * pixelX);
    COMPARE_NEAR(w.leftAxis().minimum, 10, 0.0, 2 * pixelY);
    COMPARE_NEAR(w.leftAxis().maximum, 30, 0.0, 2 * pixelY);
    QCOMPARE(w.bottomAxis().step, (w.bottomAxis().maximum - w.bottomAxis().minimum) / 10);
    QCOMPARE(w.leftAxis().step, (w.leftAxis().maximum - w.leftAxis().minimum) / 10);

    // A second rectangle zooms further; drawing one to the left undoes both.
    drag(pixel(6, 25), pixel(12, 15));
    QVERIFY(w.bottomAxis().maximum < 13);
    drag(pixel(12, 15), pixel(8, 25));
    compareScale(w.bottomAxis(), AxisScale{0, 25, 2.5});
    compareScale(w.leftAxis(), AxisScale{0, 50, 5});
}

void TestChart::undoReturnsToTheRangesBeforeTheFirstZoom_data() {
    // "in", "out": the toolbar's 曲线放大 and 曲线缩小; "rectangle": a rectangle drawn to the right.
    QTest::addColumn<QStringList>("zooms");
    QTest::newRow("toolbar zoom in") << QStringList{"in"};
    QTest::newRow("toolbar zoom out twice") << QStringList{"out", "out"};
    QTest::newRow("toolbar, then rectangle") << QStringList{"in", "rectangle"};
    QTest::newRow("rectangle, then toolbar") << QStringList{"rectangle", "out", "in"};
}

void TestChart::undoReturnsToTheRangesBeforeTheFirstZoom() {
    QFETCH(QStringList, zooms);
    WindowRig rig;
    TF_chart w(rig.context);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCustomPlot* chart = w.chart();
    // Over the middle of the plot, whatever its ranges are by now.
    const auto drag = [chart](bool toTheRight) {
        chart->replot();
        const QRect plot = chart->axisRect()->rect();
        const QPoint left = plot.topLeft() + QPoint(plot.width() / 4, plot.height() / 4);
        const QPoint right = plot.topLeft() + QPoint(3 * plot.width() / 4, 3 * plot.height() / 4);
        const QPoint from = toTheRight ? left : right;
        const QPoint to = toTheRight ? right : left;
        QTest::mousePress(chart, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(chart, (from + to) / 2);
        QTest::mouseMove(chart, to);
        QTest::mouseRelease(chart, Qt::LeftButton, Qt::NoModifier, to);
    };
    for (const QString& zoom : zooms) {
        if (zoom == "in") tool(w, "bsSkinSpeedButton10")->click();
        if (zoom == "out") tool(w, "bsSkinSpeedButton11")->click();
        if (zoom == "rectangle") drag(true);
    }
    QVERIFY(w.bottomAxis().maximum != 25.0);

    drag(false);
    compareScale(w.bottomAxis(), AxisScale{0, 25, 2.5});
    compareScale(w.leftAxis(), AxisScale{0, 50, 5});
    QCOMPARE(chart->xAxis->range().upper, 25.0);
    // Nothing is left to undo.
    drag(false);
    compareScale(w.bottomAxis(), AxisScale{0, 25, 2.5});
}

void TestChart::statusPanelHintShowsItsText() {
    WindowRig rig;
    TF_chart w(rig.context);
    QObject* panel = findByName(&w, "bsSkinStatusPanel3");
    QVERIFY(panel);
    const QString batch = "/home/operator/springs/database/a-very-long-batch-number-2024-05.mdb";
    QVERIFY(panel->setProperty("text", batch));
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(panel, &enter);
    QCOMPARE(qobject_cast<QWidget*>(panel)->toolTip(), batch);
}

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
