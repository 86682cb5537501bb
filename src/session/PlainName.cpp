#include "session/PlainName.h"

#include <algorithm>

namespace springtest {

bool isPlainName(const QString& name) {
    return std::none_of(name.cbegin(), name.cend(), [](QChar c) {
        const QChar::Category category = c.category();
        return category == QChar::Other_Control || category == QChar::Separator_Line ||
               category == QChar::Separator_Paragraph;
    });
}

}  // namespace springtest
