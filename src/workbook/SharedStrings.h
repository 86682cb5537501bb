#pragma once

#include <QHash>
#include <QString>
#include <pugixml.hpp>
#include <vector>

namespace springtest {

// The workbook's shared string table: every text a cell holds, stored once.
class SharedStrings {
public:
    // An error when the part is no string table.
    QString attach(pugi::xml_document* doc);
    // The index of an item that reads `text`, added when there is none; counts one more use.
    int indexOf(const QString& text);
    QString text(int index) const;
    // Brings the counts up to date.
    void finish();

    // SpreadsheetML spells characters that XML 1.0 cannot hold as _xHHHH_ (and a literal "_xHHHH_" with its
    // underscore so spelled); these convert between a cell's text and that form.
    static QString encode(const QString& text);
    static QString decode(const QString& stored);

private:
    pugi::xml_node m_root;
    std::vector<pugi::xml_node> m_items;
    QHash<QString, int> m_plain;  // items of one unformatted run
    int m_addedUses = 0;
};

}  // namespace springtest
