#include "windows/common/FindByName.h"

namespace springtest {

QObject* findByName(QObject* root, const QString& name) {
    if (!root) return nullptr;
    if (root->objectName().compare(name, Qt::CaseInsensitive) == 0) return root;
    for (QObject* child : root->children())
        if (QObject* found = findByName(child, name)) return found;
    return nullptr;
}

}  // namespace springtest
