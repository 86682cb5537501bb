#include "windows/browser/TF_reportnameset.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "results/ReportNames.h"
#include "storage/Schema.h"
#include "windows/common/WindowTexts.h"

namespace springtest {

namespace {

void showAll(const QStringList& messages) {
    for (const QString& text : messages) prompts().message(text);
}

}  // namespace

TF_reportnameset::TF_reportnameset(QString applicationFolder, QWidget* parent)
    : QDialog(parent), m_applicationFolder(std::move(applicationFolder)) {
    setObjectName(QStringLiteral("TF_reportnameset"));
    setWindowTitle(kReportNamesTitle);

    m_names = new QComboBox(this);
    m_names->setObjectName(QStringLiteral("report_name_com"));
    m_names->setEditable(true);
    m_names->setInsertPolicy(QComboBox::NoInsert);
    m_names->setMinimumWidth(200);

    m_withChart = new QCheckBox(QStringLiteral("是否输出曲线"), this);
    m_withChart->setObjectName(QStringLiteral("bsSkinCheckRadioBox1"));
    m_chartRange = new QLineEdit(this);
    m_chartRange->setObjectName(QStringLiteral("bsSkinEdit1"));
    m_chartRange->setEnabled(false);
    // Only the operator's own click decides whether the range can be typed; loading a record does not.
    connect(m_withChart, &QCheckBox::clicked, m_chartRange, &QWidget::setEnabled);

    const auto button = [this](const char* name, const QString& caption,
                               void (TF_reportnameset::*command)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, command);
        return b;
    };
    auto* open = button("open_button", QStringLiteral("打开"), &TF_reportnameset::openName);
    auto* save = button("save_button", kSaveButton, &TF_reportnameset::saveName);
    auto* remove = button("delete_button", kDeleteButton, &TF_reportnameset::deleteName);
    auto* cancel = new QPushButton(kCancelButton, this);
    cancel->setObjectName(QStringLiteral("bsSkinSpeedButton1"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("报表名称："), this), 0, 0);
    fields->addWidget(m_names, 0, 1);
    fields->addWidget(m_withChart, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("曲线输出位置："), this), 2, 0);
    fields->addWidget(m_chartRange, 2, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {open, save, remove, cancel}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    QString error;
    m_names->addItems(reportNames(schemeDatabase(), &error));
    if (!error.isEmpty()) prompts().message(error);
    m_names->setCurrentIndex(-1);
    m_names->setEditText(QString());
}

QString TF_reportnameset::schemeDatabase() const {
    return schemeDatabasePath(m_applicationFolder);
}
QString TF_reportnameset::name() const {
    return m_names->currentText();
}

void TF_reportnameset::openName() {
    QString error;
    const std::optional<ReportName> report = loadReportName(schemeDatabase(), name(), &error);
    if (!error.isEmpty()) {
        prompts().message(error);
        return;
    }
    m_withChart->setChecked(report && report->chartFlag);
    m_chartRange->setText(report ? report->chartRange : QString());
}

void TF_reportnameset::saveName() {
    const ReportName report{name(), m_chartRange->text(), m_withChart->isChecked()};
    const ReportNameOutcome outcome = saveReportName(schemeDatabase(), report, [](const QString& question) {
        return prompts().question(question, kPromptCaption, PromptIcon::Information);
    });
    showAll(outcome.messages);
}

void TF_reportnameset::deleteName() {
    showAll(deleteReportName(schemeDatabase(), name()).messages);
}

}  // namespace springtest
