#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QTableWidget;

namespace springtest {

// "审计记录": the audit trail of the machine's settings, newest first — when, who, which file, section and
// key, the value before and after. Read only: nothing in it can be edited or deleted from the program. The
// filter box keeps the rows whose key or section holds its text (without regard to case).
class TF_audit : public QDialog {
    Q_OBJECT
public:
    explicit TF_audit(const QString& applicationFolder, QWidget* parent = nullptr);

    // The rows shown now.
    int shownRows() const;

private:
    void applyFilter(const QString& text);

    QLineEdit* m_filter = nullptr;
    QTableWidget* m_grid = nullptr;
    QLabel* m_status = nullptr;
    int m_entries = 0;
};

}  // namespace springtest
