// Replays a kept corpus through a fuzz target without the fuzzer: every file of the folders (or the files)
// given, in name order. A crash or a violated property ends the run; an empty corpus is an error too, so
// that a corpus that went missing does not pass unnoticed.

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    QStringList inputs;
    for (int i = 1; i < argc; ++i) {
        const QString given = QFile::decodeName(argv[i]);
        if (QFileInfo(given).isDir()) {
            const QDir folder(given);
            for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name))
                inputs << folder.filePath(name);
        } else {
            inputs << given;
        }
    }
    if (inputs.isEmpty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    for (const QString& input : inputs) {
        QFile file(input);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(input));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                               static_cast<size_t>(bytes.size()));
    }
    std::printf("%lld inputs replayed\n", static_cast<long long>(inputs.size()));
    return 0;
}
