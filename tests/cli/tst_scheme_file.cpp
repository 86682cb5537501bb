// Reading a scheme file for `scheme add --file`: comments where operators write them, and every line that is
// not understood named rather than skipped.

#include "cli/SchemeFile.h"

#include <QtTest>

using namespace springtest;

class TestSchemeFile : public QObject {
    Q_OBJECT
private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void keysLeftOutKeepTheirValues();
};

void TestSchemeFile::accepted_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QStringList>("points");
    QTest::addColumn<bool>("returnStroke");

    QTest::newRow("comments after values") << "[scheme]\n"
                                              "name = S1\n"
                                              "style = 2            ; 负荷-位移\n"
                                              "points = 50, 45, 40  # three points\n"
                                              "return = 1           ; measure the return stroke\n"
                                           << "S1"
                                           << "2" << QStringList{"50", "45", "40"} << true;
    QTest::newRow("comment lines, blank lines, CRLF")
        << "; made by the lab\r\n# second comment\r\n\r\n[scheme]\r\n; a = b\r\nname=S2\r\npoints=5\r\n"
        << "S2"
        << "0" << QStringList{"5"} << false;
    QTest::newRow("comment after the section") << "[scheme] ; the only one\nname = S3\n"
                                               << "S3"
                                               << "0" << QStringList{} << false;
    QTest::newRow("a mark inside a word is no comment") << "[scheme]\nname = A#1;B\n"
                                                        << "A#1;B"
                                                        << "0" << QStringList{} << false;
    QTest::newRow("a quoted value keeps its comment marks") << "[scheme]\nname = \"A ; B # C\"  ; note\n"
                                                            << "A ; B # C"
                                                            << "0" << QStringList{} << false;
    QTest::newRow("keys and section without regard to case") << "[Scheme]\nNAME = S4\nReturn = yes\n"
                                                             << "S4"
                                                             << "0" << QStringList{} << true;
}

void TestSchemeFile::accepted() {
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, style);
    QFETCH(QStringList, points);
    QFETCH(bool, returnStroke);
    SchemeInput in;
    QString error;
    QVERIFY2(readSchemeFile(text, in, error), qPrintable(error));
    QCOMPARE(in.name, name);
    QCOMPARE(in.style, style);
    QCOMPARE(in.points, points);
    QCOMPARE(in.returnStroke, returnStroke);
}

void TestSchemeFile::refused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");

    QTest::newRow("unknown key")
        << "[scheme]\nname = S\nstifness_max = 11\n"
        << "line 3: unknown key 'stifness_max' (the keys are name, style, points, upper, "
           "lower, initial_force, stiffness_max, stiffness_min, return, solid, tension, kind)";
    QTest::newRow("option spelling instead of key")
        << "[scheme]\ninitial-force = 1\n"
        << "line 2: unknown key 'initial-force' (the keys are name, style, points, upper, lower, "
           "initial_force, "
           "stiffness_max, stiffness_min, return, solid, tension, kind)";
    QTest::newRow("key given twice") << "[scheme]\nname = A\nNAME = B\n"
                                     << "line 3: 'name' is given twice";
    QTest::newRow("switch that is no switch") << "[scheme]\nsolid = maybe\n"
                                              << "line 2: solid must be 1 or 0, not 'maybe'";
    QTest::newRow("another section")
        << "[scheme]\nname = A\n[limits]\n"
        << "line 3: unknown section [limits]; a scheme file has one [scheme] section";
    QTest::newRow("two scheme sections") << "[scheme]\nname = A\n[scheme]\n"
                                         << "line 3: a second [scheme] section";
    QTest::newRow("key before the section") << "name = A\n[scheme]\n"
                                            << "line 1: \"name = A\" comes before the [scheme] section";
    QTest::newRow("line without =") << "[scheme]\nname A\n"
                                    << "line 2: not a \"key = value\" line: name A";
    QTest::newRow("= only inside a comment") << "[scheme]\nname ; = A\n"
                                             << "line 2: not a \"key = value\" line: name";
    QTest::newRow("quote left open") << "[scheme]\nname = \"A ; B\n"
                                     << "line 2: the quoted value of 'name' does not end in a quote";
    QTest::newRow("words after a quoted value")
        << "[scheme]\nname = \"A\" B\n"
        << "line 2: the quoted value of 'name' does not end in a quote";
    QTest::newRow("no section at all") << "; nothing but a comment\n"
                                       << "no [scheme] section";
}

void TestSchemeFile::refused() {
    QFETCH(QString, text);
    QFETCH(QString, error);
    SchemeInput in;
    QString message;
    QVERIFY(!readSchemeFile(text, in, message));
    QCOMPARE(message, error);
}

void TestSchemeFile::keysLeftOutKeepTheirValues() {
    SchemeInput in;
    in.initialForce = "0.5";
    in.stiffnessMax = "0";
    QString error;
    QVERIFY(readSchemeFile("[scheme]\nname = S\nstiffness_max = 11 ; N/mm\n", in, error));
    QCOMPARE(in.initialForce, QString("0.5"));
    QCOMPARE(in.stiffnessMax, QString("11"));
}

QTEST_GUILESS_MAIN(TestSchemeFile)
#include "tst_scheme_file.moc"
