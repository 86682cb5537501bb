#include "windows/common/TypingFilters.h"

#include "platform/Prompts.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace springtest {

namespace {

const QString kTwoPoints = QStringLiteral("输入了两个小数点");
const QChar kBackspace(0x08);

QRegularExpression pasteRule(NumberKeys keys) {
    switch (keys) {
        case NumberKeys::Count:
            return QRegularExpression(QStringLiteral("[1-9]{0,2}"));
        case NumberKeys::OneDecimal:
            return QRegularExpression(QStringLiteral("[0-9]*\\.?[0-9]*"));
        case NumberKeys::Decimals:
            break;
        case NumberKeys::Digits:
            return QRegularExpression(QStringLiteral("[0-9]*"));
        case NumberKeys::OneToSeven:
            return QRegularExpression(QStringLiteral("[1-7]*"));
        case NumberKeys::ZeroToFive:
            return QRegularExpression(QStringLiteral("[0-5]*"));
        case NumberKeys::SignedWhole:
            return QRegularExpression(QStringLiteral("[-0-9]*"));
        case NumberKeys::SignedOneDecimal:
            return QRegularExpression(QStringLiteral("[-0-9]*\\.?[-0-9]*"));
    }
    return QRegularExpression(QStringLiteral("[0-9.]*"));
}

}  // namespace

bool acceptsKey(NumberKeys keys, const QString& current, const QString& typed, bool* secondPoint) {
    if (secondPoint) *secondPoint = false;
    if (typed.size() != 1) return typed.isEmpty();
    const QChar c = typed[0];
    if (c == kBackspace) return true;
    const auto within = [c](char first, char last) {
        return c >= QLatin1Char(first) && c <= QLatin1Char(last);
    };
    const bool secondDecimalPoint = c == QLatin1Char('.') && current.contains(QLatin1Char('.'));
    switch (keys) {
        case NumberKeys::Count:
            return c >= QLatin1Char('1') && c <= QLatin1Char('9');
        case NumberKeys::OneDecimal:
            if (c == QLatin1Char('.') && current.contains(QLatin1Char('.'))) {
                if (secondPoint) *secondPoint = true;
                return false;
            }
            [[fallthrough]];
        case NumberKeys::Decimals:
            return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.');
        case NumberKeys::Digits:
            return within('0', '9');
        case NumberKeys::OneToSeven:
            return within('1', '7');
        case NumberKeys::ZeroToFive:
            return within('0', '5');
        case NumberKeys::SignedWhole:
            return within('0', '9') || c == QLatin1Char('-');
        case NumberKeys::SignedOneDecimal:
            if (secondDecimalPoint) {
                if (secondPoint) *secondPoint = true;
                return false;
            }
            return within('0', '9') || c == QLatin1Char('-') || c == QLatin1Char('.');
    }
    return false;
}

NumberKeyFilter::NumberKeyFilter(NumberKeys keys, QLineEdit* edit)
    : QObject(edit), m_keys(keys), m_edit(edit) {
    edit->installEventFilter(this);
    edit->setValidator(new QRegularExpressionValidator(pasteRule(keys), edit));
}

bool NumberKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_edit || event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // Delete and the editing keys type nothing here, whatever text the platform attaches to them.
    if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
        key->key() == Qt::Key_Escape || key->key() == Qt::Key_Tab)
        return false;
    // Shortcuts (copy, paste, select all) keep working; what they paste is held to the same rule.
    if (key->modifiers() & Qt::ControlModifier) return false;
    bool secondPoint = false;
    if (acceptsKey(m_keys, m_edit->text(), key->text(), &secondPoint)) return false;
    if (secondPoint) prompts().message(kTwoPoints);
    return true;
}

void filterNumberKeys(QLineEdit* edit, NumberKeys keys) {
    new NumberKeyFilter(keys, edit);
}

void filterNumberKeys(QComboBox* combo, NumberKeys keys) {
    if (combo->lineEdit()) filterNumberKeys(combo->lineEdit(), keys);
}

void WheelGuard::guard(QComboBox* combo) {
    combo->installEventFilter(this);
    // A wheel over the combo box must not give it the focus either.
    combo->setFocusPolicy(Qt::StrongFocus);
}

bool WheelGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && qobject_cast<QComboBox*>(watched)) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QWidget* NumberCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex&) const {
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    filterNumberKeys(edit, NumberKeys::Decimals);
    return edit;
}

}  // namespace springtest
