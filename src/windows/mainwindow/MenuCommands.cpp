// The menu commands that open the settings, scheme and result windows modally, the skin choice and the
// about window.

#include "windows/mainwindow/Tfmain.h"

#include "measurement/TDisplacement.h"
#include "measurement/Tload.h"
#include "platform/Prompts.h"
#include "sequencer/TTestStyle.h"
#include "session/CalibrationStatus.h"
#include "windows/browser/DesktopSpreadsheetOpener.h"
#include "windows/browser/TF_dp.h"
#include "windows/browser/TF_dp_HXGD.h"
#include "windows/browser/TF_dp_gbth.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/TF_chart.h"
#include "windows/editor/TFtest_set.h"
#include "windows/editor/TFtest_set_GBTH.h"
#include "windows/editor/TFtest_set_HXGD.h"
#include "windows/mainwindow/LoginDialog.h"
#include "windows/mainwindow/SkinDialog.h"
#include "windows/mainwindow/Skins.h"
#include "windows/setup/TF_about.h"
#include "windows/setup/TF_logo.h"
#include "windows/setup/TF_testspeed.h"
#include "windows/setup/Tf_auto.h"

#include <qcustomplot.h>

namespace springtest {

void Tfmain::login() {
    // A login that is cancelled or fails takes the rights away again, as logging out does.
    LoginDialog dialog(m_applicationFolder, this);
    SetOperatorRights(dialog.exec() == QDialog::Accepted);
}

void Tfmain::createScheme() {
    switch (machineType()) {
        case 0:
        case 2:
        case 6: {
            if (m_session.cards().count == 0) return;
            TFtest_set editor(m_applicationFolder, m_session.cards().cards[0].load->Units(), this);
            editor.exec();
            break;
        }
        case 3: {
            if (m_session.cards().count == 0) return;
            TFtest_set_GBTH editor(m_applicationFolder, m_session.cards().cards[0].load->Units(), this);
            editor.exec();
            break;
        }
        case 5: {
            if (m_session.cards().count == 0) return;
            TFtest_set_HXGD editor(m_applicationFolder, m_session.cards().cards[0].load->Units(), this);
            editor.exec();
            break;
        }
        default:
            break;  // these types have no scheme editor
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
        case 3: {
            const CardSlot& card = m_session.cards().cards[0];
            DesktopSpreadsheetOpener opener;
            TF_dp_gbth browser(m_applicationFolder, card.load ? card.load->Units() : QString(), opener, this);
            browser.exec();
            break;
        }
        case 5: {
            const CardSlot& card = m_session.cards().cards[0];
            DesktopSpreadsheetOpener opener;
            TF_dp_HXGD browser(m_applicationFolder, card.load ? card.load->Units() : QString(), opener, this);
            browser.exec();
            break;
        }
        default:
            break;  // these types have no result browser
    }
}

void Tfmain::setTestSpeed() {
    if (!m_sequencer) return;
    TF_testspeed window(*m_sequencer, m_applicationFolder, this);
    window.exec();
}

void Tfmain::setAutomaticSeries() {
    if (!m_sequencer) return;
    Tf_auto window(*m_sequencer, this);
    window.exec();
}

void Tfmain::chooseSkin() {
    SkinDialog dialog(m_skin, this);
    if (dialog.exec() == QDialog::Accepted && applySkin(dialog.chosen())) {
        m_skin = dialog.chosen();
        setStyleSheet(stripStyleSheet(skins()[m_skin]));
    }
    // Whatever the answer, the chart stands on the face of the skin in use.
    if (m_curveWindow) {
        m_curveWindow->chart()->setBackground(skins()[m_skin].buttonFace);
        m_curveWindow->chart()->replot();
    }
}

void Tfmain::showAbout() {
    TF_about window(calibrationRecordLines(m_applicationFolder, gearTotalsOf(m_session.cards())), this);
    window.exec();
}

void Tfmain::showSplash() {
    TF_logo splash(m_applicationFolder);  // its own window: the strip does not exist yet
    splash.exec();
}

}  // namespace springtest
