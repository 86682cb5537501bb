#pragma once

#include <QLockFile>
#include <QString>

namespace springtest {

// The name every console of this program claims, so that two consoles never drive one machine.
inline const QString kProgramInstanceName = QStringLiteral("弹簧专业测试软件");

// One console per machine: a lock file under the program's name in the temporary folder, held for the
// whole run. A lock left behind by a console that died is taken over (its process is gone); age alone
// never frees it, since a console runs for days.
class SingleInstance {
public:
    explicit SingleInstance(const QString& name = kProgramInstanceName);
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this run now holds the name; false while another run holds it.
    bool tryClaim();
    bool claimed() const { return m_lock.isLocked(); }
    const QString& lockFilePath() const { return m_path; }

private:
    QString m_path;
    QLockFile m_lock;
};

// Claims the name for this run. When another console holds it, tells the operator "程序正在运行!!"
// (caption "ERROR") and returns false: the program then ends.
bool claimSingleInstance(SingleInstance& instance);

}  // namespace springtest
