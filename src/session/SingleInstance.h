#pragma once

#include <QLockFile>
#include <QString>

namespace springtest {

// The lock file of the program that drives the machine, in the application folder.
inline constexpr const char* kInstanceLockFile = "springtest.lock";

// What a second program on the same machine is told before it ends.
inline const QString kProgramRunningText = QStringLiteral("程序正在运行!!");

// One program drives a machine: the console and every command that opens the cards hold a lock file in the
// application folder for their whole run. The folder, not the temporary folder, is what names the machine:
// two users, or two sessions with different temporary folders, still meet at the same file. A lock left
// behind by a program that died is taken over (its process is gone); age alone never frees it, since a
// console runs for days.
class SingleInstance {
public:
    enum class Claim {
        Claimed,
        HeldElsewhere,  // another running program holds it
        Failed,         // the lock file could not be made: see failureText()
    };

    explicit SingleInstance(const QString& applicationFolder);
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    Claim tryClaim();
    bool claimed() const { return m_lock.isLocked(); }
    const QString& lockFilePath() const { return m_path; }
    // Why the last claim failed, in the operator's words.
    QString failureText() const;

private:
    QString m_path;
    QLockFile m_lock;
};

// Claims the machine for the console. When another program holds it, tells the operator "程序正在运行!!"
// (caption "ERROR") and returns false: the program then ends.
bool claimSingleInstance(SingleInstance& instance);

}  // namespace springtest
