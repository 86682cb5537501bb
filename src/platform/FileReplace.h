#pragma once

#include <QByteArray>
#include <QString>

namespace springtest {

// Replaces the whole contents of the file at `path` by `bytes`. The file is at every moment, and after a
// power cut or a kill, either whole as it was or whole as written: the bytes go to a temporary file beside
// it, which takes the file's place only once every byte is known to be on the disk. On failure the file is
// left as it was, no temporary file remains, and `error` holds the operator's message ("无法写入" + path
// and the reason). A symbolic link is followed: the file it names is replaced, the link stays.
bool replaceFileContents(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// "无法写入" + the path and, in the operator's words, why (`errorNumber` is the system's errno).
QString writeFailureText(const QString& path, int errorNumber);

}  // namespace springtest
