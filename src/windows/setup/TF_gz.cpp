#include "windows/setup/TF_gz.h"

#include "platform/Prompts.h"
#include "storage/OverloadLog.h"
#include "windows/common/ResultGrids.h"
#include "windows/common/WindowTexts.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace springtest {

namespace {

const QString kNoRecords = QStringLiteral("当前无记录！！");
const QString kWrongPassword = QStringLiteral("密码错误，无法删除！！");
// Service staff and the files they keep rely on this password; it is compared exactly.
const QString kServicePassword = QStringLiteral("469318");

QString timeText(const QDateTime& time) {
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

}  // namespace

TF_gz::TF_gz(const QString& applicationFolder, QWidget* parent)
    : QDialog(parent), m_log(std::make_unique<OverloadLog>(applicationFolder)) {
    setObjectName(QStringLiteral("TF_gz"));
    setWindowTitle(QStringLiteral("过载查询"));

    m_grid = makeResultGrid(QStringLiteral("bsSkinDBGrid1"), false, this);
    m_delete = new QPushButton(kDeleteButton, this);
    m_delete->setObjectName(QStringLiteral("bsSkinButton1"));
    m_deleteAll = new QPushButton(QStringLiteral("全部删除"), this);
    m_deleteAll->setObjectName(QStringLiteral("bsSkinButton2"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_delete);
    buttons->addWidget(m_deleteAll);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid);
    layout->addLayout(buttons);
    resize(460, 360);

    connect(m_delete, &QPushButton::clicked, this, &TF_gz::deleteCurrent);
    connect(m_deleteAll, &QPushButton::clicked, this, &TF_gz::deleteAll);
    reload();
}

TF_gz::~TF_gz() = default;

void TF_gz::reload() {
    const std::optional<QList<OverloadRecord>> records = m_log->list();
    m_rowIds.clear();
    const QList<OverloadRecord> shown = records.value_or(QList<OverloadRecord>{});
    for (const OverloadRecord& record : shown) m_rowIds.append(record.rowId);
    fillResultGrid(*m_grid,
                   {QStringLiteral("序号"), QStringLiteral("负荷过载值"), QStringLiteral("过载时间")},
                   static_cast<int>(shown.size()), [&](int row, int column) {
                       const OverloadRecord& record = shown[row];
                       switch (column) {
                           case 0:
                               return QString::number(record.number);
                           case 1:
                               return record.loadMax;
                           default:
                               return timeText(record.time);
                       }
                   });
    if (!shown.isEmpty()) placeCurrentRow(*m_grid, 0);
    if (!records) prompts().message(m_log->error(), kErrorCaption, PromptIcon::Stop);
}

bool TF_gz::mayDelete() {
    if (m_rowIds.isEmpty()) {
        prompts().message(kNoRecords);
        return false;
    }
    const std::optional<QString> password =
        prompts().password(QStringLiteral("Password"), QStringLiteral("Password:"));
    if (!password) return false;
    if (*password != kServicePassword) {
        prompts().message(kWrongPassword);
        return false;
    }
    return true;
}

void TF_gz::deleteCurrent() {
    if (!mayDelete()) return;
    const int row = std::clamp(m_grid->currentRow(), 0, static_cast<int>(m_rowIds.size()) - 1);
    if (!m_log->remove(m_rowIds[row])) {
        prompts().message(m_log->error(), kErrorCaption, PromptIcon::Stop);
        return;
    }
    reload();
    // The record that moved up into the deleted one's place is the current one, as in any list.
    if (!m_rowIds.isEmpty()) placeCurrentRow(*m_grid, std::min(row, static_cast<int>(m_rowIds.size()) - 1));
}

void TF_gz::deleteAll() {
    if (!mayDelete()) return;
    if (!m_log->removeAll()) {
        prompts().message(m_log->error(), kErrorCaption, PromptIcon::Stop);
        return;
    }
    reload();
}

}  // namespace springtest
