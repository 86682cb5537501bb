// The main window's menu commands on every machine type: which window each item opens (modal or beside the
// console, for which card), which says that the machine type's window is not installed, which does nothing;
// the skin choice; the set-up windows going before the channels they hold.

#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "session/ApplicationFolder.h"
#include "support/SimulatorLibrary.h"
#include "support/TempAppDir.h"
#include "support/WaitFor.h"
#include "windows/common/FindByName.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/TF_chart.h"
#include "windows/mainwindow/SkinDialog.h"
#include "windows/mainwindow/Skins.h"
#include "windows/mainwindow/Tfmain.h"

#include <QtTest>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QStyle>
#include <QToolButton>

#include <qcustomplot.h>

#include <cstdlib>
#include <functional>

using namespace springtest;
using springtest::testing::SimulatorLibrary;
using springtest::testing::TempAppDir;
using springtest::testing::waitFor;

namespace {

// What a command did, as the test reads it: "modal:<class>", "window:<class> tag <card>", "message:<text>",
// "open" for a file dialog, or empty for nothing at all.
using Outcome = QString;

QString shortClassName(const QObject* object) {
    return QString::fromLatin1(object->metaObject()->className()).section(QStringLiteral("::"), -1);
}

QSet<QWidget*> visibleWindows() {
    QSet<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) windows.insert(w);
    return windows;
}

}  // namespace

class TestMainWindowMenus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyItemOnEveryMachineType_data();
    void everyItemOnEveryMachineType();
    void skinChoice_data();
    void skinChoice();
    void setupWindowsGoBeforeTheChannels();
    void splashWhileTheWindowIsMade();

private:
    std::unique_ptr<Tfmain> startMainWindow(int type, int cards);
    // Triggers `command` and tells what it did; a modal window it opens is closed again.
    Outcome outcomeOf(const std::function<void()>& command);

    std::unique_ptr<TempAppDir> m_dir;
    ScriptedPrompts m_prompts;
};

void TestMainWindowMenus::initTestCase() {
    const QString& simulator = SimulatorLibrary::instance().error();
    QVERIFY2(simulator.isEmpty(), qPrintable(simulator));
}

void TestMainWindowMenus::init() {
    m_dir = std::make_unique<TempAppDir>();
    QVERIFY(initialiseApplicationFolder(m_dir->path()).error.isEmpty());
    QDir::setCurrent(m_dir->path());
    m_prompts = ScriptedPrompts();
    setPrompts(&m_prompts);
}

void TestMainWindowMenus::cleanup() {
    setPrompts(nullptr);
    QDir::setCurrent(QDir::tempPath());
    m_dir.reset();
}

std::unique_ptr<Tfmain> TestMainWindowMenus::startMainWindow(int type, int cards) {
    ProfileFile ini(m_dir->file("init0.dat"));
    if (!ini.writeString("system", "MachineType", QString::number(type)) ||
        !ini.writeString("system", "CardSum", QString::number(cards)))
        return nullptr;
    if (!SimulatorLibrary::instance().loadConfig(m_dir->file("simcard.ini"))) return nullptr;
    auto w = std::make_unique<Tfmain>(m_dir->path());
    w->show();
    return w->startupState() == Tfmain::Startup::Running ? std::move(w) : nullptr;
}

Outcome TestMainWindowMenus::outcomeOf(const std::function<void()>& command) {
    const QSet<QWidget*> before = visibleWindows();
    const qsizetype shown = m_prompts.shown.size();
    QString modal;
    bool looked = false;
    QTimer::singleShot(0, this, [&modal, &looked] {
        looked = true;
        if (QWidget* window = QApplication::activeModalWidget()) {
            modal = shortClassName(window);
            window->close();
        }
    });
    command();
    // Inside the modal window's loop when it opened one, else on the next pass of this one.
    if (!waitFor([&] { return looked; })) return QStringLiteral("(never looked)");

    QStringList said;
    for (qsizetype i = shown; i < m_prompts.shown.size(); ++i) {
        const ScriptedPrompts::Shown& prompt = m_prompts.shown[i];
        said << (prompt.kind == QLatin1String("open") ? QStringLiteral("open")
                                                      : prompt.kind + QLatin1Char(':') + prompt.text);
    }
    if (!modal.isEmpty()) said.prepend(QStringLiteral("modal:") + modal);
    for (QWidget* window : visibleWindows() - before)
        said << QStringLiteral("window:%1 tag %2")
                    .arg(shortClassName(window))
                    .arg(window->property("tag").toInt());
    return said.join(QStringLiteral(" + "));
}

