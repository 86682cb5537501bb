#include "platform/ProfileFile.h"
#include "platform/TextEncoding.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

class TestProfileFile : public QObject {
    Q_OBJECT
private slots:
    void readsWithoutRegardToCase_data();
    void readsWithoutRegardToCase();
    void numbersFallBackToDefault_data();
    void numbersFallBackToDefault();
    void missingFileGivesDefaults();
    void writeReplacesKeepsRestAndCase();
    void writeAddsKeyAndSection();
    void writeCreatesUtf8File();
    void gb18030FileKeepsItsEncoding();
    void failedWriteLeavesFileAsItWas();
};

void TestProfileFile::readsWithoutRegardToCase_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("exact") << "Load"
                           << "Max_Range"
                           << "2000";
    QTest::newRow("upper section") << "LOAD"
                                   << "Max_Range"
                                   << "2000";
    QTest::newRow("lower both") << "load"
                                << "max_range"
                                << "2000";
    QTest::newRow("second section") << "DISPLACEMENT"
                                    << "coefficient"
                                    << "0.0005";
    QTest::newRow("spaces around value") << "Load"
                                         << "Name"
                                         << "负荷";
    QTest::newRow("missing key") << "Load"
                                 << "Nothing"
                                 << "default";
    QTest::newRow("key of other section") << "Load"
                                          << "coefficient"
                                          << "default";
}

void TestProfileFile::readsWithoutRegardToCase() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TempAppDir dir;
    dir.write("a.ini",
              "; comment\r\n[Load]\r\nMax_Range=2000\r\nName =  负荷  "
              "\r\n\r\n[Displacement]\r\ncoefficient=0.0005\r\n");
    ProfileFile ini(dir.file("a.ini"));
    QCOMPARE(ini.readString(section, key, "default"), expected);
}

void TestProfileFile::numbersFallBackToDefault_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("asInt");
    QTest::addColumn<double>("asDouble");
    QTest::newRow("integer") << "42" << 42 << 42.0;
    QTest::newRow("negative") << "-500" << -500 << -500.0;
    QTest::newRow("float") << "1.03" << 1 << 1.03;
    QTest::newRow("word") << "abc" << 7 << 7.5;
    QTest::newRow("empty") << "" << 7 << 7.5;
    QTest::newRow("trailing junk") << "12abc" << 12 << 7.5;
    QTest::newRow("too large") << "99999999999" << 7 << 99999999999.0;
}

void TestProfileFile::numbersFallBackToDefault() {
    QFETCH(QString, text);
    QFETCH(int, asInt);
    QFETCH(double, asDouble);
    TempAppDir dir;
    dir.write("a.ini", ("[s]\nv=" + text + "\n").toUtf8());
    ProfileFile ini(dir.file("a.ini"));
    QCOMPARE(ini.readInt("s", "v", 7), asInt);
    QCOMPARE(ini.readDouble("s", "v", 7.5), asDouble);
}

void TestProfileFile::missingFileGivesDefaults() {
    TempAppDir dir;
    ProfileFile ini(dir.file("none.ini"));
    QCOMPARE(ini.readInt("Load", "Gear_Total", 1), 1);
    QCOMPARE(ini.readBool("Load", "auto_gear", false), false);
    QCOMPARE(ini.readString("system", "LoadNo", QString()), QString());
}

void TestProfileFile::writeReplacesKeepsRestAndCase() {
    TempAppDir dir;
    dir.write("a.ini", "; keep me\r\n[Load]\r\nGEAR2_AD_ZERO=5\r\nOther=1\r\n[close]\r\nclose_flag=0\r\n");
    ProfileFile ini(dir.file("a.ini"));
    QVERIFY(ini.writeString("load", "Gear2_AD_ZERO", "123"));
    QCOMPARE(
        dir.read("a.ini"),
        QByteArray("; keep me\r\n[Load]\r\nGEAR2_AD_ZERO=123\r\nOther=1\r\n[close]\r\nclose_flag=0\r\n"));
    QCOMPARE(ini.readInt("Load", "gear2_ad_zero", 0), 123);
}

void TestProfileFile::writeAddsKeyAndSection() {
    TempAppDir dir;
    dir.write("a.ini", "[Load]\nA=1\n\n[Motor]\nB=2\n");
    ProfileFile ini(dir.file("a.ini"));
    QVERIFY(ini.writeString("LOAD", "C", "3"));
    QVERIFY(ini.writeInt("close", "close_flag", 1));
    QCOMPARE(dir.read("a.ini"), QByteArray("[Load]\nA=1\nC=3\n\n[Motor]\nB=2\n\n[close]\nclose_flag=1\n"));
}

void TestProfileFile::writeCreatesUtf8File() {
    TempAppDir dir;
    ProfileFile ini(dir.file("new.ini"));
    QVERIFY(ini.writeString("Load", "Name", "负荷"));
    QCOMPARE(dir.read("new.ini"), QString("[Load]\nName=负荷\n").toUtf8());
}

void TestProfileFile::gb18030FileKeepsItsEncoding() {
    TempAppDir dir;
    const QByteArray gb =
        encodeText("[system]\r\nMachineName=微机控制弹簧拉压测试系统\r\n", TextEncoding::Gb18030);
    QVERIFY(gb != QString("微").toUtf8());
    dir.write("init0.dat", gb);
    ProfileFile ini(dir.file("init0.dat"));
    QCOMPARE(ini.readString("SYSTEM", "machinename", ""), QString("微机控制弹簧拉压测试系统"));
    QVERIFY(ini.writeString("Load", "Name", "负荷"));
    const QByteArray bytes = dir.read("init0.dat");
    QCOMPARE(decodeText(bytes).encoding, TextEncoding::Gb18030);
    QCOMPARE(bytes,
             encodeText("[system]\r\nMachineName=微机控制弹簧拉压测试系统\r\n\r\n[Load]\r\nName=负荷\r\n",
                        TextEncoding::Gb18030));
}

void TestProfileFile::failedWriteLeavesFileAsItWas() {
    TempAppDir dir;
    ProfileFile ini(dir.file("no-such-folder/a.ini"));
    QVERIFY(!ini.writeString("Load", "A", "1"));
    QVERIFY(!QFile::exists(dir.file("no-such-folder/a.ini")));
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
