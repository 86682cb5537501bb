#include "platform/FileReplace.h"

#include "platform/OperatorTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace springtest {

namespace {

QString reasonOf(int errorNumber) {
    switch (errorNumber) {
        case ENOSPC:
        case EDQUOT:
            return QStringLiteral("磁盘空间不足");
        case EFBIG:
            return QStringLiteral("文件超出允许的大小");
        case EACCES:
        case EPERM:
            return QStringLiteral("没有写入权限");
        case EROFS:
            return QStringLiteral("磁盘为只读");
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("文件夹不存在");
        case EIO:
            return QStringLiteral("磁盘读写错误");
        default:
            return QString::fromLocal8Bit(std::strerror(errorNumber));
    }
}

// The file a write lands in: the target of a symbolic link, so that the link survives the replacement.
QString landingPath(const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink()) return path;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? info.symLinkTarget() : target;
}

// Creates a temporary file beside `target` that nobody else can have opened; its mode is the one the
// system gives a new file (the replaced file's mode is copied onto it later).
int createTemporary(const QByteArray& target, QByteArray& name) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = target + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Makes the rename itself durable. A folder that cannot be synced still holds one whole version of the
// file, so a failure here is not worth refusing a write that has otherwise succeeded.
void syncFolderOf(const QByteArray& file) {
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(file)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

QString writeFailureText(const QString& path, int errorNumber) {
    return kCannotWrite + QDir::toNativeSeparators(path) + QStringLiteral("：") + reasonOf(errorNumber);
}

bool replaceFileContents(const QString& path, const QByteArray& bytes, QString* error) {
    const QByteArray target = QFile::encodeName(landingPath(path));
    QByteArray temporary;
    int fd = createTemporary(target, temporary);
    int failure = fd < 0 ? errno : 0;
    if (fd >= 0) {
        struct stat existing {};
        if (::stat(target.constData(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
        // Every step's error counts: a buffered write that fails only when flushed, or a disk that reports
        // its lack of space at the sync, must not let an empty or short file replace the real one.
        if (!writeAll(fd, bytes) || ::fsync(fd) != 0) failure = errno;
        if (::close(fd) != 0 && failure == 0) failure = errno;
        if (failure == 0 && ::rename(temporary.constData(), target.constData()) != 0) failure = errno;
        if (failure != 0) ::unlink(temporary.constData());
    }
    if (failure != 0) {
        if (error) *error = writeFailureText(path, failure);
        return false;
    }
    syncFolderOf(target);
    return true;
}

}  // namespace springtest
