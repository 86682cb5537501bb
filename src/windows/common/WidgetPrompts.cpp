#include "windows/common/WidgetPrompts.h"

#include "windows/common/WindowTexts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>

namespace springtest {

namespace {

QMessageBox::Icon iconOf(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Critical:
        case PromptIcon::Stop:
            return QMessageBox::Critical;
        case PromptIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QWidget* parentWindow() {
    return QApplication::activeWindow();
}

}  // namespace

QString qtFileFilter(const QString& filter) {
    // The established form is "description|pattern"; Qt wants "description (pattern)".
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2) return filter;
    QString description = parts[0];
    const qsizetype paren = description.indexOf(QLatin1Char('('));
    if (paren >= 0) description = description.left(paren);
    return description.trimmed() + QStringLiteral(" (") + parts[1] + QLatin1Char(')');
}

WidgetPrompts::WidgetPrompts() = default;
WidgetPrompts::~WidgetPrompts() = default;

void WidgetPrompts::message(const QString& text, const QString& caption, PromptIcon icon) {
    QMessageBox box(iconOf(icon), caption, text, QMessageBox::Ok, parentWindow());
    box.exec();
}

bool WidgetPrompts::question(const QString& text, const QString& caption, PromptIcon icon) {
    QMessageBox box(iconOf(icon), caption, text, QMessageBox::Yes | QMessageBox::No, parentWindow());
    box.setButtonText(QMessageBox::Yes, kYes);
    box.setButtonText(QMessageBox::No, kNo);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> WidgetPrompts::input(const QString& caption, const QString& label,
                                            const QString& value) {
    bool ok = false;
    const QString text = QInputDialog::getText(parentWindow(), caption, label, QLineEdit::Normal, value, &ok);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<QString> WidgetPrompts::password(const QString& caption, const QString& label) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parentWindow(), caption, label, QLineEdit::Password, QString(), &ok);
    if (!ok) return std::nullopt;
    return text;
}

QString WidgetPrompts::openFile(const QString& title, const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileName(parentWindow(), title, folder, qtFileFilter(filter));
}

QString WidgetPrompts::saveFile(const QString& title, const QString& folder, const QString& filter) {
    // The windows ask their own overwrite question in their own words; the dialog must not ask it first.
    return QFileDialog::getSaveFileName(parentWindow(), title, folder, qtFileFilter(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void WidgetPrompts::progressStart(const QString& caption, const QString& text, int maximum) {
    m_progress = std::make_unique<QProgressDialog>(text, QString(), 0, std::max(0, maximum), parentWindow());
    m_progress->setWindowTitle(caption);
    m_progress->setWindowModality(Qt::ApplicationModal);
    m_progress->setMinimumDuration(0);
    m_progress->setValue(0);
}

void WidgetPrompts::progressStep(int value) {
    if (m_progress) m_progress->setValue(value);
}

void WidgetPrompts::progressEnd() {
    m_progress.reset();
}

}  // namespace springtest
