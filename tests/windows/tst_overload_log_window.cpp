// The overload log window: what it lists, and deleting one record or all of them behind the service
// password, with the empty log, wrong or cancelled passwords and a missing database or table.

#include <QtTest>

#include "platform/Prompts.h"
#include "storage/Database.h"
#include "storage/OverloadLog.h"
#include "storage/Schema.h"
#include "support/TempAppDir.h"
#include "windows/common/FindByName.h"
#include "windows/common/WidgetPrompts.h"
#include "windows/setup/TF_gz.h"

#include <QApplication>
#include <QInputDialog>
#include <QPushButton>
#include <QTableWidget>

#include <optional>

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

const QString kNoRecords = QStringLiteral("当前无记录！！");
const QString kWrongPassword = QStringLiteral("密码错误，无法删除！！");
const QString kDeleteOne = QStringLiteral("bsSkinButton1");
const QString kDeleteAll = QStringLiteral("bsSkinButton2");

// An application folder whose overload log holds `count` records numbered from 1, and scripted prompts.
struct LogRig {
    explicit LogRig(int count) {
        createSchemeDatabase(schemeDatabasePath(dir.path()));
        OverloadLog log(dir.path());
        for (int k = 1; k <= count; ++k)
            log.append(QString::number(1030 + k), QDateTime(QDate(2026, 5, k), QTime(8, 30, 15)));
        setPrompts(&prompts);
    }
    ~LogRig() { setPrompts(nullptr); }
    QList<int> storedNumbers() {
        QList<int> numbers;
        OverloadLog log(dir.path());
        for (const OverloadRecord& record : log.list().value_or(QList<OverloadRecord>{}))
            numbers << record.number;
        return numbers;
    }

    TempAppDir dir;
    ScriptedPrompts prompts;
};

QTableWidget* grid(TF_gz& window) {
    return findByName<QTableWidget>(&window, QStringLiteral("bsSkinDBGrid1"));
}

void click(TF_gz& window, const QString& button) {
    findByName<QPushButton>(&window, button)->click();
}

int passwordPrompts(const ScriptedPrompts& prompts) {
    int count = 0;
    for (const ScriptedPrompts::Shown& shown : prompts.shown) {
        if (shown.kind != QLatin1String("password")) continue;
        ++count;
        if (shown.caption != QLatin1String("Password") || shown.text != QLatin1String("Password:")) return -1;
    }
    return count;
}

}  // namespace

class TestOverloadLogWindow : public QObject {
    Q_OBJECT
private slots:
    void listsTheLog();
    void emptyLogAsksNoPassword_data();
    void emptyLogAsksNoPassword();
    void passwordGuardsDeletion_data();
    void passwordGuardsDeletion();
    void deleteTakesTheCurrentRecord();
    void afterDeleteAllThereIsNothingToDelete();
    void missingDatabaseOrTableIsSaidAndNothingBreaks_data();
    void missingDatabaseOrTableIsSaidAndNothingBreaks();
    void operatorsPasswordBoxIsMasked();
};

void TestOverloadLogWindow::listsTheLog() {
    LogRig rig(2);
    TF_gz window(rig.dir.path());
    QCOMPARE(window.windowTitle(), QString("过载查询"));
    QTableWidget* table = grid(window);
    QCOMPARE(table->columnCount(), 3);
    QCOMPARE(table->horizontalHeaderItem(0)->text(), QString("序号"));
    QCOMPARE(table->horizontalHeaderItem(1)->text(), QString("负荷过载值"));
    QCOMPARE(table->horizontalHeaderItem(2)->text(), QString("过载时间"));
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(1, 0)->text(), QString("2"));
    QCOMPARE(table->item(1, 1)->text(), QString("1032"));
    QCOMPARE(table->item(1, 2)->text(), QString("2026-05-02 08:30:15"));
    // A read-only log: nothing can be typed into it.
    QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(rig.prompts.shown.isEmpty());
}

void TestOverloadLogWindow::emptyLogAsksNoPassword_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("删除") << kDeleteOne;
    QTest::newRow("全部删除") << kDeleteAll;
}

void TestOverloadLogWindow::emptyLogAsksNoPassword() {
    QFETCH(QString, button);
    LogRig rig(0);
    TF_gz window(rig.dir.path());
    rig.prompts.inputs << QString("469318");
    click(window, button);
    QCOMPARE(rig.prompts.messages(), QStringList{kNoRecords});
    QCOMPARE(passwordPrompts(rig.prompts), 0);
}

