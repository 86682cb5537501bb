#include "session/MachineSession.h"

#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "measurement/Tload.h"
#include "platform/WindowTarget.h"

namespace springtest {

MachineSession::MachineSession(QString applicationFolder)
    : m_applicationFolder(std::move(applicationFolder)) {}

MachineSession::~MachineSession() {
    shutdown();
}

QString MachineSession::driverMissingMessage(const QString& driverFile) {
    return QStringLiteral("无法找到") + driverFile + QStringLiteral("文件！！");
}

QString MachineSession::cardNotOpenedMessage(const QString& model) {
    return QStringLiteral("无法打开") + model + QStringLiteral("控制卡,请勿操作机器，避免不必要的损坏");
}

MachineSession::Outcome MachineSession::start(StartupPrompts& prompts) {
    m_config = MachineConfig::read(m_applicationFolder);
    m_model = cardModelFor(m_config.cardType);

    if (!m_library.load(m_model.driverBase, m_applicationFolder)) {
        prompts.driverMissing(driverMissingMessage(driverFileName(m_model.driverBase)));
        return Outcome::DriverMissing;
    }
    m_driver = CardDriver(m_library.resolve());

    bool allOpened = true;
    for (int i = 0; i < m_config.cardCount; ++i) {
        if (!m_driver.cardOpen(i)) {
            allOpened = false;
            break;
        }
    }
    if (!allOpened && !prompts.continueWithUnopenedCard(cardNotOpenedMessage(m_model.model))) {
        m_library.unload();
        return Outcome::Aborted;
    }

    for (int i = 0; i < m_config.cardCount; ++i) {
        CardSlot& slot = m_cards.cards[static_cast<size_t>(i)];
        slot.record.load = 0.0f;
        slot.record.deformation = 0.0f;
        slot.record.displacement = 0.0f;
        slot.record.restartMinuteClock();
        slot.load = std::make_unique<Tload>(m_applicationFolder, i, m_driver, &slot);
        slot.displacement = std::make_unique<TDisplacement>(m_applicationFolder, i, m_driver, &slot);
        slot.motor = std::make_unique<TMotor>(m_applicationFolder, i, m_driver, &slot);
        slot.motor->CommandStop();
    }
    m_cards.count = m_config.cardCount;
    return Outcome::Running;
}

void MachineSession::startAcquisition(SampleSlot* sequencer) {
    if (m_cards.count == 0 || m_acquisition) return;
    m_acquisition = std::make_unique<Tbankhk>(m_cards, sequencer);
    m_acquisition->start();
}

QStringList MachineSession::shutdown() {
    QStringList problems;
    if (m_acquisition) {
        // A message the thread is sending must not wait for a GUI thread that is busy joining it.
        WindowTarget::stopBlocking();
        m_acquisition->stop();
        if (!m_acquisition->lastError().isEmpty()) problems << m_acquisition->lastError();
        m_acquisition.reset();
        WindowTarget::allowBlocking();
    }
    for (int i = 0; i < m_cards.count; ++i) {
        CardSlot& slot = m_cards.cards[static_cast<size_t>(i)];
        slot.load.reset();
        QString error;
        if (slot.displacement && !slot.displacement->SaveDisplacementState(&error))
            problems << QStringLiteral("无法保存位移数据: ") + error;
        slot.displacement.reset();
        slot.motor.reset();
    }
    m_cards.count = 0;
    m_driver = CardDriver();
    m_library.unload();
    return problems;
}

}  // namespace springtest
