#pragma once

#include "windows/common/FindByName.h"

#include <QString>
#include <QWidget>
#include <QtGlobal>

namespace springtest::testing {

// The component of a window by its name; a window without it ends the test there, naming the component: a
// test cannot go on to look at a component that is not there.
template <typename T = QWidget>
T* get(QWidget* window, const QString& name) {
    T* w = findByName<T>(window, name);
    if (!w) qFatal("no component %s", qPrintable(name));
    return w;
}

}  // namespace springtest::testing
