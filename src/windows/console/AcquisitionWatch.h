#pragma once

#include <QString>

#include <optional>

namespace springtest {

class Tbankhk;

// Tells the console, once, that the acquisition loop ended on an error: from then on no figure, no curve and
// no test moves any more, and the operator must hear it at once rather than when closing the program. Asked
// on the GUI thread, on the data panel's refresh; the loop publishes its error itself.
class AcquisitionWatch {
public:
    // The loop to watch; null while there is none (before start-up, after shutdown).
    void watch(const Tbankhk* loop) { m_loop = loop; }
    // The operator's message the first time the loop is found ended on an error; none before and after.
    std::optional<QString> newFailure();
    // The loop's own words for the error, once it was reported; empty before.
    const QString& reportedError() const { return m_reportedError; }

private:
    const Tbankhk* m_loop = nullptr;
    bool m_reported = false;
    QString m_reportedError;
};

}  // namespace springtest
