#pragma once

#include <QDialog>

#include <memory>

class QPushButton;
class QTableWidget;

namespace springtest {

class OverloadLog;

// "过载查询": the recorded load overloads, read-only, and their deletion for service staff who know the
// password. The log stays open while the window is open.
class TF_gz : public QDialog {
    Q_OBJECT
public:
    explicit TF_gz(const QString& applicationFolder, QWidget* parent = nullptr);
    ~TF_gz() override;

    // "删除": the current record, after the password.
    void deleteCurrent();
    // "全部删除": every record, after the password.
    void deleteAll();

private:
    void reload();
    // Whether there is anything to delete and the operator gave the password; says why not otherwise.
    bool mayDelete();

    std::unique_ptr<OverloadLog> m_log;
    QList<qint64> m_rowIds;  // the stored row of each grid row
    QTableWidget* m_grid = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_deleteAll = nullptr;
};

}  // namespace springtest
