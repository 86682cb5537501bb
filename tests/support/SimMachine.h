#pragma once

#include "measurement/CardSlot.h"
#include "measurement/ChannelConfig.h"
#include "measurement/Tbankhk.h"
#include "platform/ProfileFile.h"
#include "session/ApplicationFolder.h"
#include "session/MachineSession.h"
#include "support/SimulatorLibrary.h"
#include "support/TempAppDir.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QString>

#include <memory>

namespace springtest::testing {

// A simulated machine in a throw-away application folder set up as `springtest init` sets one up, which is
// the working folder while the machine lives (as the program makes its folder its own). The test changes
// its settings, starts it as the program does (or runs the program on it), reads its cards and the
// simulator's ground truth, and shuts it down; what is still running when the machine goes is shut down
// then.
class SimMachine {
public:
    // machineType as `springtest init --machine-type`; -1 the shipped machine.
    explicit SimMachine(int machineType = -1) {
        m_error = initialiseApplicationFolder(m_dir.path(), machineType).error;
        QDir::setCurrent(m_dir.path());
    }
    ~SimMachine() {
        shutdown();
        QDir::setCurrent(QDir::tempPath());
    }
    SimMachine(const SimMachine&) = delete;
    SimMachine& operator=(const SimMachine&) = delete;

    // Empty when the folder was set up.
    const QString& error() const { return m_error; }
    const TempAppDir& dir() const { return m_dir; }
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.file(name); }

    // One key of a card's section in simcard.ini, read by the next program or `loadSimulator`.
    bool writeSimulator(const QString& key, const QString& value, int card = 0) const {
        return ProfileFile(file(QStringLiteral("simcard.ini")))
            .writeString(QStringLiteral("card%1").arg(card), key, value);
    }
    // One key of a card's channel file (init0.dat for card 0), read as the channels are made.
    bool writeChannel(const QString& section, const QString& key, const QString& value, int card = 0) const {
        return ProfileFile(channelConfigFile(path(), card)).writeString(section, key, value);
    }
    // The simulator takes up simcard.ini now, as this test's own driver; a program started later reads it
    // itself.
    bool loadSimulator() const { return simulator().loadConfig(file(QStringLiteral("simcard.ini"))); }
    double simGet(const char* key, int card = 0) const { return simulator().get(card, key); }
    bool simSet(const char* key, double value, int card = 0) const {
        return simulator().set(card, key, value);
    }

    // Starts the machine as the program does, `prompts` answering its questions; a running machine is
    // shut down first.
    MachineSession::Outcome start(StartupPrompts& prompts) {
        shutdown();
        m_session = std::make_unique<MachineSession>(m_dir.path());
        return m_session->start(prompts);
    }
    // Starts it running on past anything it would ask about.
    MachineSession::Outcome start() {
        static AcceptingPrompts accepting;
        return start(accepting);
    }
    // The acquisition thread, with the sequencer's slot (may be null): call after the targets are set.
    void startAcquisition(SampleSlot* sequencer = nullptr) { m_session->startAcquisition(sequencer); }
    // The problems shutting down met; nothing when the machine was not started.
    QStringList shutdown() {
        if (!m_session) return {};
        const QStringList problems = m_session->shutdown();
        m_session.reset();
        return problems;
    }

    MachineSession& session() { return *m_session; }
    CardSlot& card(int index = 0) { return m_session->cards().cards[static_cast<size_t>(index)]; }
    // Waits until the acquisition loop has taken `readings` more readings: what is read after it is the
    // machine as it stands for that many readings, however busy the computer.
    bool readingsPass(int readings, int timeout_ms = 15000) {
        const Tbankhk& acquisition = *m_session->acquisition();
        const uint64_t from = acquisition.cycles();
        return waitFor([&] { return acquisition.cycles() >= from + uint64_t(readings); }, timeout_ms);
    }

private:
    struct AcceptingPrompts : StartupPrompts {
        void driverMissing(const QString&) override {}
        bool continueWithUnopenedCard(const QString&) override { return true; }
    };

    static const SimulatorLibrary& simulator() { return SimulatorLibrary::instance(); }

    TempAppDir m_dir;
    QString m_error;
    std::unique_ptr<MachineSession> m_session;
};

}  // namespace springtest::testing
