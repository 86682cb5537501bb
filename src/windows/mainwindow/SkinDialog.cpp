#include "windows/mainwindow/SkinDialog.h"

#include "windows/common/DialogButtons.h"
#include "windows/mainwindow/Skins.h"

#include <QListWidget>
#include <QPushButton>

namespace springtest {

SkinDialog::SkinDialog(int current, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SkinDialog"));
    setWindowTitle(QStringLiteral("皮肤选择"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("SkinList"));
    for (const Skin& skin : skins()) m_list->addItem(skin.name);
    m_list->setCurrentRow(current >= 0 && current < m_list->count() ? current : 0);
    m_list->setFixedHeight(m_list->sizeHintForRow(0) * (m_list->count() + 1));

    const DialogButtons buttons = layOutWithOkCancel(*this, m_list);
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);
    // A double click chooses, as in any list of choices.
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

int SkinDialog::chosen() const {
    return m_list->currentRow();
}

}  // namespace springtest
