#include "sequencer/StartRefusal.h"

#include "measurement/CardSlot.h"
#include "measurement/Tload.h"
#include "platform/OperatorTexts.h"

namespace springtest {

QString speedModeRefusal(SpeedMode mode) {
    return mode == SpeedMode::NotSet ? QStringLiteral("试验速度尚未设置！！") : QString();
}

QString testStartRefusal(const TTestStyle& sequencer, int cardIndex) {
    if (sequencer.running() || sequencer.seriesInProgress()) return QStringLiteral("试验正在进行!!");
    // After a batch failed to open there is neither: the operator opens a batch, which brings its scheme.
    if (!sequencer.hasProcedure() || !sequencer.hasBatch()) return QStringLiteral("请选择试验方案!!");
    if (const QString refusal = speedModeRefusal(sequencer.speedMode()); !refusal.isEmpty()) return refusal;

    if (cardIndex >= 0 && cardIndex < sequencer.cards().count) {
        const Tload* load = sequencer.cards().cards[static_cast<size_t>(cardIndex)].load.get();
        if (load && (sequencer.startsUpward() ? load->blocksUp() : load->blocksDown()))
            return kOverloadBlocksTheMove;
    }
    return QString();
}

}  // namespace springtest
