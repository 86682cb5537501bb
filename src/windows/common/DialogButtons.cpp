#include "windows/common/DialogButtons.h"

#include "windows/common/WindowTexts.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace springtest {

DialogButtons layOutWithOkCancel(QDialog& dialog, QWidget* content) {
    DialogButtons b;
    b.ok = new QPushButton(kOkButton, &dialog);
    b.ok->setObjectName(QStringLiteral("bsSkinButton1"));
    b.ok->setDefault(true);
    b.cancel = new QPushButton(kCancelButton, &dialog);
    b.cancel->setObjectName(QStringLiteral("bsSkinButton2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(b.ok);
    buttons->addWidget(b.cancel);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(content);
    layout->addLayout(buttons);
    dialog.setFixedSize(dialog.sizeHint());
    return b;
}

}  // namespace springtest
