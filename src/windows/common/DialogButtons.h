#pragma once

class QDialog;
class QPushButton;
class QWidget;

namespace springtest {

// The settings dialogs' common frame: their content above a right-aligned row of "确定" (`bsSkinButton1`, the
// default button) and "取消" (`bsSkinButton2`), at the size that fits them.
struct DialogButtons {
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};
DialogButtons layOutWithOkCancel(QDialog& dialog, QWidget* content);

}  // namespace springtest
