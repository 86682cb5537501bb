#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace springtest {

struct CardSlot;

// Puts every load-overload trip into the overload log. A raw-count trip is a fault of the signal, not a
// load the machine carried, and is not logged.
//
// Lives on the GUI thread and is told of a trip by the trip's handler. The load and the time are taken at
// once (the acquisition thread waits for the handler, so the load channel still holds the load that
// tripped); the row is written once the handler has returned, because the acquisition thread must never
// wait on the disk. Whatever is still unwritten when the recorder goes is written then. A failed write
// reaches `report` in the system's words.
class OverloadRecorder : public QObject {
    Q_OBJECT
public:
    OverloadRecorder(const QString& applicationFolder, std::function<void(const QString& error)> report,
                     QObject* parent = nullptr);
    ~OverloadRecorder() override;

    // From the handler of the card's load-channel trip.
    void onTrip(const CardSlot& card);
    // Writes the trips not yet written.
    void flush();

private:
    struct Trip {
        QString loadReached;
        QDateTime time;
    };

    QString m_applicationFolder;
    std::function<void(const QString&)> m_report;
    QList<Trip> m_unwritten;
    bool m_flushPosted = false;
};

}  // namespace springtest
