// Another program at work on a batch, for the tests that need a second process.
//   batchpeer hold FILE      holds the batch for testing; "held" once it does; lets go at a line on stdin
//   batchpeer store FILE N   stores N tests of two strokes each, each numbered inside its transaction;
//   "stored"
// Exit code 0 when it did all it was asked, 1 otherwise (the reason on stderr).
#include <QCoreApplication>
#include <cstdio>

#include "NumberedStores.h"
#include "storage/BatchHold.h"

using namespace springtest;

namespace {

int fail(const QString& why) {
    std::fprintf(stderr, "%s\n", qPrintable(why));
    return 1;
}

int hold(const QString& file) {
    const BatchHold::Outcome taken = BatchHold::take(file);
    if (!taken.hold) return fail(taken.inUse ? QStringLiteral("in use") : taken.error);
    std::printf("held\n");
    std::fflush(stdout);
    char line[16];
    return std::fgets(line, sizeof line, stdin) ? 0 : 1;
}

int store(const QString& file, int tests) {
    const QString error = testing::storeNumberedTests(file, tests);
    if (!error.isEmpty()) return fail(error);
    std::printf("stored\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("hold")) return hold(args[2]);
    if (args.size() == 4 && args[1] == QLatin1String("store")) return store(args[2], args[3].toInt());
    return 2;
}
