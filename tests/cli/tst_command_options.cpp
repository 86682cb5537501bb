// How a command reads its options: what a misspelt, repeated or missing option is told, and which numbers
// pass.

#include "cli/CommandOptions.h"

#include <QtTest>

using namespace springtest;

namespace {

const QStringList kValued{"batch", "speed", "series", "displacement"};
const QStringList kFlags{"json", "yes"};

}  // namespace

class TestCommandOptions : public QObject {
    Q_OBJECT
private slots:
    void readsTheCommandLine_data();
    void readsTheCommandLine();
    void numbers_data();
    void numbers();
};

void TestCommandOptions::readsTheCommandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");  // empty: accepted
    QTest::addColumn<QString>("batch");
    QTest::addColumn<bool>("json");

    QTest::newRow("values and switches") << QStringList{"--batch", "A1", "--json"} << ""
                                         << "A1" << true;
    QTest::newRow("nothing") << QStringList{} << ""
                             << "" << false;
    QTest::newRow("a negative number is a value")
        << QStringList{"--displacement", "-5", "--batch", "A1"} << ""
        << "A1" << false;
    QTest::newRow("a value may look like a foreign option") << QStringList{"--batch", "--other"} << ""
                                                            << "--other" << false;
    QTest::newRow("misspelt option") << QStringList{"--bath", "A1"} << "unknown option: --bath"
                                     << "" << false;
    QTest::newRow("word without option") << QStringList{"A1"} << "unexpected argument: A1"
                                         << "" << false;
    QTest::newRow("a switch takes no value") << QStringList{"--json", "yes"} << "unexpected argument: yes"
                                             << "" << false;
    QTest::newRow("value missing at the end") << QStringList{"--batch"} << "--batch needs a value"
                                              << "" << false;
    QTest::newRow("value missing before the next option")
        << QStringList{"--batch", "--speed", "10"} << "--batch needs a value"
        << "" << false;
    QTest::newRow("value missing before a switch")
        << QStringList{"--batch", "--json"} << "--batch needs a value"
        << "" << false;
    QTest::newRow("option given twice")
        << QStringList{"--speed", "10", "--speed", "20"} << "--speed is given twice"
        << "" << false;
    QTest::newRow("switch given twice") << QStringList{"--yes", "--yes"} << "--yes is given twice"
                                        << "" << false;
}

void TestCommandOptions::readsTheCommandLine() {
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    QFETCH(QString, batch);
    QFETCH(bool, json);
    const CommandOptions o(args, kValued, kFlags);
    QCOMPARE(o.error(), error);
    QCOMPARE(o.ok(), error.isEmpty());
    if (!o.ok()) return;
    QCOMPARE(o.text("batch"), batch);
    QCOMPARE(o.has("json"), json);
}

void TestCommandOptions::numbers_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("whole");  // integer() rather than number()
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<QVariant>("value");  // invalid: none
    QTest::addColumn<QString>("error");

    const QString speedRange = "--speed must be a number from 0.001 to 10000";
    QTest::newRow("absent") << QStringList{} << false << 0.001 << 10000.0 << QVariant() << "";
    QTest::newRow("decimal") << QStringList{"--speed", "2.5"} << false << 0.001 << 10000.0 << QVariant(2.5)
                             << "";
    QTest::newRow("at the upper end")
        << QStringList{"--speed", "10000"} << false << 0.001 << 10000.0 << QVariant(10000.0) << "";
    QTest::newRow("word") << QStringList{"--speed", "fast"} << false << 0.001 << 10000.0 << QVariant()
                          << speedRange;
    QTest::newRow("below the range") << QStringList{"--speed", "0"} << false << 0.001 << 10000.0 << QVariant()
                                     << speedRange;
    QTest::newRow("not a number") << QStringList{"--speed", "nan"} << false << 0.001 << 10000.0 << QVariant()
                                  << speedRange;
    QTest::newRow("infinite") << QStringList{"--speed", "inf"} << false << 0.001 << 10000.0 << QVariant()
                              << speedRange;
    QTest::newRow("whole number") << QStringList{"--series", "3"} << true << 1.0 << 10000.0 << QVariant(3)
                                  << "";
    QTest::newRow("fraction where a whole number is asked")
        << QStringList{"--series", "2.5"} << true << 1.0 << 10000.0 << QVariant()
        << "--series must be a whole number from 1 to 10000";
    QTest::newRow("negative where the range starts at 1")
        << QStringList{"--series", "-1"} << true << 1.0 << 10000.0 << QVariant()
        << "--series must be a whole number from 1 to 10000";
}

void TestCommandOptions::numbers() {
    QFETCH(QStringList, args);
    QFETCH(bool, whole);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(QVariant, value);
    QFETCH(QString, error);
    CommandOptions o(args, kValued, kFlags);
    QVERIFY(o.ok());
    const QString name = args.isEmpty() ? "speed" : args[0].mid(2);
    QVariant read;
    if (whole) {
        if (const auto v = o.integer(name, static_cast<int>(min), static_cast<int>(max))) read = *v;
    } else if (const auto v = o.number(name, min, max)) {
        read = *v;
    }
    QCOMPARE(read, value);
    QCOMPARE(o.error(), error);
}

QTEST_GUILESS_MAIN(TestCommandOptions)
#include "tst_command_options.moc"
