#include "session/OverloadRecording.h"

#include "measurement/CardSlot.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"
#include "storage/OverloadLog.h"

namespace springtest {

OverloadRecorder::OverloadRecorder(const QString& applicationFolder,
                                   std::function<void(const QString& error)> report, QObject* parent)
    : QObject(parent), m_applicationFolder(applicationFolder), m_report(std::move(report)) {}

OverloadRecorder::~OverloadRecorder() {
    flush();
}

void OverloadRecorder::onTrip(const CardSlot& card) {
    const Tload* load = card.load.get();
    if (!load) return;
    const TripKind kind = load->tripKind();
    if (kind != TripKind::CompressionOverload && kind != TripKind::TensionOverload) return;
    m_unwritten.append({FormatByDecimals(load->decimals(), load->load()), QDateTime::currentDateTime()});
    if (m_flushPosted) return;
    m_flushPosted = true;
    QMetaObject::invokeMethod(this, &OverloadRecorder::flush, Qt::QueuedConnection);
}

void OverloadRecorder::flush() {
    m_flushPosted = false;
    if (m_unwritten.isEmpty()) return;
    const QList<Trip> trips = std::exchange(m_unwritten, {});
    OverloadLog log(m_applicationFolder);
    for (const Trip& trip : trips) {
        if (!log.append(trip.loadReached, trip.time) && m_report) m_report(log.error());
    }
}

}  // namespace springtest
