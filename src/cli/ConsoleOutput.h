#pragma once

#include <QString>

namespace springtest {

// Terminal output of the command line: results on standard output, messages for the operator and usage
// errors on standard error.
void printOut(const QString& text);
void printErr(const QString& text);
// Prints the message and returns the exit code of a refused input (2) or of a failed operation (1).
int usageError(const QString& message);
int operatorError(const QString& message);

}  // namespace springtest
