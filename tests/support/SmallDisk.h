#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace springtest::testing {

// A disk of a few kilobytes that really runs full. A child process mounts a tmpfs over a fresh folder in a
// mount namespace of its own, so nothing else on the machine sees it, and keeps it while this object
// lives; the test reaches it through the child's root, /proc/<child>/root. Writes to it fail with "no
// space left on device" once `fill()` has taken the room that was left.
//
// (The test process itself cannot take a mount namespace of its own: the test library runs a watchdog
// thread, and a namespace is only given to a process with one thread.) Mounting needs root or
// unprivileged user namespaces; `unavailable()` tells why the disk could not be had.
class SmallDisk {
public:
    explicit SmallDisk(int size_kb = 64) {
        if (!m_folder.isValid()) {
            m_unavailable = QStringLiteral("no temporary folder");
            return;
        }
        int ready[2], release[2];
        if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(release, O_CLOEXEC) != 0) {
            m_unavailable = QStringLiteral("no pipe");
            return;
        }
        // Everything the child needs is prepared here: after fork it makes system calls only.
        const QByteArray folder = QFile::encodeName(m_folder.path());
        const QByteArray options = "size=" + QByteArray::number(size_kb) + "k";
        const Mapping mapping{"deny", "0 " + QByteArray::number(::geteuid()) + " 1",
                              "0 " + QByteArray::number(::getegid()) + " 1"};
        const bool root = ::geteuid() == 0;

        m_keeper = ::fork();
        if (m_keeper == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            Report report = mountInOwnNamespace(root, folder, options, mapping);
            ssize_t unused = ::write(ready[1], &report, sizeof report);
            (void)unused;
            char byte;
            while (::read(release[0], &byte, 1) < 0 && errno == EINTR) {
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        if (m_keeper < 0) {
            m_unavailable =
                QStringLiteral("cannot start a process: ") + QString::fromLocal8Bit(std::strerror(errno));
            ::close(ready[0]);
            return;
        }
        Report report{Step::NoReport, 0};
        while (::read(ready[0], &report, sizeof report) < 0 && errno == EINTR) {
        }
        ::close(ready[0]);
        if (report.step != Step::Mounted)
            m_unavailable = QLatin1String(stepText(report.step)) + QStringLiteral(": ") +
                            QString::fromLocal8Bit(std::strerror(report.error));
    }
    ~SmallDisk() {
        if (m_release >= 0) ::close(m_release);
        if (m_keeper > 0) ::waitpid(m_keeper, nullptr, 0);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    QString unavailable() const { return m_unavailable; }
    QString path() const {
        return QStringLiteral("/proc/") + QString::number(m_keeper) + QStringLiteral("/root") +
               m_folder.path();
    }
    QString file(const QString& name) const { return QDir(path()).filePath(name); }

    // Takes every byte still free with a filler file; true once a write was refused for lack of space.
    bool fill() const {
        QFile filler(file(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
        const QByteArray block(1024, 'x');
        for (int i = 0; i < 1 << 20; ++i)
            if (filler.write(block) != block.size()) return true;
        return false;
    }

private:
    enum class Step : int {
        NoReport,
        UserNamespace,
        UserMapping,
        MountNamespace,
        PrivateMounts,
        Mount,
        Mounted
    };
    struct Report {
        Step step;
        int error;
    };
    // What an unprivileged user writes to be root of its own user namespace.
    struct Mapping {
        QByteArray setgroups, uidMap, gidMap;
    };

    static const char* stepText(Step step) {
        switch (step) {
            case Step::UserNamespace:
                return "no user namespace";
            case Step::UserMapping:
                return "cannot map the user into its namespace";
            case Step::MountNamespace:
                return "no mount namespace";
            case Step::PrivateMounts:
                return "cannot make the mounts private";
            case Step::Mount:
                return "cannot mount a tmpfs";
            default:
                return "the mounting process ended early";
        }
    }

    static Report mountInOwnNamespace(bool root, const QByteArray& folder, const QByteArray& options,
                                      const Mapping& mapping) {
        if (!root) {
            if (::unshare(CLONE_NEWUSER) != 0) return {Step::UserNamespace, errno};
            if (!writeProcFile("/proc/self/setgroups", mapping.setgroups) ||
                !writeProcFile("/proc/self/uid_map", mapping.uidMap) ||
                !writeProcFile("/proc/self/gid_map", mapping.gidMap))
                return {Step::UserMapping, errno};
        }
        if (::unshare(CLONE_NEWNS) != 0) return {Step::MountNamespace, errno};
        // Without this the mount could travel back to the machine's own namespace.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return {Step::PrivateMounts, errno};
        if (::mount("springtest-small-disk", folder.constData(), "tmpfs", 0, options.constData()) != 0)
            return {Step::Mount, errno};
        return {Step::Mounted, 0};
    }

    static bool writeProcFile(const char* path, const QByteArray& text) {
        const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
        if (fd < 0) return false;
        const bool ok = ::write(fd, text.constData(), static_cast<size_t>(text.size())) == text.size();
        ::close(fd);
        return ok;
    }

    QTemporaryDir m_folder;
    QString m_unavailable;
    pid_t m_keeper = -1;
    int m_release = -1;
};

}  // namespace springtest::testing
