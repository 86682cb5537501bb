// The menu commands that open the settings, scheme and result windows modally.

#include "Tfmain.h"

#include "app/mainwindow/LoginDialog.h"
#include "measurement/TDisplacement.h"
#include "measurement/Tload.h"
#include "results/browser/DesktopSpreadsheetOpener.h"
#include "results/browser/TF_dp.h"
#include "schemes/editor/TFtest_set.h"
#include "sequencer/TTestStyle.h"
#include "setup/TF_testspeed.h"
#include "setup/Tf_auto.h"

namespace springtest {

void Tfmain::login() {
    // A login that is cancelled or fails takes the rights away again, as logging out does.
    LoginDialog dialog(m_applicationFolder, this);
    SetOperatorRights(dialog.exec() == QDialog::Accepted);
}

void Tfmain::createScheme() {
    if (m_session.cards().count == 0) return;
    switch (machineType()) {
        case 0: case 2: case 6: {
            TFtest_set editor(m_applicationFolder, m_session.cards().cards[0].load->Units(), this);
            editor.exec();
            break;
        }
        default:
            // The leaf-spring (3) and lateral (5) editors come with their machines' releases; the other
            // types have no scheme editor.
            break;
    }
}

void Tfmain::processResults() {
    switch (machineType()) {
        case 0: case 2: case 6: {
            // Stored results can be looked at without the machine; only the units are missing then.
            const CardSlot& card = m_session.cards().cards[0];
            DesktopSpreadsheetOpener opener;
            TF_dp browser(m_applicationFolder, card.load ? card.load->Units() : QString(),
                          card.displacement ? card.displacement->Units() : QString(), opener, this);
            browser.exec();
            break;
        }
        default:
            // The leaf-spring (3) and lateral (5) browsers come with their machines' releases; the other
            // types have no result browser.
            break;
    }
}

void Tfmain::setTestSpeed() {
    if (!m_sequencer) return;
    TF_testspeed window(*m_sequencer, this);
    window.exec();
}

void Tfmain::setAutomaticSeries() {
    if (!m_sequencer) return;
    Tf_auto window(*m_sequencer, this);
    window.exec();
}

}  // namespace springtest
