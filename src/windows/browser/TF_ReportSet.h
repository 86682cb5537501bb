#pragma once

#include "results/LeafReportSettings.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QLineEdit;

namespace springtest {

// "报表设置" of the leaf-spring machine: the sample's description and the nominal values and tolerances that
// the test record prints and judges against, kept in "Report.ini". The window shows the file's values when
// it opens and writes them all back on "保存"; closing it without saving leaves the file as it was.
class TF_ReportSet : public QDialog {
    Q_OBJECT
public:
    explicit TF_ReportSet(QString applicationFolder, QWidget* parent = nullptr);

    void save();  // "保存"

private:
    LeafReportSettings fields() const;

    QString m_applicationFolder;
    std::array<QLineEdit*, kReportFieldCount> m_edits{};  // bsSkinEdit1 … bsSkinEdit16
    QButtonGroup* m_stiffnessMethod = nullptr;
    int m_loadedMethod = 0;  // what the file held, kept when it names no choice of the window
};

}  // namespace springtest
