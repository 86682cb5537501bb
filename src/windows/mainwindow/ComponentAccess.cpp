#include "windows/mainwindow/ComponentAccess.h"

#include "windows/common/FindByName.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>

namespace springtest {

namespace {

// The radio buttons of a group, in the order the group shows them.
QList<QAbstractButton*> groupButtons(QObject* group) {
    if (auto* buttons = qobject_cast<QButtonGroup*>(group)) {
        QList<QAbstractButton*> list = buttons->buttons();
        // Items numbered by id when the group gives ids 0, 1, …; otherwise in the order they were added.
        bool numbered = true;
        for (int i = 0; i < list.size() && numbered; ++i) numbered = buttons->button(i) != nullptr;
        if (numbered)
            for (int i = 0; i < list.size(); ++i) list[i] = buttons->button(i);
        return list;
    }
    QList<QAbstractButton*> list;
    for (QRadioButton* b : group->findChildren<QRadioButton*>()) list << b;
    return list;
}

}  // namespace

bool setComponentText(QObject* root, const QString& name, const QString& text) {
    QObject* component = findByName(root, name);
    if (!component) return false;
    if (auto* bar = qobject_cast<QStatusBar*>(component)) {
        bar->showMessage(text);
        return true;
    }
    return component->setProperty("text", text);
}

QString componentText(QObject* root, const QString& name) {
    QObject* component = findByName(root, name);
    if (!component) return QString();
    if (auto* bar = qobject_cast<QStatusBar*>(component)) return bar->currentMessage();
    return component->property("text").toString();
}

bool clickComponent(QObject* root, const QString& name) {
    QObject* component = findByName(root, name);
    if (auto* button = qobject_cast<QAbstractButton*>(component)) {
        button->click();
        return true;
    }
    if (auto* action = qobject_cast<QAction*>(component)) {
        action->trigger();
        return true;
    }
    return false;
}

bool setRadioGroupItem(QObject* root, const QString& name, int item) {
    QObject* group = findByName(root, name);
    if (!group) return false;
    if (group->property("itemIndex").isValid()) return group->setProperty("itemIndex", item);
    const QList<QAbstractButton*> buttons = groupButtons(group);
    if (item < 0 || item >= buttons.size() || !buttons[item]) return false;
    buttons[item]->setChecked(true);
    return true;
}

int radioGroupItem(QObject* root, const QString& name) {
    QObject* group = findByName(root, name);
    if (!group) return -1;
    const QVariant index = group->property("itemIndex");
    if (index.isValid()) return index.toInt();
    const QList<QAbstractButton*> buttons = groupButtons(group);
    for (int i = 0; i < buttons.size(); ++i)
        if (buttons[i] && buttons[i]->isChecked()) return i;
    return -1;
}

bool setActivePage(QObject* root, const QString& name, int page) {
    QObject* pages = findByName(root, name);
    if (!pages || !pages->property("currentIndex").isValid()) return false;
    pages->setProperty("currentIndex", page);
    return pages->property("currentIndex").toInt() == page;
}

bool setPageTabVisible(QObject* root, const QString& pageName, bool visible) {
    auto* page = findByName<QWidget>(root, pageName);
    for (QObject* up = page ? page->parent() : nullptr; up; up = up->parent()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(up)) {
            const int index = tabs->indexOf(page);
            if (index < 0) return false;
            tabs->setTabVisible(index, visible);
            return true;
        }
    }
    return false;
}

bool setComponentEnabled(QObject* root, const QString& name, bool enabled) {
    QObject* component = findByName(root, name);
    if (auto* widget = qobject_cast<QWidget*>(component)) {
        widget->setEnabled(enabled);
        return true;
    }
    if (auto* action = qobject_cast<QAction*>(component)) {
        action->setEnabled(enabled);
        return true;
    }
    return false;
}

}  // namespace springtest