// ---------------------------------------------------------------------------------------------------------

void TestMainWindowMenus::everyItemOnEveryMachineType_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("cards");
    QTest::newRow("0 standard") << 0 << 1;
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("2 with PID") << 2 << 1;
    QTest::newRow("3 leaf spring") << 3 << 1;
    QTest::newRow("4") << 4 << 1;
    QTest::newRow("5 lateral, two cards") << 5 << 2;
    QTest::newRow("6 two cards, mains power") << 6 << 2;
    QTest::newRow("7") << 7 << 1;
}

void TestMainWindowMenus::everyItemOnEveryMachineType() {
    QFETCH(int, type);
    QFETCH(int, cards);
    auto w = startMainWindow(type, cards);
    QVERIFY(w);
    w->SetOperatorRights(true);  // as after a login: the settings are open

    const bool standard = type == 0 || type == 2 || type == 6;
    const bool pid = type == 2 || type == 3;
    // An item with card sub-items is taken through its last card; every other one serves card 0.
    const auto onCard = [&](const QString& window, bool perCard) {
        return QStringLiteral("window:%1 tag %2").arg(window).arg(perCard ? cards - 1 : 0);
    };
    struct Case {
        const char* item;
        Outcome outcome;
    };
    const Case table[] = {
        // The lateral data panel, for card 1: only the lateral machine has one.
        {"N33", type == 5 ? "window:TF_datashow_HXGD tag 1" : ""},
        {"N3", "modal:TF_hardset"},
        {"N9", "modal:TFzero"},
        {"N22", "modal:TF_gz"},
        {"AuditTrail", "modal:TF_audit"},
        {"N24", onCard("TF_show", type == 5 || type == 6)},
        {"N29", ""},
        {"PID1", pid ? onCard("TFpid_view", false) : ""},
        {"N16", "modal:SkinDialog"},
        {"N10", "open"},
        {"N11", "open"},
        {"N12", standard    ? "modal:TFtest_set"
                : type == 3 ? "modal:TFtest_set_GBTH"
                : type == 5 ? "modal:TFtest_set_HXGD"
                            : ""},
        {"N17", "modal:TF_testspeed"},
        {"N13", "modal:Tf_auto"},
        {"N35", "modal:TF_ReportSet"},
        {"N28", "modal:TF_autozero"},
        {"N6", onCard("TF_bd", type == 5)},
        {"N8", onCard("TF_wybc", type == 5)},
        {"N26", onCard("TFwyzero_set", false)},
        {"PID2", pid ? onCard("TF_pid_adjust", false) : ""},
        {"bsSkinSpeedButton4", standard    ? "modal:TF_dp"
                               : type == 3 ? "modal:TF_dp_gbth"
                               : type == 5 ? "modal:TF_dp_HXGD"
                                           : ""},
        {"bsSkinSpeedButton1", "modal:TF_about"},
        {"N1", "modal:LoginDialog"},  // last: leaving it without logging in takes the rights away
    };
    for (const Case& c : table) {
        const QString name = QString::fromLatin1(c.item);
        const auto command = [&] {
            if (auto* button = findByName<QToolButton>(w.get(), name)) {
                button->click();
                return;
            }
            QAction* item = findByName<QAction>(w.get(), name);
            QVERIFY2(item, c.item);
            if (QMenu* subItems = item->menu())
                subItems->actions().last()->trigger();  // the last card
            else
                item->trigger();
        };
        const Outcome first = outcomeOf(command);
        QVERIFY2(first == c.outcome, qPrintable(name + ": " + first + " instead of " + c.outcome));
        if (!first.startsWith(QLatin1String("window:"))) continue;

        // A second click while the window is open does nothing; closing it lets the next click open one.
        const Outcome second = outcomeOf(command);
        QVERIFY2(second.isEmpty(), qPrintable(name + " again: " + second));
        const auto closeOpened = [&] {
            QPointer<QWidget> opened;
            for (QWidget* window : visibleWindows())
                if (first.contains(shortClassName(window) + QLatin1Char(' '))) opened = window;
            if (opened) opened->close();
            return waitFor([&] { return opened.isNull(); });  // the window goes once closed
        };
        QVERIFY2(closeOpened(), c.item);
        const Outcome third = outcomeOf(command);
        QVERIFY2(third == c.outcome, qPrintable(name + " after closing: " + third));
        QVERIFY2(closeOpened(), c.item);
    }
}

