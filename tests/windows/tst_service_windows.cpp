// The signal monitor (the raw readings of one card's channels), the splash (its picture, its see-through
// blue, its three seconds) and the about window.

#include <QtTest>

#include "CardRig.h"

#include "measurement/TMotor.h"
#include "platform/Prompts.h"
#include "support/FakeCard.h"
#include "support/TempAppDir.h"
#include "windows/setup/TF_about.h"
#include "windows/setup/TF_logo.h"
#include "windows/setup/TF_show.h"

#include <QGridLayout>
#include <QImage>
#include <QLabel>

using namespace springtest;
using springtest::testing::CardRig;
using springtest::testing::FakeCard;
using springtest::testing::FakeCardState;
using springtest::testing::TempAppDir;

namespace {

// Card 0 with its three channels on the scripted card.
struct MonitorRig : CardRig {
    MonitorRig() : CardRig(Motor::With, "[Displacement]\npress_save_pulse=700\npull_save_pulse=-300\n") {}
    // One reading of every channel, as the acquisition loop and the operator-box timer take them.
    void read(int32_t count, int32_t pulses, uint8_t input) {
        FakeCardState& card = FakeCard::state(0);
        card.count = count;
        card.pulses = pulses;
        card.outCommand = input;
        slot.load->ReadLoad();
        slot.displacement->ReadDisplacement();
        slot.motor->PendantTick();
    }
};

// The monitor's rows: label text → value text.
QMap<QString, QString> rows(TF_show& window) {
    QMap<QString, QString> shown;
    auto* grid = qobject_cast<QGridLayout*>(window.layout());
    for (int row = 0; row < grid->rowCount(); ++row) {
        auto* label = qobject_cast<QLabel*>(grid->itemAtPosition(row, 0)->widget());
        auto* value = qobject_cast<QLabel*>(grid->itemAtPosition(row, 1)->widget());
        shown.insert(label->text(), value->text());
    }
    return shown;
}

// A picture file in the application folder and init0.dat naming it.
QString writePicture(const TempAppDir& dir, const QImage& picture) {
    const QString path = dir.file(QStringLiteral("logo.bmp"));
    picture.save(path, "BMP");
    dir.write(QStringLiteral("init0.dat"), "[system]\nLogoAdd=" + path.toUtf8() + "\n");
    return path;
}

}  // namespace

class TestServiceWindows : public QObject {
    Q_OBJECT
private slots:
    void init() { setPrompts(&m_prompts); }
    void cleanup() {
        setPrompts(nullptr);
        m_prompts = ScriptedPrompts();
    }

    void monitorShowsTheChannels_data();
    void monitorShowsTheChannels();
    void monitorRefreshesWhileShownAndStaysOnTop();
    void splashShapesThePicture_data();
    void splashShapesThePicture();
    void splashWithoutItsPictureSaysSoAndStillCloses_data();
    void splashWithoutItsPictureSaysSoAndStillCloses();
    void aboutShowsNameAndVersion();

private:
    ScriptedPrompts m_prompts;
};

void TestServiceWindows::monitorShowsTheChannels_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pulses");
    QTest::addColumn<int>("input");
    QTest::addColumn<QStringList>("values");  // in the rows' order
    QTest::newRow("compression") << 1234 << 40 << 0x30
                                 << QStringList{"1234", "", "40", "700", "740", "-300", "-340", "48"};
    QTest::newRow("tension, negative counts")
        << -15001 << -25 << 255 << QStringList{"-15001", "", "-25", "700", "675", "-300", "-275", "255"};
}

void TestServiceWindows::monitorShowsTheChannels() {
    QFETCH(int, count);
    QFETCH(int, pulses);
    QFETCH(int, input);
    QFETCH(QStringList, values);
    MonitorRig rig;
    TF_show window(rig.slot, 0);
    rig.read(count, pulses, static_cast<uint8_t>(input));
    window.refresh();
    const QStringList labels{"负荷AD数：",     "变形AD数：",     "编码器脉冲数：", "压向相对零点：",
                             "压向绝对零点：", "拉向相对零点：", "拉向绝对零点：", "开关量输入："};
    const QMap<QString, QString> shown = rows(window);
    QCOMPARE(shown.size(), labels.size());
    for (int k = 0; k < labels.size(); ++k) QCOMPARE(shown.value(labels[k], "(no row)"), values[k]);
}

