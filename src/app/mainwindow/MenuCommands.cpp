// The menu commands that open the settings and scheme windows modally.

#include "Tfmain.h"

#include "measurement/Tload.h"
#include "schemes/editor/TFtest_set.h"
#include "sequencer/TTestStyle.h"
#include "setup/TF_testspeed.h"
#include "setup/Tf_auto.h"

#include <QDialog>
#include <QEventLoop>
#include <QPointer>

namespace springtest {

namespace {

// Shows `window` modally and returns when the operator has closed it.
void execModal(QWidget& window) {
    if (auto* dialog = qobject_cast<QDialog*>(&window)) {
        dialog->exec();
        return;
    }
    window.setWindowFlag(Qt::Window, true);
    window.setWindowModality(Qt::ApplicationModal);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QPointer<QWidget> watched(&window);
    QEventLoop loop;
    while (watched && watched->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace

void Tfmain::createScheme() {
    if (m_session.cards().count == 0) return;
    switch (machineType()) {
        case 0: case 2: case 6: {
            TFtest_set editor(m_applicationFolder, m_session.cards().cards[0].load->Units(), this);
            execModal(editor);
            break;
        }
        default:
            // The leaf-spring (3) and lateral (5) editors come with their machines' releases; the other
            // types have no scheme editor.
            break;
    }
}

void Tfmain::setTestSpeed() {
    if (!m_sequencer) return;
    TF_testspeed window(*m_sequencer, this);
    execModal(window);
}

void Tfmain::setAutomaticSeries() {
    if (!m_sequencer) return;
    Tf_auto window(*m_sequencer, this);
    execModal(window);
}

}  // namespace springtest
