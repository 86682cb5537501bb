#include "platform/ProfileFile.h"
#include "platform/TextEncoding.h"
#include "support/SmallDisk.h"
#include "support/TempAppDir.h"

#include <QtTest>

#include <functional>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace springtest;
using springtest::testing::SmallDisk;
using springtest::testing::TempAppDir;

namespace {

// Runs `work` as a user without privileges, so that file permissions apply to it (they do not to root):
// in a child process when the test runs as root. True when `work` returned true.
bool asUnprivilegedUser(const std::function<bool()>& work) {
    if (::geteuid() != 0) return work();
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        const gid_t nobodyGroup = 65534;
        const uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobodyGroup) != 0 || ::setuid(nobody) != 0) ::_exit(2);
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t permissionBits(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

const QByteArray kCalibration =
    "[system]\r\nMachineType=0\r\n\r\n[Load]\r\nMax_Range=2000\r\nGear1_AD_ZERO=12\r\n"
    "Gear1_Press_Coefficient1=0.0512340\r\nGear1_Press_Clibration_value1=1000.00\r\n";

}  // namespace

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
    void fullDiskLeavesFileWhole_data();
    void fullDiskLeavesFileWhole();
    void unreadableFileIsNotReplaced();
    void severalSettingsAcrossSections();
    void replacementKeepsLinkAndPermissions();
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
    QTest::addColumn<float>("asFloat");
    QTest::newRow("integer") << "42" << 42 << 42.0 << 42.0f;
    QTest::newRow("negative") << "-500" << -500 << -500.0 << -500.0f;
    QTest::newRow("float") << "1.03" << 1 << 1.03 << 1.03f;
    QTest::newRow("word") << "abc" << 7 << 7.5 << 7.5f;
    QTest::newRow("empty") << "" << 7 << 7.5 << 7.5f;
    QTest::newRow("trailing junk") << "12abc" << 12 << 7.5 << 7.5f;
    QTest::newRow("too large") << "99999999999" << 7 << 99999999999.0 << 99999999999.0f;
    QTest::newRow("blanks around") << " 12 " << 12 << 12.0 << 12.0f;
    // Not a finite number: no number, whatever the text-to-number routine makes of it.
    QTest::newRow("nan") << "nan" << 7 << 7.5 << 7.5f;
    QTest::newRow("NaN") << "NaN" << 7 << 7.5 << 7.5f;
    QTest::newRow("inf") << "inf" << 7 << 7.5 << 7.5f;
    QTest::newRow("-inf") << "-inf" << 7 << 7.5 << 7.5f;
    QTest::newRow("beyond double") << "1e400" << 1 << 7.5 << 7.5f;
    // Finite as a double, but beyond what a value kept in single precision can hold.
    QTest::newRow("1e39") << "1e39" << 1 << 1e39 << 7.5f;
    QTest::newRow("1e308") << "1e308" << 1 << 1e308 << 7.5f;
    QTest::newRow("-1e39") << "-1e39" << -1 << -1e39 << 7.5f;
}

void TestProfileFile::numbersFallBackToDefault() {
    QFETCH(QString, text);
    QFETCH(int, asInt);
    QFETCH(double, asDouble);
    QFETCH(float, asFloat);
    TempAppDir dir;
    dir.write("a.ini", ("[s]\nv=" + text + "\n").toUtf8());
    ProfileFile ini(dir.file("a.ini"));
    QCOMPARE(ini.readInt("s", "v", 7), asInt);
    QCOMPARE(ini.readDouble("s", "v", 7.5), asDouble);
    QCOMPARE(ini.readFloat("s", "v", 7.5f), asFloat);
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

void TestProfileFile::fullDiskLeavesFileWhole_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::newRow("calibration file") << kCalibration;
    QTest::newRow("no file yet") << QByteArray();
}

void TestProfileFile::fullDiskLeavesFileWhole() {
    QFETCH(QByteArray, before);
    SmallDisk disk;
    if (!disk.unavailable().isEmpty()) QSKIP(qPrintable("no small disk to fill: " + disk.unavailable()));
    const QString path = disk.file("init0.dat");
    if (!before.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(before), before.size());
    }
    QVERIFY(disk.fill());

    QString error;
    QVERIFY(!ProfileFile(path).writeString("Load", "Gear1_AD_ZERO", "345", &error));
    QCOMPARE(error, "无法写入" + QDir::toNativeSeparators(path) + "：磁盘空间不足");
    QCOMPARE(QFile::exists(path), !before.isEmpty());
    if (!before.isEmpty()) QCOMPARE(contentsOf(path), before);
    QStringList expected{"filler"};
    if (!before.isEmpty()) expected.append("init0.dat");
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

void TestProfileFile::unreadableFileIsNotReplaced() {
    TempAppDir dir;
    // The folder stays open to everyone: only the file itself is closed to reading.
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                  QFileDevice::WriteOther | QFileDevice::ExeOther));
    dir.write("init0.dat", kCalibration);
    QVERIFY(QFile::setPermissions(dir.file("init0.dat"), QFileDevice::WriteOwner | QFileDevice::WriteOther));
    const QString path = dir.file("init0.dat");
    const bool written = asUnprivilegedUser([&] {
        QString error;
        return !ProfileFile(path).writeString("Load", "Gear1_AD_ZERO", "345", &error) &&
               error == "无法写入" + QDir::toNativeSeparators(path) + "：无法读取原有内容";
    });
    QVERIFY(written);
    QCOMPARE(dir.read("init0.dat"), kCalibration);
}

void TestProfileFile::severalSettingsAcrossSections() {
    TempAppDir dir;
    dir.write("a.ini", "[Displacement]\npress_save_pulse=0\n");
    QVERIFY(ProfileFile(dir.file("a.ini"))
                .writeSettings({{"Displacement", "press_save_pulse", "4000"},
                                {"Displacement", "press_SAVE_VALUE", "1.000"},
                                {"close", "close_flag", "1"}}));
    QCOMPARE(dir.read("a.ini"),
             QByteArray(
                 "[Displacement]\npress_save_pulse=4000\npress_SAVE_VALUE=1.000\n\n[close]\nclose_flag=1\n"));
}

void TestProfileFile::replacementKeepsLinkAndPermissions() {
    TempAppDir dir;
    dir.write("login.ini", "[users]\nadmin=salt:digest\n");
    QVERIFY(QFile::setPermissions(dir.file("login.ini"), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QVERIFY(QFile::link(dir.file("login.ini"), dir.file("link.ini")));
    QVERIFY(ProfileFile(dir.file("link.ini")).writeString("users", "qa", "salt2:digest2"));
    QVERIFY(QFileInfo(dir.file("link.ini")).isSymLink());
    QCOMPARE(dir.read("login.ini"), QByteArray("[users]\nadmin=salt:digest\nqa=salt2:digest2\n"));
    QCOMPARE(permissionBits(dir.file("login.ini")), mode_t(0600));
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
