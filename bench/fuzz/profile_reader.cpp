// Any bytes as a profile file (init0.dat, login.ini, simcard.ini, a scheme file): every number read from it
// is finite, and setting one key changes that key and no other.

#include "FuzzExpect.h"
#include "FuzzFolder.h"
#include "platform/ProfileFile.h"
#include "platform/TextEncoding.h"

#include <QFile>

#include <cmath>
#include <cstddef>
#include <cstdint>

using namespace springtest;
using springtest::fuzz::expect;

namespace {

void readEveryKey(const ProfileSnapshot& profile) {
    for (const QString& section : profile.sectionNames()) {
        for (const QString& key : profile.keys(section)) {
            expect(profile.value(section, key).has_value(), "every listed key has a value");
            expect(std::isfinite(profile.readDouble(section, key, 0.5)), "a double read is finite");
            expect(std::isfinite(profile.readFloat(section, key, 0.5f)), "a float read is finite");
            profile.readInt(section, key, 7);
            profile.readBool(section, key, false);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ProfileSnapshot before = ProfileSnapshot::fromBytes(bytes);
    readEveryKey(before);

    const QString path = fuzz::scratchFolder().filePath(QStringLiteral("init0.dat"));
    {
        QFile file(path);
        expect(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
               "the input can be laid down as a file");
    }
    const QString section = QStringLiteral("Load");
    const QString key = QStringLiteral("Gear1_AD_ZERO");
    QString error;
    expect(ProfileFile(path).writeString(section, key, QStringLiteral("-12345"), &error),
           "a key can be set in any readable file");
    QFile written(path);
    expect(written.open(QIODevice::ReadOnly), "the written file can be read");
    const QByteArray writtenBytes = written.readAll();
    const ProfileSnapshot after = ProfileSnapshot::fromBytes(writtenBytes);
    expect(after.readString(section, key, QString()) == QLatin1String("-12345"), "the set key reads back");

    // A file whose encoding is told from its bytes may read differently once a line of it has changed (the
    // only bytes that were not UTF-8 may be gone); the comparison holds where the encoding stayed.
    if (decodeText(writtenBytes).encoding != decodeText(bytes).encoding) return 0;
    for (const QString& s : before.sectionNames()) {
        for (const QString& k : before.keys(s)) {
            if (s.compare(section, Qt::CaseInsensitive) == 0 && k.compare(key, Qt::CaseInsensitive) == 0)
                continue;
            expect(after.value(s, k) == before.value(s, k), "every other key keeps its value");
        }
    }
    return 0;
}
