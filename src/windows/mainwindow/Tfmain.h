#pragma once

#include "platform/WindowTarget.h"
#include "session/MachineSession.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QToolButton;

namespace springtest {

class ControlPanel;
class TF_chart;
class TF_datashow;
class TTestStyle;
struct ConsoleContext;

// The main window: a narrow tool strip across the top of the screen with the four menus and the buttons
// for results, about, exit and mains power. Its first showing starts the machine (configuration, driver,
// cards, channels, sequencer, operator windows, acquisition thread, in that order); closing it shuts the
// machine down in the opposite order. It owns the card tables, the sequencer and the operator windows for
// the whole run.
class Tfmain : public QWidget {
    Q_OBJECT
public:
    enum class Startup {
        NotStarted,
        Running,        // channels, sequencer, operator windows and the acquisition thread exist
        DriverMissing,  // only the tool strip and its menus: nothing that needs the machine works
        Aborted,        // a card did not open and the operator chose to end; the window closes
    };

    // The splash shows while the window is made; it holds start-up for seconds, so only the program asks for
    // it.
    enum class Splash { Skipped, Shown };

    explicit Tfmain(QString applicationFolder, QWidget* parent = nullptr, Splash splash = Splash::Skipped);
    ~Tfmain() override;

    // The start-up sequence; the first showing runs it. Runs once.
    void startUp();
    // The shutdown sequence; closing runs it. Safe to call again.
    void shutDown();
    Startup startupState() const { return m_startup; }

    // Creates the operator windows that are missing, binds the machine type's menu items once and places
    // the windows under the strip. Start-up runs it; so does "窗口自动调整".
    void LayoutWindows();
    // The items reserved for a logged-in operator.
    void SetOperatorRights(bool allowed);

    // "打开文件" and "删除文件" in the batch folder `folder` (relative to the application folder).
    void OpenBatchFile(const QString& folder);
    void DeleteBatchFile(const QString& folder);

    const QString& applicationFolder() const { return m_applicationFolder; }
    int machineType() const { return m_session.config().machineType; }
    // The batch opened last: its connection text and its file; empty before the first.
    const QString& batchConnection() const { return m_batchConnection; }
    const QString& batchPath() const { return m_batchPath; }

    MachineSession& session() { return m_session; }
    TTestStyle* sequencer() const { return m_sequencer.get(); }
    ConsoleContext* consoleContext() const { return m_context.get(); }
    TF_datashow* dataPanel() const { return m_dataPanel; }
    TF_chart* curveWindow() const { return m_curveWindow; }
    ControlPanel* controlPanel() const { return m_controlPanel; }
    // The lateral machine's lateral data panel ("横向窗口显示"); null while it is not open.
    TF_datashow* lateralDataPanel() const;
    // The skin of "皮肤选择" in use: an index into skins().
    int currentSkin() const { return m_skin; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The set-up windows of one card stay open beside the console, one of a kind at a time; each is told its
    // card by the item's tag (card 0 for an item without card sub-items).
    enum class CardWindow { LoadCalibration, Compensation, SignalMonitor, PidView, PidTuning, Count };

    void showSplash();
    void buildStrip();
    QMenu* addMenuButton(const QString& name, const QString& caption);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption, bool visible = true);
    void connectCommands();
    void enableMachineCommands(bool enabled);

    // Window layout
    void createOperatorWindows();
    void bindMachineMenus();
    void addCardSubItems(QAction* item, CardWindow kind);
    void placeOperatorWindows();

    // Commands
    void login();
    void createScheme();
    void processResults();
    void setTestSpeed();
    void setAutomaticSeries();
    void askExit();
    void togglePower();
    void openBatch();
    void deleteBatch();
    void chooseSkin();
    void showAbout();

    // Machine set-up.
    void openCardWindow(CardWindow kind, int cardIndex);
    void connectCardWindow(const char* itemName, CardWindow kind);
    void setHardware();
    void zeroHardware();
    void showOverloadLog();
    void showAuditTrail();
    void remindOfVerification();
    void alignPlatens();
    void setDisplacementZero();
    void showLateralWindow();
    void forwardLateralGearChange(int code);
    void setReports();
    void closeSetupWindows();

    QString m_applicationFolder;
    MachineSession m_session;
    std::unique_ptr<TTestStyle> m_sequencer;
    std::unique_ptr<ConsoleContext> m_context;
    TF_datashow* m_dataPanel = nullptr;
    TF_chart* m_curveWindow = nullptr;
    ControlPanel* m_controlPanel = nullptr;
    QPointer<TF_datashow> m_lateralDataPanel;
    // Card 1's gear messages go here for the whole run and on to the lateral data panel while it is open:
    // the operator may close the panel while the acquisition thread is handing it a gear change.
    WindowTarget m_lateralGearTarget{[this](int code) { forwardLateralGearChange(code); }};

    Startup m_startup = Startup::NotStarted;
    bool m_startupRun = false;
    bool m_shutDown = false;
    bool m_menusBound = false;
    QString m_batchConnection;
    QString m_batchPath;

    std::array<QPointer<QDialog>, static_cast<size_t>(CardWindow::Count)> m_cardWindows;
    QPointer<QDialog> m_displacementZeroWindow;
    QPointer<QDialog> m_alignmentWindow;
    int m_skin = 0;

    QToolButton* m_parameterMenuButton = nullptr;
    QToolButton* m_powerButton = nullptr;
    QLabel* m_verificationReminder = nullptr;  // empty unless a verification is overdue
};

}  // namespace springtest
