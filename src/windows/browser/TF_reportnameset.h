#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace springtest {

// "报表设置" of the result browser: the named reports of the scheme database, each saying whether the curve
// picture goes into the report and at which cell range. The list of names is read when the window opens.
class TF_reportnameset : public QDialog {
    Q_OBJECT
public:
    explicit TF_reportnameset(QString applicationFolder, QWidget* parent = nullptr);

    void openName();    // "打开"
    void saveName();    // "保存"
    void deleteName();  // "删除"

private:
    QString schemeDatabase() const;
    QString name() const;

    QString m_applicationFolder;
    QComboBox* m_names = nullptr;
    QCheckBox* m_withChart = nullptr;
    QLineEdit* m_chartRange = nullptr;
};

}  // namespace springtest
