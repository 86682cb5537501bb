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
// A message about a file, followed by the file, since "文件不存在!!" alone does not say which one; as it is
// when it names the file already.
QString namingFile(const QString& message, const QString& path);

}  // namespace springtest
