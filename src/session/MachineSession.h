#pragma once

#include "measurement/CardSlot.h"
#include "measurement/SampleSlot.h"
#include "platform/CardDriver.h"
#include "session/MachineConfig.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace springtest {

class Tbankhk;

// How start-up asks the operator. The console shows message boxes; the command line prints and reads
// the terminal; tests script the answers.
class StartupPrompts {
public:
    virtual ~StartupPrompts() = default;
    // "无法找到" + file + "文件！！": start-up stops here.
    virtual void driverMissing(const QString& message) = 0;
    // "无法打开" + model + "控制卡,请勿操作机器，避免不必要的损坏": true (Yes) runs on, false ends the
    // program.
    virtual bool continueWithUnopenedCard(const QString& message) = 0;
};

// The hardware side of a run, without any window: reads the machine configuration, loads the card driver,
// opens the cards, creates each card's channels and record, and runs the acquisition thread; shutdown
// undoes it in the opposite order. The console and the command line both start the machine through it.
class MachineSession {
public:
    enum class Outcome {
        Running,        // channels exist; startAcquisition() may be called
        DriverMissing,  // the driver library could not be loaded: no channel exists
        Aborted,        // a card did not open and the operator chose not to go on
    };

    explicit MachineSession(QString applicationFolder);
    ~MachineSession();
    MachineSession(const MachineSession&) = delete;
    MachineSession& operator=(const MachineSession&) = delete;

    // Reads the configuration, loads the driver, opens the cards and creates the channels.
    Outcome start(StartupPrompts& prompts);
    // Starts the acquisition thread; the sequencer's slot (may be null) is handed to it. Call last.
    void startAcquisition(SampleSlot* sequencer);
    // Stops the thread, frees the channels (the displacement saves its state) and unloads the driver.
    // Returns the problems met, in the operator's words; empty when all went well.
    QStringList shutdown();

    const QString& applicationFolder() const { return m_applicationFolder; }
    const MachineConfig& config() const { return m_config; }
    const CardModel& cardModel() const { return m_model; }
    CardTables& cards() { return m_cards; }
    const CardDriver& driver() const { return m_driver; }
    Tbankhk* acquisition() const { return m_acquisition.get(); }
    bool isRunning() const { return m_cards.count > 0; }

    static QString driverMissingMessage(const QString& driverFile);
    static QString cardNotOpenedMessage(const QString& model);

private:
    QString m_applicationFolder;
    MachineConfig m_config;
    CardModel m_model;
    CardDriverLibrary m_library;
    CardDriver m_driver;
    CardTables m_cards;
    std::unique_ptr<Tbankhk> m_acquisition;
};

}  // namespace springtest
