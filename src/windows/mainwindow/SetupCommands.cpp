// The menu commands of machine set-up: hardware settings and zeroing, the overload log, calibration,
// compensation, the signal monitor, PID, platen alignment, and the windows of machine types this release does
// not equip yet.

#include "windows/mainwindow/Tfmain.h"

#include "measurement/CardSlot.h"
#include "measurement/Tload.h"
#include "platform/Prompts.h"
#include "session/CalibrationStatus.h"
#include "windows/browser/TF_ReportSet.h"
#include "windows/common/FindByName.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/TF_datashow_HXGD.h"
#include "windows/setup/TF_audit.h"
#include "windows/setup/TF_autozero.h"
#include "windows/setup/TF_bd.h"
#include "windows/setup/TF_gz.h"
#include "windows/setup/TF_hardset.h"
#include "windows/setup/TF_pid_adjust.h"
#include "windows/setup/TF_show.h"
#include "windows/setup/TF_wybc.h"
#include "windows/setup/TFpid_view.h"
#include "windows/setup/TFwyzero_set.h"
#include "windows/setup/TFzero.h"

#include <QAction>
#include <QDate>
#include <QLabel>
#include <QMenu>

namespace springtest {

void Tfmain::connectCardWindow(const char* itemName, CardWindow kind) {
    QAction* item = findByName<QAction>(this, QString::fromLatin1(itemName));
    if (!item) return;
    connect(item, &QAction::triggered, this, [this, item, kind] {
        // With card sub-items the operator picks the card there; the item itself only opens the list.
        if (item->menu()) return;
        const QVariant tag = item->data();
        openCardWindow(kind, tag.isValid() ? tag.toInt() : 0);
    });
}

void Tfmain::openCardWindow(CardWindow kind, int cardIndex) {
    if (m_startup != Startup::Running) return;
    // The PID windows belong to the machine types whose layout shows their items.
    const bool pid = kind == CardWindow::PidView || kind == CardWindow::PidTuning;
    if (pid && machineType() != 2 && machineType() != 3) return;
    CardTables& cards = m_session.cards();
    if (cardIndex < 0 || cardIndex >= cards.count) return;
    QPointer<QDialog>& open = m_cardWindows[static_cast<size_t>(kind)];
    if (open) return;  // one at a time: the open one already serves the operator

    CardSlot& card = cards.cards[static_cast<size_t>(cardIndex)];
    QDialog* window = nullptr;
    switch (kind) {
        case CardWindow::LoadCalibration:
            window = new TF_bd(card, cardIndex, this);
            break;
        case CardWindow::Compensation:
            window = new TF_wybc(card, cardIndex, this);
            break;
        case CardWindow::SignalMonitor:
            window = new TF_show(card, cardIndex, this);
            break;
        case CardWindow::PidView:
            window = new TFpid_view(card, cardIndex, this);
            break;
        case CardWindow::PidTuning:
            window = new TF_pid_adjust(card, cardIndex, this);
            break;
        case CardWindow::Count:
            return;
    }
    window->setProperty("tag", cardIndex);  // the item's tag stays with the window: the card it serves
    open = window;
    window->show();
}

void Tfmain::setDisplacementZero() {
    if (m_displacementZeroWindow) return;
    m_displacementZeroWindow = new TFwyzero_set(this);
    m_displacementZeroWindow->show();
}

void Tfmain::closeSetupWindows() {
    // Deleted now, not when the event loop next runs: the channels they hold go right after this.
    for (QPointer<QDialog>& window : m_cardWindows) delete window.data();
    delete m_displacementZeroWindow.data();
    delete m_alignmentWindow.data();
}

void Tfmain::setHardware() {
    TF_hardset window(m_applicationFolder, this);
    window.exec();
}

void Tfmain::zeroHardware() {
    TFzero window(m_applicationFolder, this);
    window.exec();
}

void Tfmain::showOverloadLog() {
    TF_gz window(m_applicationFolder, this);
    window.exec();
}

void Tfmain::showAuditTrail() {
    // Read only, and read from the scheme database alone: open to everyone, with or without the machine.
    TF_audit window(m_applicationFolder, this);
    window.exec();
}

void Tfmain::remindOfVerification() {
    // A note in the strip, not a box: a start under a script must not wait for anyone to answer it.
    const QString reminder =
        verificationReminder(m_applicationFolder, gearTotalsOf(m_session.cards()), QDate::currentDate());
    m_verificationReminder->setText(reminder.isEmpty() ? QString() : QStringLiteral("检定超期"));
    m_verificationReminder->setToolTip(reminder);
    m_verificationReminder->setStyleSheet(QStringLiteral("QLabel { color: #b03000; font-weight: bold; }"));
    m_verificationReminder->setVisible(!reminder.isEmpty());
    setFixedSize(sizeHint());
}

void Tfmain::alignPlatens() {
    if (m_startup != Startup::Running || m_alignmentWindow) return;
    // Modal without a loop of its own: the alignment drives card 0 from its timer, so a shutdown must be
    // able to delete the window, and stop the alignment with it, before the card's channels go.
    auto* window = new TF_autozero(m_session.cards().cards[0], this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_alignmentWindow = window;
    window->open();
}

void Tfmain::showLateralWindow() {
    if (m_startup != Startup::Running || !m_context || machineType() != 5) return;
    if (m_lateralDataPanel) return;
    CardTables& cards = m_session.cards();
    if (cards.count < 2 || !cards.cards[1].load) return;
    auto* panel = new TF_datashow_HXGD(*m_context, this);
    panel->setWindowFlag(Qt::Window, true);
    // Closing it ends it: the next command makes a new one.
    panel->setAttribute(Qt::WA_DeleteOnClose);
    m_lateralDataPanel = panel;
    cards.cards[1].load->setGearTarget(&m_lateralGearTarget);
    panel->show();
}

TF_datashow* Tfmain::lateralDataPanel() const {
    return m_lateralDataPanel.data();
}

void Tfmain::forwardLateralGearChange(int code) {
    if (m_lateralDataPanel) m_lateralDataPanel->gearTarget()->send(code);
}

void Tfmain::setReports() {
    TF_ReportSet window(m_applicationFolder, this);
    window.exec();
}

}  // namespace springtest
