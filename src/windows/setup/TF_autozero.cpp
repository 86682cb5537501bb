#include "windows/setup/TF_autozero.h"

#include "calibration/PlatenAlignment.h"
#include "platform/NumberEntry.h"
#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace springtest {

namespace {

const QString kNoReturnHeight = QStringLiteral("请填入返回高度!!");
const QString kCannotDescend = QStringLiteral("横梁无法下行，自动对盘未开始!!");

const char* const kNotes[] = {
    "    该功能是设备自动行走至两压盘接触，",
    "当施加到最大负荷的3%时位移清零，然",
    "后自动返回到设置的高度，",
    "    注意：该功能必须经过厂家人员培训后",
    "才能使用，避免在使用过程中造成负荷",
    "传感器等器件的损坏！！",
};

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TF_autozero::TF_autozero(CardSlot& card0, QWidget* parent)
    : QDialog(parent), m_alignment(new PlatenAlignment(card0, this)) {
    setObjectName(QStringLiteral("TF_autozero"));
    setWindowTitle(QStringLiteral("自动对盘设置"));

    m_returnHeight = new QLineEdit(QStringLiteral("50"), this);
    m_returnHeight->setObjectName(QStringLiteral("bsSkinEdit1"));
    m_returnHeight->setAlignment(Qt::AlignRight);
    m_returnHeight->setFixedWidth(90);
    auto* heightRow = new QHBoxLayout;
    heightRow->addWidget(new QLabel(QStringLiteral("返回高度"), this));
    heightRow->addWidget(m_returnHeight);
    heightRow->addWidget(new QLabel(QStringLiteral("mm"), this));
    heightRow->addStretch();

    auto* notes = new QGroupBox(kPromptCaption, this);
    auto* noteLines = new QVBoxLayout(notes);
    for (const char* line : kNotes) noteLines->addWidget(new QLabel(QString::fromUtf8(line), notes));

    m_start = button(QStringLiteral("bsSkinButton1"), QStringLiteral("自动对盘"), this);
    m_stop = button(QStringLiteral("bsSkinSpeedButton1"), QStringLiteral("停止"), this);
    m_close = button(QStringLiteral("bsSkinButton2"), QStringLiteral("关闭"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addStretch();
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heightRow);
    layout->addWidget(notes);
    layout->addLayout(buttons);

    connect(m_start, &QPushButton::clicked, this, &TF_autozero::startAlignment);
    connect(m_stop, &QPushButton::clicked, this, &TF_autozero::stopAlignment);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
}

TF_autozero::~TF_autozero() {
    if (m_alignment->running()) m_alignment->Stop();
}

void TF_autozero::startAlignment() {
    const QString text = m_returnHeight->text();
    if (text.trimmed().isEmpty()) {
        prompts().message(kNoReturnHeight);
        m_returnHeight->setFocus();
        return;
    }
    QString error;
    const std::optional<double> returnHeight_mm = readFloat(text, &error);
    if (!returnHeight_mm) {
        prompts().message(error, kPromptCaption, PromptIcon::Stop);
        m_returnHeight->setFocus();
        return;
    }
    if (m_alignment->Start(static_cast<float>(*returnHeight_mm)) != PlatenAlignment::StartResult::Started)
        prompts().message(kCannotDescend, kPromptCaption, PromptIcon::Warning);
}

void TF_autozero::done(int result) {
    if (m_alignment->running()) m_alignment->Stop();
    QDialog::done(result);
}

void TF_autozero::stopAlignment() {
    m_alignment->Stop();
}

}  // namespace springtest
