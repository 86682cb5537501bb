#pragma once

#include <QDialog>

class QListWidget;

namespace springtest {

// "皮肤选择": the skins of the console by name, the current one selected. Accepting leaves the chosen one in
// `chosen()`; applying it is the caller's.
class SkinDialog : public QDialog {
    Q_OBJECT
public:
    explicit SkinDialog(int current, QWidget* parent = nullptr);

    int chosen() const;

private:
    QListWidget* m_list = nullptr;
};

}  // namespace springtest
