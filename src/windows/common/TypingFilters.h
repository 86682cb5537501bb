#pragma once

#include <QObject>
#include <QStyledItemDelegate>

class QComboBox;
class QLineEdit;

namespace springtest {

// What the operator may type into a window's number fields. Keys that type nothing (arrows, Delete,
// Home …) always pass; of the keys that type a character only these do.
enum class NumberKeys {
    Count,             // backspace and the digits 1 to 9
    OneDecimal,        // backspace, digits and one decimal point; a second point is refused with a message
    Decimals,          // backspace, digits and decimal points
    Digits,            // backspace and the digits 0 to 9
    OneToSeven,        // backspace and the digits 1 to 7
    ZeroToFive,        // backspace and the digits 0 to 5
    SignedWhole,       // backspace, digits and minus signs
    SignedOneDecimal,  // backspace, digits, minus signs and one decimal point (a second one is refused)
};

// Whether `typed` (the text of one key press) may go into a field that holds `current`. For a second
// decimal point `*secondPoint` becomes true.
bool acceptsKey(NumberKeys keys, const QString& current, const QString& typed, bool* secondPoint = nullptr);

// Filters the key presses of one line edit (or of an editable combo box's line edit); the same rule also
// holds for pasted text.
class NumberKeyFilter : public QObject {
    Q_OBJECT
public:
    NumberKeyFilter(NumberKeys keys, QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    NumberKeys m_keys;
    QLineEdit* m_edit;
};

void filterNumberKeys(QLineEdit* edit, NumberKeys keys);
void filterNumberKeys(QComboBox* combo, NumberKeys keys);

// The mouse wheel never changes a combo box's selection: a scroll over the window must not change a scheme.
class WheelGuard : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    void guard(QComboBox* combo);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The point table's cells take only digits and decimal points.
class NumberCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
};

}  // namespace springtest
