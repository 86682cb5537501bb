#pragma once

#include <QDialog>

class QLineEdit;

namespace springtest {

// The operator login of "登录": accepted when the user and password match an account of the application
// folder; a wrong pair is told and the dialog stays for another try; 取消 rejects.
class LoginDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoginDialog(const QString& applicationFolder, QWidget* parent = nullptr);

private:
    void tryLogin();

    QString m_applicationFolder;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
};

}  // namespace springtest