void TestOverloadLogWindow::passwordGuardsDeletion_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<std::optional<QString>>("password");
    QTest::addColumn<QList<int>>("remaining");
    QTest::addColumn<QStringList>("messages");
    const QList<int> all{1, 2, 3};
    QTest::newRow("删除, cancelled") << kDeleteOne << std::optional<QString>() << all << QStringList{};
    QTest::newRow("删除, empty") << kDeleteOne << std::optional<QString>("") << all
                                 << QStringList{kWrongPassword};
    QTest::newRow("删除, wrong") << kDeleteOne << std::optional<QString>("469319") << all
                                 << QStringList{kWrongPassword};
    QTest::newRow("删除, with a space")
        << kDeleteOne << std::optional<QString>("469318 ") << all << QStringList{kWrongPassword};
    QTest::newRow("删除, right") << kDeleteOne << std::optional<QString>("469318") << QList<int>{2, 3}
                                 << QStringList{};
    QTest::newRow("全部删除, cancelled") << kDeleteAll << std::optional<QString>() << all << QStringList{};
    QTest::newRow("全部删除, empty") << kDeleteAll << std::optional<QString>("") << all
                                     << QStringList{kWrongPassword};
    QTest::newRow("全部删除, right") << kDeleteAll << std::optional<QString>("469318") << QList<int>{}
                                     << QStringList{};
}

void TestOverloadLogWindow::passwordGuardsDeletion() {
    QFETCH(QString, button);
    QFETCH(std::optional<QString>, password);
    QFETCH(QList<int>, remaining);
    QFETCH(QStringList, messages);
    LogRig rig(3);
    TF_gz window(rig.dir.path());
    rig.prompts.inputs << password;
    click(window, button);
    QCOMPARE(passwordPrompts(rig.prompts), 1);
    QCOMPARE(rig.prompts.messages(), messages);
    QCOMPARE(rig.storedNumbers(), remaining);
    QCOMPARE(grid(window)->rowCount(), remaining.size());
}

void TestOverloadLogWindow::deleteTakesTheCurrentRecord() {
    LogRig rig(3);
    TF_gz window(rig.dir.path());
    grid(window)->setCurrentCell(1, 0);
    rig.prompts.inputs << QString("469318");
    click(window, kDeleteOne);
    QCOMPARE(rig.storedNumbers(), (QList<int>{1, 3}));
    QCOMPARE(grid(window)->item(1, 0)->text(), QString("3"));
    // The record that moved into its place is current: a second delete takes it, not the first.
    rig.prompts.inputs << QString("469318");
    click(window, kDeleteOne);
    QCOMPARE(rig.storedNumbers(), QList<int>{1});
}

void TestOverloadLogWindow::afterDeleteAllThereIsNothingToDelete() {
    LogRig rig(2);
    TF_gz window(rig.dir.path());
    rig.prompts.inputs << QString("469318") << QString("469318");
    click(window, kDeleteAll);
    QCOMPARE(grid(window)->rowCount(), 0);
    click(window, kDeleteOne);
    QCOMPARE(rig.prompts.messages(), QStringList{kNoRecords});
    QCOMPARE(passwordPrompts(rig.prompts), 1);
}

void TestOverloadLogWindow::missingDatabaseOrTableIsSaidAndNothingBreaks_data() {
    QTest::addColumn<bool>("databaseExists");
    QTest::newRow("no scheme database") << false;
    QTest::newRow("no load_gz table") << true;
}

void TestOverloadLogWindow::missingDatabaseOrTableIsSaidAndNothingBreaks() {
    QFETCH(bool, databaseExists);
    TempAppDir dir;
    if (databaseExists) {
        Database db(schemeDatabasePath(dir.path()), Database::OpenMode::CreateIfMissing);
        QVERIFY(db.exec(QStringLiteral("CREATE TABLE report_name (name TEXT)")));
    }
    ScriptedPrompts prompts;
    setPrompts(&prompts);
    {
        TF_gz window(dir.path());
        QCOMPARE(prompts.messages().size(), 1);
        QVERIFY2(prompts.messages()[0].startsWith(kOverloadLogUnreadable), qPrintable(prompts.messages()[0]));
        QCOMPARE(grid(window)->rowCount(), 0);
        click(window, kDeleteAll);
        QCOMPARE(prompts.messages().last(), kNoRecords);
    }
    setPrompts(nullptr);
}

void TestOverloadLogWindow::operatorsPasswordBoxIsMasked() {
    WidgetPrompts widgetPrompts;
    QString title, label;
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    QString startText = "(not shown)";
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!box) return;
        title = box->windowTitle();
        label = box->labelText();
        echo = box->textEchoMode();
        startText = box->textValue();
        box->setTextValue("469318");
        box->accept();
    });
    const std::optional<QString> typed = widgetPrompts.password("Password", "Password:");
    QCOMPARE(title, QString("Password"));
    QCOMPARE(label, QString("Password:"));
    QCOMPARE(echo, QLineEdit::Password);
    QCOMPARE(startText, QString());
    QCOMPARE(typed, std::optional<QString>("469318"));
}

QTEST_MAIN(TestOverloadLogWindow)
#include "tst_overload_log_window.moc"
