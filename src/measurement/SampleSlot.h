#pragma once

#include <atomic>

namespace springtest {

// What the acquisition thread calls while a test runs. The test sequencer implements it; the procedure
// runs on the acquisition thread, right after every card's record has been updated.
class SampleProcedure {
public:
    virtual ~SampleProcedure() = default;
    virtual void onSample(int cardIndex) = 0;
};

// The hand-off between the sequencer and the acquisition loop: the sequencer installs a procedure and
// sets `running`; the loop reads the fields once per cycle. While running, the recorder (when there is one)
// sees each cycle before the procedure does.
struct SampleSlot {
    std::atomic<bool> running{false};
    // Bumped by every start before its first drive command: a run that ended while a new one was being
    // started is told from one that simply ended.
    std::atomic<unsigned> runsBegun{0};
    std::atomic<int> cardIndex{0};
    std::atomic<SampleProcedure*> procedure{nullptr};
    std::atomic<SampleProcedure*> recorder{nullptr};
};

}  // namespace springtest
