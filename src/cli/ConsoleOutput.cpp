#include "cli/ConsoleOutput.h"

#include <cstdio>

namespace springtest {

void printOut(const QString& text) {
    std::fprintf(stdout, "%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

void printErr(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

int usageError(const QString& message) {
    printErr(message);
    return 2;
}

int operatorError(const QString& message) {
    printErr(message);
    return 1;
}

}  // namespace springtest
