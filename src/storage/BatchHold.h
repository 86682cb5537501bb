#pragma once

#include <QString>

#include <memory>

namespace springtest {

// A batch a program tests into is held: for as long as the hold lasts, no other program, and no other
// sequencer of this one, opens it for testing, replaces it or deletes it, so no two of them store a test
// under the same serial. The hold is a lock the operating system keeps on a small file beside the batch
// (the batch's name + "-lock"); it ends with this object and with the process, however that ends, so a
// program that died leaves nothing an operator has to clear: its batch is taken over by the next one.
class BatchHold {
public:
    struct Outcome {
        std::unique_ptr<BatchHold> hold;  // set when taken
        bool inUse = false;               // refused: someone holds the batch already
        QString error;                    // refused for another reason, in the system's words
    };
    // Never waits: a batch held elsewhere is refused at once.
    static Outcome take(const QString& batchPath);

    ~BatchHold();
    BatchHold(const BatchHold&) = delete;
    BatchHold& operator=(const BatchHold&) = delete;

    const QString& batchPath() const { return m_batchPath; }
    // Whether this hold is on that batch, however its path is written.
    bool isFor(const QString& batchPath) const;

private:
    BatchHold(const QString& batchPath, const QString& key, int fd);

    QString m_batchPath;
    QString m_key;
    int m_fd;
};

enum class BatchHoldState { Free, HeldHere, HeldElsewhere };
// Who holds a batch for testing: nobody, this program, or another program.
BatchHoldState batchHoldState(const QString& batchPath);

// The hold opening a batch for testing needs. A sequencer that already holds that batch keeps its hold;
// otherwise the batch must be in no one's use and is taken. Refused with "文件正在使用!!" when it is in use,
// with "读取文件错误!!" and the reason when the hold cannot be taken at all (a read-only folder).
struct TestingHold {
    std::shared_ptr<const BatchHold> hold;
    QString refusal;  // for the operator when there is no hold
};
TestingHold holdBatchForTesting(const QString& batchPath, const std::shared_ptr<const BatchHold>& current);

}  // namespace springtest
