#include "storage/BatchHold.h"

#include "platform/OperatorTexts.h"
#include "storage/Database.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cerrno>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace springtest {

namespace {

// The lock lives on a file of its own, never on the batch: closing any descriptor of a file drops every
// lock SQLite's connections of this process keep on it, and this program opens and closes the batch all the
// time.
QByteArray lockFileName(const QString& batchPath) {
    return QFile::encodeName(batchPath + QStringLiteral("-lock"));
}

QString systemError(const QByteArray& file, int errorNumber) {
    return QFile::decodeName(file) + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(errorNumber));
}

// The holds of this process, by file. Taking, releasing and probing run under its lock, so a probe never
// sees a hold of this process as someone else's while it is being taken.
struct Holds {
    std::mutex mutex;
    QHash<QString, int> count;
};

Holds& holds() {
    static Holds h;
    return h;
}

// An open-file-description lock (Linux) belongs to the descriptor, not to the process: closing another
// descriptor of the file keeps it, and two descriptors of one process exclude each other like two processes.
// Elsewhere flock() behaves the same way.
bool lockExclusive(int fd) {
#if defined(F_OFD_SETLK)
    struct flock request {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &request) == 0;
#else
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
#endif
}

bool lockedBySomeone(int fd) {
#if defined(F_OFD_GETLK)
    struct flock request {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_GETLK, &request) != 0) return false;
    return request.l_type != F_UNLCK;
#else
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) return errno == EWOULDBLOCK;
    ::flock(fd, LOCK_UN);
    return false;
#endif
}

bool isLockBusy(int errorNumber) {
    return errorNumber == EAGAIN || errorNumber == EACCES || errorNumber == EWOULDBLOCK;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

BatchHold::BatchHold(const QString& batchPath, const QString& key, int fd)
    : m_batchPath(batchPath), m_key(key), m_fd(fd) {}

BatchHold::Outcome BatchHold::take(const QString& batchPath) {
    Outcome outcome;
    const QByteArray lockFile = lockFileName(batchPath);
    const QString key = fileKey(batchPath);
    Holds& h = holds();
    const std::lock_guard lock(h.mutex);
    // A holder that ends removes the lock file while it still holds it; whoever locked the file in that
    // moment holds a file that is gone, and tries again on the new one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = ::open(lockFile.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            outcome.error = systemError(lockFile, errno);
            return outcome;
        }
        if (!lockExclusive(fd)) {
            const int failure = errno;
            ::close(fd);
            if (isLockBusy(failure)) {
                outcome.inUse = true;
            } else {
                outcome.error = systemError(lockFile, failure);
            }
            return outcome;
        }
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) == 0 && ::stat(lockFile.constData(), &named) == 0 &&
            sameFile(locked, named)) {
            ++h.count[key];
            outcome.hold.reset(new BatchHold(batchPath, key, fd));
            return outcome;
        }
        ::close(fd);
    }
    outcome.inUse = true;
    return outcome;
}

BatchHold::~BatchHold() {
    Holds& h = holds();
    const std::lock_guard lock(h.mutex);
    ::unlink(lockFileName(m_batchPath).constData());
    ::close(m_fd);
    if (--h.count[m_key] <= 0) h.count.remove(m_key);
}

bool BatchHold::isFor(const QString& batchPath) const {
    return fileKey(batchPath) == m_key;
}

BatchHoldState batchHoldState(const QString& batchPath) {
    Holds& h = holds();
    const std::lock_guard lock(h.mutex);
    if (h.count.value(fileKey(batchPath)) > 0) return BatchHoldState::HeldHere;
    const int fd = ::open(lockFileName(batchPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return BatchHoldState::Free;
    const bool held = lockedBySomeone(fd);
    ::close(fd);
    return held ? BatchHoldState::HeldElsewhere : BatchHoldState::Free;
}

TestingHold holdBatchForTesting(const QString& batchPath, const std::shared_ptr<const BatchHold>& current) {
    if (current && current->isFor(batchPath)) return {current, {}};
    if (IsFileInUse(batchPath)) return {nullptr, kFileInUse};
    BatchHold::Outcome taken = BatchHold::take(batchPath);
    if (taken.hold) return {std::move(taken.hold), {}};
    if (taken.inUse) return {nullptr, kFileInUse};
    return {nullptr, kReadingFileFailed + QLatin1Char(' ') + taken.error};
}

}  // namespace springtest
