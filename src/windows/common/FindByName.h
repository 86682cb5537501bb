#pragma once

#include <QObject>
#include <QString>

namespace springtest {

// Finds a component by its name without regard to case, searching the whole tree below `root`; how
// windows reach each other's components (the result grid, the direction button, the status panel).
QObject* findByName(QObject* root, const QString& name);

template <typename T>
T* findByName(QObject* root, const QString& name) {
    return qobject_cast<T*>(findByName(root, name));
}

}  // namespace springtest
