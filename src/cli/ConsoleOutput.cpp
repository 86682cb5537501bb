#include "cli/ConsoleOutput.h"

#include <QDir>

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

QString namingFile(const QString& message, const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    if (message.contains(shown)) return message;
    return message + QLatin1Char(' ') + shown;
}

}  // namespace springtest