void TestMainWindowMenus::skinChoice_data() {
    QTest::addColumn<QList<int>>("choices");  // the skin picked each time; −1 cancels the dialog
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("offered");  // the skin the dialog opened on, each time
    for (int i = 0; i < skins().size(); ++i)
        QTest::newRow(qPrintable(skins()[i].name)) << QList<int>{i} << i << QList<int>{0};
    QTest::newRow("cancelled: the skin stays") << QList<int>{2, -1} << 2 << QList<int>{0, 2};
}

void TestMainWindowMenus::skinChoice() {
    QFETCH(QList<int>, choices);
    QFETCH(int, current);
    QFETCH(QList<int>, offered);
    QVERIFY(skins().size() >= 3);
    const QString styleBefore = QApplication::style()->name();
    const QPalette paletteBefore = QApplication::palette();
    const QString sheetBefore = qApp->styleSheet();
    auto w = startMainWindow(0, 1);
    QVERIFY(w);

    QCustomPlot* chart = w->curveWindow()->chart();
    QList<int> opened;
    for (int choice : choices) {
        // The chart is given another face first, so that each choice has to set it again.
        chart->setBackground(QColor(Qt::magenta));
        QTimer::singleShot(0, this, [choice, &opened] {
            auto* dialog = qobject_cast<SkinDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            opened << findByName<QListWidget>(dialog, "SkinList")->currentRow();
            if (choice >= 0) findByName<QListWidget>(dialog, "SkinList")->setCurrentRow(choice);
            findByName<QAbstractButton>(dialog, choice >= 0 ? "bsSkinButton1" : "bsSkinButton2")->click();
        });
        findByName<QAction>(w.get(), "N16")->trigger();
    }
    QCOMPARE(opened, offered);
    QCOMPARE(w->currentSkin(), current);
    const Skin& skin = skins()[current];
    // A style sheet wraps the style and hides its name; without one the style shows.
    if (skin.styleSheet.isEmpty()) QCOMPARE(QApplication::style()->name(), skin.styleName.toLower());
    QCOMPARE(QApplication::palette().color(QPalette::Button), skin.buttonFace);
    QCOMPARE(qApp->styleSheet(), skin.styleSheet);
    // The strip's own sheet follows: its gradient starts at the skin's top colour (give or take rounding).
    const QColor stripTop = w->grab().toImage().pixelColor(0, 0);
    QVERIFY2(std::abs(stripTop.red() - skin.stripTop.red()) <= 2 &&
                 std::abs(stripTop.green() - skin.stripTop.green()) <= 2 &&
                 std::abs(stripTop.blue() - skin.stripTop.blue()) <= 2,
             qPrintable(stripTop.name() + " instead of " + skin.stripTop.name()));
    // Outside the axes the chart shows its background.
    QCOMPARE(chart->toPixmap(40, 40).toImage().pixelColor(0, 0), skin.buttonFace);

    w.reset();
    QApplication::setStyle(styleBefore);
    QApplication::setPalette(paletteBefore);
    qApp->setStyleSheet(sheetBefore);
}

// Closing the console frees the channels: a calibration window still open would go on reading them.
void TestMainWindowMenus::setupWindowsGoBeforeTheChannels() {
    auto w = startMainWindow(0, 1);
    QVERIFY(w);
    findByName<QAction>(w.get(), "N6")->trigger();
    findByName<QAction>(w.get(), "N8")->trigger();
    QList<QPointer<QWidget>> open;
    for (QWidget* window : visibleWindows())
        if (window->parentWidget() == w.get() && qobject_cast<QDialog*>(window)) open << window;
    QCOMPARE(open.size(), 2);

    w->close();  // no pass of the event loop in between
    for (const QPointer<QWidget>& window : open) QVERIFY(window.isNull());
    QVERIFY(!w->session().isRunning());
}

void TestMainWindowMenus::splashWhileTheWindowIsMade() {
    QString shown;
    bool stripShown = true;
    QTimer::singleShot(0, this, [&] {
        QWidget* splash = QApplication::activeModalWidget();
        if (!splash) return;
        shown = shortClassName(splash);
        stripShown = false;
        for (QWidget* window : QApplication::topLevelWidgets())
            stripShown |= qobject_cast<Tfmain*>(window) && window->isVisible();
        splash->close();
    });
    Tfmain w(m_dir->path(), nullptr, Tfmain::Splash::Shown);
    QCOMPARE(shown, QString("TF_logo"));
    QVERIFY(!stripShown);                                     // the splash first, the strip after it
    QCOMPARE(w.startupState(), Tfmain::Startup::NotStarted);  // the machine starts when the strip shows
}

QTEST_MAIN(TestMainWindowMenus)
#include "tst_mainwindow_menus.moc"
