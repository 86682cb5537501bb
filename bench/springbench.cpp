// Benchmarks of the spring testing software on the simulated machine. Each prints `name: value unit` lines.
//   springbench [acquisition] [--seconds S]

#include "app/ApplicationFolder.h"
#include "app/MachineSession.h"
#include "measurement/Tbankhk.h"
#include "platform/ProfileFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>
#include <map>

using namespace springtest;

namespace {

struct NoQuestions : StartupPrompts {
    void driverMissing(const QString& m) override { std::fprintf(stderr, "%s\n", m.toLocal8Bit().constData()); }
    bool continueWithUnopenedCard(const QString& m) override {
        std::fprintf(stderr, "%s\n", m.toLocal8Bit().constData());
        return false;
    }
};

void report(const char* name, double value, const char* unit) { std::printf("%s: %.2f %s\n", name, value, unit); }

// Readings per second per card and the acquisition thread's CPU share, with `cards` cards on the simulated
// machine at its default conversion rate, for `seconds` of steady running.
bool benchAcquisition(int cards, double seconds) {
    QTemporaryDir dir;
    if (!initialiseApplicationFolder(dir.path()).error.isEmpty()) return false;
    ProfileFile(QDir(dir.path()).filePath("init0.dat")).writeInt("system", "CardSum", cards);
    QDir::setCurrent(dir.path());

    MachineSession session(dir.path());
    NoQuestions prompts;
    if (session.start(prompts) != MachineSession::Outcome::Running) return false;
    session.startAcquisition(nullptr);
    Tbankhk& loop = *session.acquisition();
    QThread::msleep(300);  // warm-up

    const uint64_t cycles0 = loop.cycles();
    const double cpu0 = loop.threadCpuSeconds();
    loop.resetCycleGap();
    QElapsedTimer wall;
    wall.start();
    QThread::msleep(static_cast<unsigned long>(seconds * 1000));
    const double elapsed = wall.nsecsElapsed() / 1e9;
    const uint64_t cycles = loop.cycles() - cycles0;
    const double cpu = loop.threadCpuSeconds() - cpu0;
    const double gap_ms = loop.longestCycleGapUs() / 1000.0;
    session.shutdown();
    QDir::setCurrent(QDir::tempPath());

    const QByteArray prefix = "acquisition." + QByteArray::number(cards) + "_card" + (cards > 1 ? "s" : "");
    report((prefix + ".readings_per_card").constData(), cycles / elapsed, "readings/s");
    report((prefix + ".thread_cpu").constData(), 100.0 * cpu / elapsed, "% of one core");
    report((prefix + ".longest_cycle_gap").constData(), gap_ms, "ms");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    double seconds = 3.0;
    const qsizetype s = args.indexOf(QStringLiteral("--seconds"));
    if (s >= 0 && s + 1 < args.size()) {
        seconds = args[s + 1].toDouble();
        args.remove(s, 2);
    }
    const std::map<QString, std::function<bool()>> benches = {
        {QStringLiteral("acquisition"), [&] { return benchAcquisition(1, seconds) && benchAcquisition(5, seconds); }},
    };
    if (args.isEmpty()) {
        for (const auto& [name, run] : benches)
            if (!run()) return 1;
        return 0;
    }
    for (const QString& name : args) {
        const auto it = benches.find(name);
        if (it == benches.end()) {
            std::fprintf(stderr, "unknown benchmark: %s\n", name.toLocal8Bit().constData());
            return 2;
        }
        if (!it->second()) return 1;
    }
    return 0;
}
