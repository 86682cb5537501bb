#include "windows/mainwindow/LoginDialog.h"

#include "platform/OperatorIdentity.h"
#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "session/OperatorLogin.h"
#include "windows/common/WindowTexts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace springtest {

LoginDialog::LoginDialog(const QString& applicationFolder, QWidget* parent)
    : QDialog(parent), m_applicationFolder(applicationFolder) {
    setWindowTitle(kLoginTitle);
    m_user = new QLineEdit(this);
    m_user->setObjectName(QStringLiteral("UserEdit"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("PasswordEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("用户名："), m_user);
    form->addRow(QStringLiteral("密码："), m_password);

    auto* ok = new QPushButton(kOkButton, this);
    ok->setObjectName(QStringLiteral("LoginOkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(kCancelButton, this);
    cancel->setObjectName(QStringLiteral("LoginCancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &LoginDialog::tryLogin);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void LoginDialog::tryLogin() {
    if (checkOperatorLogin(m_applicationFolder, m_user->text(), m_password->text())) {
        // From here on the tests run and the settings changed are this account's.
        setLoggedInOperator(m_user->text());
        accept();
        return;
    }
    m_password->clear();
    prompts().message(QStringLiteral("用户名或密码错误!!"), kPromptCaption, PromptIcon::Warning);
}

}  // namespace springtest
