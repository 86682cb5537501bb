// The menu commands that open the settings, scheme and result windows modally.

#include "windows/mainwindow/Tfmain.h"

#include "measurement/TDisplacement.h"
#include "measurement/Tload.h"
#include "sequencer/TTestStyle.h"
#include "windows/browser/DesktopSpreadsheetOpener.h"
#include "windows/browser/TF_dp.h"
#include "windows/editor/TFtest_set.h"
#include "windows/mainwindow/LoginDialog.h"
#include "windows/setup/TF_testspeed.h"
#include "windows/setup/Tf_auto.h"

namespace springtest {

void Tfmain::login() {
    // A login that is cancelled or fails takes the rights away again, as logging out does.
    LoginDialog dialog(m_applicationFolder, this);
    SetOperatorRights(dialog.exec() == QDialog::Accepted);
}

void Tfmain::createScheme() {
    if (m_session.cards().count == 0) return;
    switch (machineType()) {
        case 0:
        case 2:
        case 6: {
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
        case 0:
        case 2:
        case 6: {
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
