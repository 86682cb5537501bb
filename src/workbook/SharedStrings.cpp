#include "workbook/SharedStrings.h"

#include "workbook/XmlNodes.h"

namespace springtest {

namespace {

bool isHex(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

bool escapeAt(const QString& s, qsizetype i) {
    return i + 6 < s.size() && s[i] == QLatin1Char('_') && s[i + 1] == QLatin1Char('x') && isHex(s[i + 2]) &&
           isHex(s[i + 3]) && isHex(s[i + 4]) && isHex(s[i + 5]) && s[i + 6] == QLatin1Char('_');
}

bool outsideXml(char16_t c) {
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF;
}

// The text of an item: its own <t>, or the runs' texts; phonetic hints are no part of it.
QString itemText(const pugi::xml_node& si) {
    QString out;
    for (pugi::xml_node n = si.first_child(); n; n = n.next_sibling()) {
        if (xml::is(n, "t")) out += xml::text(n);
        if (xml::is(n, "r")) out += xml::text(xml::child(n, "t"));
    }
    return SharedStrings::decode(out);
}

}  // namespace

QString SharedStrings::encode(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (outsideXml(c)) {
            out += QLatin1String("_x") +
                   QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0')) + QLatin1Char('_');
        } else if (escapeAt(text, i)) {
            out += QLatin1String("_x005F_");
        } else {
            out += text[i];
        }
    }
    return out;
}

QString SharedStrings::decode(const QString& stored) {
    if (!stored.contains(QLatin1String("_x"))) return stored;
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size();) {
        if (escapeAt(stored, i)) {
            out += QChar(char16_t(stored.mid(i + 2, 4).toUInt(nullptr, 16)));
            i += 7;
        } else {
            out += stored[i++];
        }
    }
    return out;
}

QString SharedStrings::attach(pugi::xml_document* doc) {
    m_root = xml::rootElement(*doc);
    if (!xml::is(m_root, "sst")) return QStringLiteral("the shared string part is no string table");
    for (pugi::xml_node si = xml::child(m_root, "si"); si; si = xml::nextSibling(si, "si")) {
        const pugi::xml_node t = xml::child(si, "t");
        if (t && !xml::child(si, "r")) m_plain.insert(decode(xml::text(t)), static_cast<int>(m_items.size()));
        m_items.push_back(si);
    }
    return {};
}

int SharedStrings::indexOf(const QString& text) {
    ++m_addedUses;
    if (const auto it = m_plain.constFind(text); it != m_plain.constEnd()) return *it;
    pugi::xml_node si = xml::appendElement(m_root, "si");
    pugi::xml_node t = xml::appendElement(si, "t");
    const QString stored = encode(text);
    if (stored != stored.trimmed() || stored.contains(QLatin1Char('\n')) ||
        stored.contains(QLatin1String("  ")))
        t.append_attribute("xml:space").set_value("preserve");
    t.text().set(stored.toUtf8().constData());
    const int index = static_cast<int>(m_items.size());
    m_items.push_back(si);
    m_plain.insert(text, index);
    return index;
}

QString SharedStrings::text(int index) const {
    if (index < 0 || index >= static_cast<int>(m_items.size())) return {};
    return itemText(m_items[static_cast<size_t>(index)]);
}

void SharedStrings::finish() {
    xml::setAttribute(m_root, "uniqueCount", static_cast<int>(m_items.size()));
    const int counted = xml::intAttribute(m_root, "count", 0);
    xml::setAttribute(m_root, "count", std::max(counted + m_addedUses, static_cast<int>(m_items.size())));
    m_addedUses = 0;
}

}  // namespace springtest
