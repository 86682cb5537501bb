#include "windows/setup/TFzero.h"

#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "session/HardwareSettings.h"
#include "windows/setup/SettingsChangeWatch.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace springtest {

namespace {

const QString kSection = QStringLiteral("load");
const QString kKey = QStringLiteral("load_zero");
constexpr int kLowestControl = 0;
constexpr int kHighestControl = 4000;
constexpr int kMiddleControl = 2000;

}  // namespace

TFzero::TFzero(const QString& applicationFolder, QWidget* parent)
    : QDialog(parent), m_settingsFile(hardwareSettingsFile(applicationFolder)) {
    setObjectName(QStringLiteral("TFzero"));
    setWindowTitle(QStringLiteral("系统调零"));

    auto* pages = new QTabWidget(this);
    auto* page = new QWidget(pages);
    m_control = new QScrollBar(Qt::Horizontal, page);
    m_control->setObjectName(QStringLiteral("ScrollBar_zero"));
    m_control->setRange(kLowestControl, kHighestControl);
    m_control->setMinimumWidth(300);
    m_value = new QLineEdit(page);
    m_value->setObjectName(QStringLiteral("Edit_zero"));
    m_value->setReadOnly(true);
    m_value->setAlignment(Qt::AlignRight);
    auto* physicalZero = new QLabel(QStringLiteral("0.00"), page);
    physicalZero->setObjectName(QStringLiteral("Label_physical_zero"));
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("控制量:"), page), 0, 0);
    grid->addWidget(m_control, 0, 1);
    grid->addWidget(m_value, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("传感器物理零点："), page), 1, 0);
    grid->addWidget(physicalZero, 1, 1);
    pages->addTab(page, QStringLiteral("负荷硬件调零"));
    (new QVBoxLayout(this))->addWidget(pages);

    const int stored = ProfileFile(m_settingsFile).readInt(kSection, kKey, kMiddleControl);
    m_control->setValue(stored);
    m_value->setText(QString::number(m_control->value()));
    m_changes = new SettingsChangeWatch(applicationFolder, m_settingsFile, kSection, this);
    connect(m_control, &QScrollBar::valueChanged, this, &TFzero::store);
}

void TFzero::store(int value) {
    m_value->setText(QString::number(value));
    QString error;
    const bool written = ProfileFile(m_settingsFile).writeInt(kSection, kKey, value, &error);
    // A drag moves the bar many times a second: one message per run of failures, not one per step.
    if (!written && !m_lastWriteFailed) prompts().message(error, kPromptCaption, PromptIcon::Stop);
    m_lastWriteFailed = !written;
    if (written) m_changes->changed();
}

}  // namespace springtest
