// Which batch a command's --batch names: the batch `batch new` made under that number, whatever the machine
// type, and the file an operator points at.

#include "cli/BatchArgument.h"
#include "cli/CallerFolder.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

class TestBatchArgument : public QObject {
    Q_OBJECT
private slots:
    void namesOneBatch_data();
    void namesOneBatch();
};

void TestBatchArgument::namesOneBatch_data() {
    QTest::addColumn<int>("machineType");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("callerFile");  // a file in the caller's folder, when not empty
    QTest::addColumn<QString>("batch");       // "app:" or "caller:" and the path below it
    QTest::addColumn<QString>("error");

    for (int type : {0, 1, 2, 4, 6, 7})
        QTest::addRow("type %d, a number", type) << type << "A1"
                                                 << ""
                                                 << "app:database/A1.mdb"
                                                 << "";
    QTest::newRow("type 3, a number") << 3 << "A1"
                                      << ""
                                      << "app:databaseGBTH/A1.mdb"
                                      << "";
    QTest::newRow("type 5, a number") << 5 << "A1"
                                      << ""
                                      << "app:database_HXGD/A1.mdb"
                                      << "";
    QTest::newRow("a number with its extension") << 1 << "A1.mdb"
                                                 << ""
                                                 << "app:database/A1.mdb"
                                                 << "";
    QTest::newRow("upper-case extension") << 0 << "A1.MDB"
                                          << ""
                                          << "app:database/A1.mdb"
                                          << "";
    QTest::newRow("a file where the caller stands") << 0 << "A1.mdb"
                                                    << "A1.mdb"
                                                    << "caller:A1.mdb"
                                                    << "";
    QTest::newRow("a path") << 0 << "./A1.mdb"
                            << ""
                            << "caller:A1.mdb"
                            << "";
    QTest::newRow("a number no file may have") << 0 << "CON"
                                               << ""
                                               << ""
                                               << "批次号不能包含路径或非法字符!!";
    QTest::newRow("only the extension") << 0 << ".mdb"
                                        << ""
                                        << ""
                                        << "批次号不能为空!!";
}

void TestBatchArgument::namesOneBatch() {
    QFETCH(int, machineType);
    QFETCH(QString, argument);
    QFETCH(QString, callerFile);
    QFETCH(QString, batch);
    QFETCH(QString, error);
    TempAppDir app;
    TempAppDir caller;
    rememberCallerFolder(caller.path());
    if (!callerFile.isEmpty()) caller.write(callerFile, "batch");

    QString refusal;
    const QString resolved = resolveBatch(app.path(), machineType, argument, refusal);
    QCOMPARE(refusal, error);
    if (batch.startsWith("app:")) QCOMPARE(resolved, app.file(batch.mid(4)));
    if (batch.startsWith("caller:")) QCOMPARE(resolved, caller.file(batch.mid(7)));
    if (batch.isEmpty()) QVERIFY(resolved.isEmpty());
}

QTEST_GUILESS_MAIN(TestBatchArgument)
#include "tst_batch_argument.moc"