void TestServiceWindows::monitorRefreshesWhileShownAndStaysOnTop() {
    MonitorRig rig;
    auto* window = new TF_show(rig.slot, 2);
    QCOMPARE(window->windowTitle(), QString("信号监视"));
    QCOMPARE(window->cardIndex(), 2);
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!window->isModal());
    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    QPointer<TF_show> watched(window);
    window->show();
    rig.read(321, 0, 0x30);
    QTRY_COMPARE(rows(*window).value("负荷AD数："), QString("321"));
    window->close();
    QTRY_VERIFY(watched.isNull());
}

void TestServiceWindows::splashShapesThePicture_data() {
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<int>("visiblePixels");
    QImage redSquare(30, 20, QImage::Format_RGB32);
    redSquare.fill(qRgb(0, 0, 255));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) redSquare.setPixel(x, y, qRgb(200, 30, 30));
    // Only exactly (0, 0, 255) is see-through; a blue one step off shows.
    QImage nearBlue(10, 10, QImage::Format_RGB32);
    nearBlue.fill(qRgb(0, 0, 254));
    QImage allBlue(30, 12, QImage::Format_RGB32);
    allBlue.fill(qRgb(0, 0, 255));
    QTest::newRow("red square on blue") << redSquare << 400;
    QTest::newRow("nearly blue") << nearBlue << 100;
    QTest::newRow("all pure blue") << allBlue << 0;
}

void TestServiceWindows::splashShapesThePicture() {
    QFETCH(QImage, picture);
    QFETCH(int, visiblePixels);
    TempAppDir dir;
    writePicture(dir, picture);
    TF_logo splash(dir.path());
    QVERIFY(m_prompts.shown.isEmpty());
    QCOMPARE(splash.size(), picture.size());
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    int shown = 0;
    for (const QRect& r : splash.shape()) shown += r.width() * r.height();
    QCOMPARE(shown, visiblePixels);
    // An empty shape is no shape at all to the window system: the whole picture would show.
    if (visiblePixels == 0) {
        QCOMPARE(splash.windowOpacity(), 0.0);
    } else {
        QCOMPARE(splash.mask(), splash.shape());
        QCOMPARE(splash.windowOpacity(), 1.0);
    }
}

void TestServiceWindows::splashWithoutItsPictureSaysSoAndStillCloses_data() {
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("missing file") << QByteArray("[system]\nLogoAdd=/nowhere/logo.bmp\n")
                                  << QStringList{"找不到指定路径" +
                                                 QDir::toNativeSeparators("/nowhere/logo.bmp")};
    QTest::newRow("no LogoAdd") << QByteArray("[system]\nMachineType=0\n") << QStringList{};
    QTest::newRow("not a picture") << QByteArray("[system]\nLogoAdd=@/logo.bmp\n")
                                   << QStringList{"文件读取错误!!@/logo.bmp"};
}

void TestServiceWindows::splashWithoutItsPictureSaysSoAndStillCloses() {
    QFETCH(QByteArray, config);
    QFETCH(QStringList, messages);
    TempAppDir dir;
    // "@" stands for the application folder, where a file that is no picture lies.
    dir.write("logo.bmp", "BM not really a bitmap");
    const QString folder = QDir::toNativeSeparators(dir.path());
    dir.write("init0.dat", QByteArray(config).replace("@", dir.path().toUtf8()));
    TF_logo splash(dir.path(), nullptr, 30);
    QCOMPARE(m_prompts.messages(), messages.replaceInStrings("@", folder));
    QCOMPARE(splash.windowTitle(), QString("登录"));
    QSignalSpy finished(&splash, &QDialog::finished);
    splash.open();
    QVERIFY(splash.isVisible());
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(!splash.isVisible());
}

void TestServiceWindows::aboutShowsNameAndVersion() {
    TF_about about;
    QCOMPARE(about.windowTitle(), QString("关于"));
    QStringList texts;
    bool picture = false;
    for (QLabel* label : about.findChildren<QLabel*>()) {
        texts << label->text();
        picture = picture || !label->pixmap().isNull();
    }
    QVERIFY(texts.contains("微机控制弹簧试验机测试系统"));
    QVERIFY(texts.contains("版本：0928-2014"));
    QVERIFY(picture);
}

QTEST_MAIN(TestServiceWindows)
#include "tst_service_windows.moc"
