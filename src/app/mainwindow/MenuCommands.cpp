// The menu commands that open the settings and scheme windows modally.

#include "Tfmain.h"

#include "measurement/Tload.h"
#include "schemes/editor/TFtest_set.h"
#include "sequencer/TTestStyle.h"
#include "setup/TF_testspeed.h"
#include "setup/Tf_auto.h"

namespace springtest {

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
