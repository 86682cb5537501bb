#include "windows/mainwindow/WindowLayout.h"

#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "sequencer/TTestStyle.h"
#include "windows/common/FindByName.h"
#include "windows/console/ConsoleContext.h"
#include "windows/console/TF_chart.h"
#include "windows/console/TF_chart_HXGD.h"
#include "windows/console/TF_control.h"
#include "windows/console/TF_control_HXGD.h"
#include "windows/console/TF_datashow.h"
#include "windows/console/TF_datashow_ZXGD.h"
#include "windows/mainwindow/ComponentAccess.h"
#include "windows/mainwindow/Tfmain.h"

#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QToolButton>

namespace springtest {

OperatorWindowPlaces operatorWindowPlaces(const QRect& mainFrame, int dataPanelHeight, int curveWindowWidth) {
    OperatorWindowPlaces places;
    places.dataPanel = QPoint(mainFrame.left() + 2, mainFrame.top() + mainFrame.height() + 1);
    const int lowerTop = mainFrame.top() + dataPanelHeight + mainFrame.height() + 2;
    places.curveWindow = QPoint(mainFrame.left() + 2, lowerTop);
    places.controlPanel = QPoint(mainFrame.left() + curveWindowWidth + 3, lowerTop);
    return places;
}

namespace {

// The operator windows are windows of their own that belong to the main window: they live as long as it
// does, and the main window finds their components by name.
void makeOwnWindow(QWidget* window) {
    window->setWindowFlag(Qt::Window, true);
}

}  // namespace

void Tfmain::LayoutWindows() {
    if (m_startup != Startup::Running) return;
    setWindowTitle(m_session.config().machineName);
    createOperatorWindows();
    bindMachineMenus();
    placeOperatorWindows();
}

void Tfmain::createOperatorWindows() {
    ConsoleContext& context = *m_context;
    CardTables& cards = m_session.cards();
    CardSlot& card0 = cards.cards[0];
    const bool lateral = machineType() == 5;

    if (!m_dataPanel) {
        move(2, 2);
        m_dataPanel = lateral ? new TF_datashow_ZXGD(context, this) : new TF_datashow(context, 0, this);
        makeOwnWindow(m_dataPanel);
        card0.load->setGearTarget(m_dataPanel->gearTarget());
        m_dataPanel->show();
    }
    if (!m_curveWindow) {
        if (lateral) {
            auto* charts = new TF_chart_HXGD(context, this);
            context.livePath = charts->pathSink();
            m_sequencer->SetLateralChart(context.livePath);
            m_curveWindow = charts;
        } else {
            m_curveWindow = new TF_chart(context, this);
        }
        makeOwnWindow(m_curveWindow);
        context.liveCurve = m_curveWindow->curveSink();
        m_sequencer->SetCurveChart(context.liveCurve);
        m_curveWindow->show();
    }
    if (!m_controlPanel) {
        if (lateral) {
            auto* panel = new TF_control_HXGD(context, this);
            panel->setLateralPanelOpen([this] { return !m_lateralDataPanel.isNull(); });
            m_controlPanel = panel;
        } else {
            m_controlPanel = new TF_control(context, 0, this);
        }
        makeOwnWindow(m_controlPanel);
        m_sequencer->setPanelTarget(m_controlPanel->testStateTarget());
        // The lateral machine's cards all report to its panels; elsewhere only card 0 has windows.
        const int wired = lateral ? cards.count : 1;
        for (int i = 0; i < wired; ++i) {
            CardSlot& card = cards.cards[static_cast<size_t>(i)];
            // The lateral machine's X sensor card has neither load nor drive.
            if (card.load) {
                card.load->setGearTarget(m_dataPanel->gearTarget());
                card.load->setOverloadTarget(m_controlPanel->overloadTarget());
            }
            if (card.motor) card.motor->setStateTarget(m_controlPanel->motorStateTarget());
        }
        m_controlPanel->show();
    }
}

void Tfmain::addCardSubItems(QAction* item, CardWindow kind) {
    if (item->menu()) return;
    auto* menu = new QMenu(this);
    menu->setObjectName(item->objectName() + QStringLiteral("Cards"));
    for (int i = 0; i < m_session.cards().count; ++i) {
        QAction* card = menu->addAction(QStringLiteral("通道") + QString::number(i + 1));
        card->setData(i);  // the card the item's window serves
    }
    connect(menu, &QMenu::triggered, this,
            [this, kind](QAction* card) { openCardWindow(kind, card->data().toInt()); });
    item->setMenu(menu);
}

void Tfmain::bindMachineMenus() {
    if (m_menusBound) return;
    m_menusBound = true;
    const auto item = [this](const char* name) {
        return findByName<QAction>(this, QString::fromLatin1(name));
    };
    // The calibration, monitor and PID windows open for card 0, or for the card of a sub-item.
    switch (machineType()) {
        case 2:
            item("PID1")->setVisible(true);
            item("PID2")->setVisible(true);
            break;
        case 3:
            item("PID1")->setVisible(true);
            item("PID2")->setVisible(true);
            item("N35")->setVisible(true);
            item("N13")->setVisible(false);
            break;
        case 5:
            addCardSubItems(item("N24"), CardWindow::SignalMonitor);
            addCardSubItems(item("N6"), CardWindow::LoadCalibration);
            addCardSubItems(item("N8"), CardWindow::Compensation);
            item("N13")->setVisible(false);
            item("PID2")->setVisible(false);
            item("N33")->setVisible(true);
            break;
        case 6:
            addCardSubItems(item("N24"), CardWindow::SignalMonitor);
            m_powerButton->setVisible(true);
            break;
        default:
            break;
    }
}

void Tfmain::placeOperatorWindows() {
    // The strip spans the windows below it.
    const int span = m_curveWindow->frameGeometry().width() + 3 + m_controlPanel->frameGeometry().width() - 2;
    setFixedSize(std::max(layout()->sizeHint().width(), span), layout()->sizeHint().height());

    const OperatorWindowPlaces places = operatorWindowPlaces(
        frameGeometry(), m_dataPanel->frameGeometry().height(), m_curveWindow->frameGeometry().width());
    m_dataPanel->move(places.dataPanel);
    m_curveWindow->move(places.curveWindow);
    m_controlPanel->move(places.controlPanel);
}

void Tfmain::SetOperatorRights(bool allowed) {
    for (const char* name : {"N3", "N9", "N22"})
        if (auto* item = findByName<QAction>(this, QString::fromLatin1(name))) item->setEnabled(allowed);
    // Hardware settings and zeroing are service work: out of sight until someone logs in, but then in
    // reach, or a lab would be back to editing the configuration files by hand.
    for (const char* name : {"N3", "N9"})
        if (auto* item = findByName<QAction>(this, QString::fromLatin1(name))) item->setVisible(allowed);
    m_parameterMenuButton->setEnabled(allowed);
    if (!m_controlPanel) return;
    if (machineType() == 2) {
        setComponentEnabled(m_controlPanel, QStringLiteral("bsSkinPanel4"), allowed);
        setPageTabVisible(m_controlPanel, QStringLiteral("bsSkinTabSheet5"), allowed);
    } else if (machineType() == 3) {
        setComponentEnabled(m_controlPanel, QStringLiteral("bsSkinPanel4"), false);
        setPageTabVisible(m_controlPanel, QStringLiteral("bsSkinTabSheet5"), allowed);
    }
}

}  // namespace springtest
