#include "windows/setup/TF_bd.h"

#include "measurement/CardSlot.h"
#include "measurement/Tload.h"
#include "platform/NumberEntry.h"
#include "platform/NumberFormat.h"
#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "session/SettingsAuditing.h"
#include "windows/common/TypingFilters.h"
#include "windows/common/WindowTexts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace springtest {

namespace {

const QString kReferenceMissing = QStringLiteral("当前标定值不能为空!!");
// A point taken at the previous point's count would divide by zero.
const QString kSameCountAsBefore = QStringLiteral("当前负荷码值与上一标定点相同，无法标定!!");
const QString kGearChanged = QStringLiteral("负荷档位已改变，请按当前档位重新确认标定值!!");

constexpr int kLiveLoadRefresh_ms = 200;

// The components of one calibration point, by kind (1…3 compression, 4…6 tension).
struct PointNames {
    const char* takeButton;
    const char* reference;
    const char* coefficient;
    const char* stepDown;
    const char* stepUp;
};
constexpr PointNames kPoints[6] = {
    {"bsSkinSpeedButton4", "ed_bd1", "ed_bd_xs1", "bsSkinSpeedButton7", "bsSkinSpeedButton8"},
    {"bsSkinSpeedButton5", "ed_bd2", "ed_bd_xs2", "bsSkinSpeedButton9", "bsSkinSpeedButton10"},
    {"bsSkinSpeedButton6", "ed_bd3", "ed_bd_xs3", "bsSkinSpeedButton11", "bsSkinSpeedButton12"},
    {"bsSkinSpeedButton1", "ed_fbd1", "ed_fbd_xs1", "bsSkinSpeedButton13", "bsSkinSpeedButton14"},
    {"bsSkinSpeedButton2", "ed_fbd2", "ed_fbd_xs2", "bsSkinSpeedButton16", "bsSkinSpeedButton15"},
    {"bsSkinSpeedButton3", "ed_fbd3", "ed_fbd_xs3", "bsSkinSpeedButton17", "bsSkinSpeedButton18"},
};
const QString kTakeCaptions[3] = {QStringLiteral("标定一"), QStringLiteral("标定二"),
                                  QStringLiteral("标定三")};

QString calibrationKey(int gear, int kind, bool coefficient) {
    const bool compression = kind <= 3;
    const int point = compression ? kind : kind - 3;
    const char* suffix = coefficient ? (compression ? "_Press_Coefficient" : "_Pull_Coefficient")
                                     : (compression ? "_Press_Clibration_value" : "_Pull_Clibration_value");
    return QStringLiteral("Gear") + QString::number(gear) + QLatin1String(suffix) + QString::number(point);
}

QLineEdit* numberEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setAlignment(Qt::AlignRight);
    filterNumberKeys(edit, NumberKeys::SignedOneDecimal);
    return edit;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

// What the channel says when a calibration could not be done or kept; empty when it went through.
QString failureText(const Tload::CalibrationOutcome& outcome) {
    using Status = Tload::CalibrationOutcome::Status;
    switch (outcome.status) {
        case Status::Ok:
            return {};
        case Status::ZeroDivisor:
            return kSameCountAsBefore;
        case Status::WriteFailed:
            return outcome.writeError;
        case Status::BadKind:
            break;
    }
    return kErrorCaption;
}

}  // namespace

