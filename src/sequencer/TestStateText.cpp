#include "sequencer/TestStateText.h"

#include "platform/OperatorTexts.h"

namespace springtest {

QString testStateText(TestState state, bool autoRepeat, int repeatCount, int repeatsDone) {
    switch (state) {
        case TestState::Started:
            if (autoRepeat)
                return QStringLiteral("试验状态：正在试验  共") + QString::number(repeatCount) +
                       QStringLiteral("次 第") + QString::number(repeatsDone) + QStringLiteral("次");
            return QStringLiteral("试验状态：正在试验");
        case TestState::Storing:
            return QStringLiteral("试验状态：正在保存数据，请等待....");
        case TestState::Stored:
            return QStringLiteral("试验状态：数据保存完成!!");
        case TestState::StoreFailed:
            return QStringLiteral("试验状态：数据保存错误!!");
        case TestState::Stopped:
            return kTestStoppedState;
        default:
            return QString();
    }
}

}  // namespace springtest
