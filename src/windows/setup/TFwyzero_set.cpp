#include "windows/setup/TFwyzero_set.h"

#include "platform/Prompts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace springtest {

namespace {

// Said when "设置" is pressed: an operator who follows the instructions must not believe a zero was set.
const QString kNothingToSet = QStringLiteral("本设备没有位移绝对零点，未作任何设置。");

}  // namespace

TFwyzero_set::TFwyzero_set(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFwyzero_set"));
    setWindowTitle(QStringLiteral("位移零点设置"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* instructions = new QGroupBox(QStringLiteral("设置说明"), this);
    auto* lines = new QVBoxLayout(instructions);
    for (const QString& line : {QStringLiteral("    在位移零点的设置之前先将上下压盘压并，使负荷压到满量"),
                                QStringLiteral("程的3%左右，然后点击设置按钮（该操作是针对设备自动驱动"),
                                QStringLiteral("盘功能进行位移零点的设置，如不了解此功能，请误操作。）")})
        lines->addWidget(new QLabel(line, instructions));

    auto* zero = new QLabel(this);
    zero->setObjectName(QStringLiteral("Label_wy_zero"));
    auto* set = new QPushButton(QStringLiteral("设置"), this);
    set->setObjectName(QStringLiteral("bsSkinButton1"));
    set->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("当前位移零点:"), this));
    row->addWidget(zero, 1);
    row->addWidget(set);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instructions);
    layout->addLayout(row);

    connect(set, &QPushButton::clicked, this, &TFwyzero_set::set);
}

void TFwyzero_set::set() {
    prompts().message(kNothingToSet);
}

}  // namespace springtest
