#include "windows/setup/TF_pid_adjust.h"

#include "measurement/CardSlot.h"
#include "measurement/ChannelConfig.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "windows/common/WindowTexts.h"
#include "windows/setup/SettingsChangeWatch.h"

#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace springtest {

namespace {

const QString kPidSection = QStringLiteral("PID");
constexpr double kPositionsPerGain = 1000.0;
const QString kOutOfRange = QStringLiteral("PID参数超出调节范围，未作修改：");

QString gainText(int position) {
    return QString::number(position / kPositionsPerGain, 'g', QLocale::FloatingPointShortest);
}

}  // namespace

TF_pid_adjust::TF_pid_adjust(CardSlot& card, int cardIndex, QWidget* parent) : QDialog(parent), m_card(card) {
    setObjectName(QStringLiteral("TF_pid_adjust"));
    setWindowTitle(QStringLiteral("PID调节"));
    setAttribute(Qt::WA_DeleteOnClose);
    const TPassage* channel = card.motor ? static_cast<const TPassage*>(card.motor.get()) : card.load.get();
    m_channelFile = channel ? channel->channelConfigPath() : QString();
    (void)cardIndex;  // the slot is the card; the index only names it to the main window
    if (channel)
        m_changes = new SettingsChangeWatch(channel->applicationFolder(), m_channelFile, kPidSection, this);

    static const Slider kDisplacement[] = {
        {"ScrollBar_WY_P", "Displacement_P", PidGain::DisplacementP, 10000},
        {"ScrollBar_WY_I", "Displacement_I", PidGain::DisplacementI, 100000},
        {"ScrollBar_WY_D", "Displacement_D", PidGain::DisplacementD, 100000},
    };
    static const Slider kLoad[] = {
        {"ScrollBar_LOAD_P", "Load_P", PidGain::LoadP, 10000},
        {"ScrollBar_LOAD_I", "Load_I", PidGain::LoadI, 1000000},
        {"ScrollBar_LOAD_D", "Load_D", PidGain::LoadD, 100000},
    };

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("bsSkinPageControl1"));
    struct Placed {
        QScrollBar* bar;
        QLabel* label;
        const Slider* slider;
    };
    QList<Placed> sliders;
    for (const auto& [title, group] :
         {std::pair{kDisplacementName, kDisplacement}, std::pair{kLoadName, kLoad}}) {
        auto* page = new QWidget(pages);
        page->setLayout(new QGridLayout);
        for (int row = 0; row < 3; ++row) {
            const auto [bar, label] = addSlider(group[row], page, row);
            sliders.append({bar, label, &group[row]});
        }
        pages->addTab(page, title);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    resize(480, 200);

    // Each slider starts where the file has it; a slider that moves runs its handler as any later move does.
    // A value the slider cannot reach stays as it is, in the file and in the servo, until the operator moves
    // that slider: it is shown, said, and never silently cut to the slider's end.
    const ProfileSnapshot file = ProfileFile(m_channelFile).snapshot();
    QStringList outOfRange;
    for (const auto& [bar, label, slider] : sliders) {
        const QString key = QLatin1String(slider->key);
        const int position = file.readInt(kPidSection, key, 0);
        if (position >= bar->minimum() && position <= bar->maximum()) {
            bar->setValue(position);
            continue;
        }
        const QSignalBlocker quiet(bar);
        bar->setValue(position);
        label->setText(gainText(position));
        outOfRange << key + QLatin1Char('=') + QString::number(position);
    }
    if (!outOfRange.isEmpty())
        prompts().message(kOutOfRange + outOfRange.join(QStringLiteral("，")), kPromptCaption,
                          PromptIcon::Warning);
}

std::pair<QScrollBar*, QLabel*> TF_pid_adjust::addSlider(const Slider& slider, QWidget* page, int row) {
    const QString name = QLatin1String(slider.name);
    auto* bar = new QScrollBar(Qt::Horizontal, page);
    bar->setObjectName(name);
    bar->setRange(0, slider.maximum);
    bar->setMinimumWidth(300);
    auto* value = new QLabel(QStringLiteral("0"), page);
    value->setObjectName(QStringLiteral("Label_") + name.mid(QStringLiteral("ScrollBar_").size()));
    value->setMinimumWidth(60);
    auto* grid = static_cast<QGridLayout*>(page->layout());
    grid->addWidget(new QLabel(name.right(1), page), row, 0);
    grid->addWidget(bar, row, 1);
    grid->addWidget(value, row, 2);
    connect(bar, &QScrollBar::valueChanged, this,
            [this, &slider, value](int position) { applyGain(slider, *value, position); });
    return {bar, value};
}

void TF_pid_adjust::applyGain(const Slider& slider, QLabel& label, int position) {
    const QString text = gainText(position);
    label.setText(text);
    if (m_card.motor) m_card.motor->SetPidGain(slider.gain, text.toDouble());
    QString error;
    if (!ProfileFile(m_channelFile).writeInt(kPidSection, QLatin1String(slider.key), position, &error)) {
        if (!m_writeFailed) prompts().message(error, kErrorCaption, PromptIcon::Stop);
        m_writeFailed = true;
    } else if (m_changes) {
        m_changes->changed();
    }
}

}  // namespace springtest
