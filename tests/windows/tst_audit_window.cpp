// "审计记录": the trail newest first, filtered by key or section, and nothing in it can be changed.
#include "calibration/AuditTrail.h"
#include "storage/Schema.h"
#include "support/TempAppDir.h"
#include "windows/common/FindByName.h"
#include "windows/setup/TF_audit.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

AuditEntry entry(int minute, const char* who, const char* file, const char* section, const char* key,
                 const char* oldValue, const char* newValue) {
    return {QDateTime(QDate(2026, 3, 2), QTime(9, minute)),
            QString::fromUtf8(who),
            QString::fromUtf8(file),
            QString::fromUtf8(section),
            QString::fromUtf8(key),
            QString::fromUtf8(oldValue),
            QString::fromUtf8(newValue)};
}

// Three changes in the order they were made.
struct TrailRig {
    TempAppDir dir;
    TrailRig() {
        QVERIFY(createSchemeDatabase(schemeDatabasePath(dir.path())));
        QCOMPARE(appendAudit(schemeDatabasePath(dir.path()),
                             {entry(1, "李工", "init0.dat", "Load", "Gear1_Press_Coefficient1", "0.2500000",
                                    "0.2427190"),
                              entry(2, "admin", "init0.dat", "PID", "Load_I", "0", "2500"),
                              entry(3, "王", "init.ini", "load", "load_zero", "", "2100")}),
                 QString());
    }
};

QTableWidget* grid(TF_audit& w) {
    return findByName<QTableWidget>(&w, "AuditGrid");
}

QStringList shownKeys(TF_audit& w) {
    QStringList keys;
    for (int row = 0; row < grid(w)->rowCount(); ++row)
        if (!grid(w)->isRowHidden(row)) keys << grid(w)->item(row, 4)->text();
    return keys;
}

}  // namespace

class TestAuditWindow : public QObject {
    Q_OBJECT
private slots:
    void showsTheTrailNewestFirst();
    void filter_data();
    void filter();
    void nothingCanBeEdited();
    void aTrailThatCannotBeReadIsSaid();
};

void TestAuditWindow::showsTheTrailNewestFirst() {
    TrailRig rig;
    TF_audit w(rig.dir.path());
    QCOMPARE(w.windowTitle(), QString("审计记录"));
    QCOMPARE(grid(w)->columnCount(), 7);
    QStringList headers;
    for (int c = 0; c < 7; ++c) headers << grid(w)->horizontalHeaderItem(c)->text();
    QCOMPARE(headers, (QStringList{"时间", "操作员", "文件", "段", "参数", "原值", "新值"}));
    QCOMPARE(grid(w)->rowCount(), 3);
    QStringList first;
    for (int c = 0; c < 7; ++c) first << grid(w)->item(0, c)->text();
    QCOMPARE(first, (QStringList{"2026-03-02 09:03:00", "王", "init.ini", "load", "load_zero", "", "2100"}));
    QCOMPARE(shownKeys(w), (QStringList{"load_zero", "Load_I", "Gear1_Press_Coefficient1"}));
    QCOMPARE(findByName<QLabel>(&w, "StatusLabel")->text(), QString("共 3 条"));
}

void TestAuditWindow::filter_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("status");
    QTest::newRow("empty shows all") << "" << QStringList{"load_zero", "Load_I", "Gear1_Press_Coefficient1"}
                                     << "共 3 条";
    QTest::newRow("a key, another case")
        << "coefficient" << QStringList{"Gear1_Press_Coefficient1"} << "显示 1 条，共 3 条";
    QTest::newRow("a section") << "pid" << QStringList{"Load_I"} << "显示 1 条，共 3 条";
    // "load" is the section of two and in the key of a third.
    QTest::newRow("section or key") << " LOAD "
                                    << QStringList{"load_zero", "Load_I", "Gear1_Press_Coefficient1"}
                                    << "共 3 条";
    QTest::newRow("the operator is not filtered on") << "李工" << QStringList{} << "显示 0 条，共 3 条";
}

void TestAuditWindow::filter() {
    QFETCH(QString, text);
    QFETCH(QStringList, keys);
    QFETCH(QString, status);
    TrailRig rig;
    TF_audit w(rig.dir.path());
    findByName<QLineEdit>(&w, "FilterEdit")->setText("zero");  // a filter before: the new one replaces it
    findByName<QLineEdit>(&w, "FilterEdit")->setText(text);
    QCOMPARE(shownKeys(w), keys);
    QCOMPARE(w.shownRows(), keys.size());
    QCOMPARE(findByName<QLabel>(&w, "StatusLabel")->text(), status);
}

void TestAuditWindow::nothingCanBeEdited() {
    TrailRig rig;
    {
        TF_audit w(rig.dir.path());
        QCOMPARE(grid(w)->editTriggers(), QAbstractItemView::NoEditTriggers);
        for (int row = 0; row < grid(w)->rowCount(); ++row)
            for (int c = 0; c < grid(w)->columnCount(); ++c)
                QVERIFY(!(grid(w)->item(row, c)->flags() & Qt::ItemIsEditable));
        // Even a cell changed behind the window's back goes nowhere: the trail is as it was.
        grid(w)->item(0, 6)->setText("9999");
    }
    const auto trail = readAudit(schemeDatabasePath(rig.dir.path()));
    QVERIFY(trail && trail->size() == 3);
    QCOMPARE(trail->last().newValue, QString("2100"));
}

void TestAuditWindow::aTrailThatCannotBeReadIsSaid() {
    TempAppDir dir;  // no scheme database
    TF_audit w(dir.path());
    QCOMPARE(grid(w)->rowCount(), 0);
    const QString said = findByName<QLabel>(&w, "StatusLabel")->text();
    QVERIFY2(said.startsWith("审计记录无法读取：") && said.contains(kSchemeDatabaseFile), qPrintable(said));
    QVERIFY(!findByName<QLineEdit>(&w, "FilterEdit")->isEnabled());
}

QTEST_MAIN(TestAuditWindow)
#include "tst_audit_window.moc"