TF_bd::TF_bd(CardSlot& card, int cardIndex, QWidget* parent)
    : QDialog(parent), m_card(card), m_cardIndex(cardIndex) {
    setObjectName(QStringLiteral("TF_bd"));
    setWindowTitle(QStringLiteral("参数标定"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* calibration = new QGroupBox(QStringLiteral("当前档位标定"), this);
    auto* pages = new QTabWidget(calibration);
    for (int side = 0; side < 2; ++side) {
        auto* page = new QWidget(pages);
        auto* grid = new QGridLayout(page);
        grid->addWidget(new QLabel(QStringLiteral("分段值 "), page), 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("标定值 "), page), 0, 2);
        grid->addWidget(new QLabel(QStringLiteral("标定系数"), page), 0, 3);
        for (int point = 1; point <= 3; ++point) {
            const int kind = side * 3 + point;
            const PointNames& names = kPoints[kind - 1];
            auto* take = button(names.takeButton, kTakeCaptions[point - 1], page);
            m_reference[size_t(kind - 1)] = numberEdit(names.reference, page);
            m_coefficient[size_t(kind - 1)] = numberEdit(names.coefficient, page);
            auto* down = button(names.stepDown, QStringLiteral("-1"), page);
            auto* up = button(names.stepUp, QStringLiteral("+1"), page);
            down->setFixedWidth(48);
            up->setFixedWidth(48);
            grid->addWidget(new QLabel(QStringLiteral(" ") + QString::number(point), page), point, 0);
            grid->addWidget(take, point, 1);
            grid->addWidget(m_reference[size_t(kind - 1)], point, 2);
            grid->addWidget(m_coefficient[size_t(kind - 1)], point, 3);
            grid->addWidget(down, point, 4);
            grid->addWidget(up, point, 5);
            connect(take, &QPushButton::clicked, this, [this, kind] { takePoint(kind); });
            connect(down, &QPushButton::clicked, this, [this, kind] { stepCoefficient(kind, -1); });
            connect(up, &QPushButton::clicked, this, [this, kind] { stepCoefficient(kind, +1); });
        }
        pages->addTab(page, side == 0 ? kCompressionDirection : kTensionDirection);
    }
    (new QVBoxLayout(calibration))->addWidget(pages);

    auto* live = new QGroupBox(this);
    auto* liveRow = new QHBoxLayout(live);
    m_liveLoad = new QLineEdit(live);
    m_liveLoad->setObjectName(QStringLiteral("bsSkinEdit1"));
    m_liveLoad->setReadOnly(true);
    m_liveLoad->setAlignment(Qt::AlignRight);
    liveRow->addWidget(new QLabel(QStringLiteral("当前负荷："), live));
    liveRow->addWidget(m_liveLoad);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(calibration);
    layout->addWidget(live);

    fillFromChannelFile();
    showLiveLoad();
    // The operator watches the load settle before taking a point.
    m_liveLoadTimer = new QTimer(this);
    m_liveLoadTimer->setInterval(kLiveLoadRefresh_ms);
    connect(m_liveLoadTimer, &QTimer::timeout, this, &TF_bd::showLiveLoad);
    m_liveLoadTimer->start();
}

void TF_bd::fillFromChannelFile() {
    const ProfileSnapshot ini = ProfileFile(m_card.load->channelConfigPath()).snapshot();
    const QString section = QStringLiteral("LOAD");
    const int gear = m_card.load->currentGear();
    m_gear = gear;
    const QString one = QStringLiteral("1");
    for (int kind = 1; kind <= 6; ++kind) {
        m_reference[size_t(kind - 1)]->setText(
            ini.readString(section, calibrationKey(gear, kind, false), one));
        m_coefficient[size_t(kind - 1)]->setText(
            ini.readString(section, calibrationKey(gear, kind, true), one));
    }
}

bool TF_bd::showsCurrentGear() {
    if (m_card.load->currentGear() == m_gear) return true;
    fillFromChannelFile();
    return false;
}

void TF_bd::showLiveLoad() {
    showsCurrentGear();
    const float load = m_card.record.load.load(std::memory_order_relaxed);
    m_liveLoad->setText(FormatByDecimals(m_card.load->decimals(), load));
}

void TF_bd::takePoint(int kind) {
    if (!showsCurrentGear()) {
        prompts().message(kGearChanged);
        return;
    }
    QLineEdit* reference = m_reference[size_t(kind - 1)];
    if (reference->text().isEmpty()) {
        prompts().message(kReferenceMissing);
        reference->setFocus();
        return;
    }
    QString error;
    const std::optional<double> value = readFloat(reference->text(), &error);
    if (!value) {
        prompts().message(error, kPromptCaption, PromptIcon::Stop);
        reference->setFocus();
        return;
    }
    Tload::CalibrationOutcome outcome;
    auditedSave(m_card.load->applicationFolder(), m_card.load->channelConfigPath(),
                [&] { outcome = m_card.load->CalibratePoint(kind, static_cast<float>(*value)); });
    // A point the channel took is in force even when its file could not be written: show what it uses.
    if (!outcome.coefficient.isEmpty()) {
        m_coefficient[size_t(kind - 1)]->setText(outcome.coefficient);
        // A compression point sets the tension point by mirror image; a step from the tension edit's old
        // value would undo that.
        if (kind <= 3) m_coefficient[size_t(kind + 2)]->setText(outcome.coefficient);
    }
    const QString failure = failureText(outcome);
    if (!failure.isEmpty()) prompts().message(failure, kErrorCaption, PromptIcon::Stop);
}

void TF_bd::stepCoefficient(int kind, int step) {
    if (!showsCurrentGear()) {
        prompts().message(kGearChanged);
        return;
    }
    QLineEdit* coefficient = m_coefficient[size_t(kind - 1)];
    QString error;
    const std::optional<double> base = readFloat(coefficient->text(), &error);
    if (!base) {
        prompts().message(error, kPromptCaption, PromptIcon::Stop);
        coefficient->setFocus();
        return;
    }
    Tload::CalibrationOutcome outcome;
    auditedSave(m_card.load->applicationFolder(), m_card.load->channelConfigPath(), [&] {
        outcome = m_card.load->AdjustCoefficient(kind, static_cast<int8_t>(step), static_cast<float>(*base));
    });
    if (!outcome.coefficient.isEmpty()) coefficient->setText(outcome.coefficient);
    const QString failure = failureText(outcome);
    if (!failure.isEmpty()) prompts().message(failure, kErrorCaption, PromptIcon::Stop);
}

}  // namespace springtest
