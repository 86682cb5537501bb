#include "workbook/XmlNodes.h"

#include <cstring>

namespace springtest::xml {

namespace {

constexpr unsigned kParseOptions = pugi::parse_escapes | pugi::parse_cdata | pugi::parse_eol |
                                   pugi::parse_declaration | pugi::parse_ws_pcdata_single |
                                   pugi::parse_comments | pugi::parse_pi;

struct ByteWriter : pugi::xml_writer {
    QByteArray bytes;
    void write(const void* data, size_t size) override {
        bytes.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    }
};

bool declares(const pugi::xml_node& node, const std::string& attributeName, const char* ns) {
    const pugi::xml_attribute a = node.attribute(attributeName.c_str());
    return a && std::strcmp(a.value(), ns) == 0;
}

}  // namespace

bool parse(pugi::xml_document& doc, const QByteArray& bytes, QString* error) {
    const pugi::xml_parse_result r =
        doc.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()), kParseOptions);
    if (!r) {
        if (error)
            *error = QStringLiteral("%1 at byte %2").arg(QString::fromUtf8(r.description())).arg(r.offset);
        return false;
    }
    if (!rootElement(doc)) {
        if (error) *error = QStringLiteral("no root element");
        return false;
    }
    return true;
}

QByteArray serialize(pugi::xml_document& doc) {
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_declaration && n.attribute("encoding"))
            n.attribute("encoding").set_value("UTF-8");
    }
    ByteWriter writer;
    doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return writer.bytes;
}

const char* localName(const pugi::xml_node& node) {
    const char* name = node.name();
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

bool is(const pugi::xml_node& node, const char* local) {
    return node.type() == pugi::node_element && std::strcmp(localName(node), local) == 0;
}

std::string prefixOf(const pugi::xml_node& node) {
    const char* name = node.name();
    const char* colon = std::strchr(name, ':');
    return colon ? std::string(name, static_cast<size_t>(colon - name + 1)) : std::string();
}

pugi::xml_node child(const pugi::xml_node& parent, const char* local) {
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
        if (is(n, local)) return n;
    }
    return {};
}

pugi::xml_node nextSibling(const pugi::xml_node& node, const char* local) {
    for (pugi::xml_node n = node.next_sibling(); n; n = n.next_sibling()) {
        if (is(n, local)) return n;
    }
    return {};
}

pugi::xml_node rootElement(const pugi::xml_document& doc) {
    return doc.document_element();
}

pugi::xml_node appendElement(pugi::xml_node parent, const char* local) {
    return parent.append_child((prefixOf(parent) + local).c_str());
}

pugi::xml_node insertInOrder(pugi::xml_node parent, const char* local,
                             std::initializer_list<const char*> order) {
    int position = -1;
    int i = 0;
    for (const char* name : order) {
        if (std::strcmp(name, local) == 0) position = i;
        ++i;
    }
    const std::string name = prefixOf(parent) + local;
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element) continue;
        int j = 0;
        for (const char* later : order) {
            if (j > position && std::strcmp(localName(n), later) == 0)
                return parent.insert_child_before(name.c_str(), n);
            ++j;
        }
    }
    return parent.append_child(name.c_str());
}

std::string prefixFor(const pugi::xml_node& node, const char* ns) {
    for (pugi::xml_node n = node; n && n.type() == pugi::node_element; n = n.parent()) {
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
            if (std::strncmp(a.name(), "xmlns:", 6) == 0 && std::strcmp(a.value(), ns) == 0)
                return a.name() + 6;
        }
    }
    return {};
}

pugi::xml_attribute relationshipAttribute(const pugi::xml_node& node, const char* local) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const char* colon = std::strchr(a.name(), ':');
        if (!colon || std::strcmp(colon + 1, local) != 0) continue;
        const std::string prefix(a.name(), static_cast<size_t>(colon - a.name()));
        if (prefix == "xmlns") continue;
        const std::string declaration = "xmlns:" + prefix;
        for (pugi::xml_node n = node; n && n.type() == pugi::node_element; n = n.parent()) {
            if (n.attribute(declaration.c_str())) {
                if (declares(n, declaration, kRelationshipsNs) ||
                    declares(n, declaration, kStrictRelationshipsNs))
                    return a;
                break;
            }
        }
    }
    return {};
}

void setRelationshipAttribute(pugi::xml_node node, const char* local, const QString& id) {
    if (pugi::xml_attribute a = relationshipAttribute(node, local)) {
        a.set_value(id.toUtf8().constData());
        return;
    }
    const std::string declared = prefixFor(node, kRelationshipsNs);
    // An "r" bound to something else further up is shadowed on this element only.
    if (declared.empty()) node.append_attribute("xmlns:r").set_value(kRelationshipsNs);
    const std::string name = (declared.empty() ? std::string("r") : declared) + ':' + local;
    node.append_attribute(name.c_str()).set_value(id.toUtf8().constData());
}

QString text(const pugi::xml_attribute& a) {
    return QString::fromUtf8(a.value());
}
QString text(const pugi::xml_node& n) {
    return QString::fromUtf8(n.child_value());
}

void setAttribute(pugi::xml_node node, const char* name, const QString& value) {
    pugi::xml_attribute a = node.attribute(name);
    if (!a) a = node.append_attribute(name);
    a.set_value(value.toUtf8().constData());
}

void setAttribute(pugi::xml_node node, const char* name, int value) {
    pugi::xml_attribute a = node.attribute(name);
    if (!a) a = node.append_attribute(name);
    a.set_value(value);
}

int intAttribute(const pugi::xml_node& node, const char* name, int fallback) {
    const pugi::xml_attribute a = node.attribute(name);
    if (!a) return fallback;
    bool ok = false;
    const int v = QByteArray(a.value()).trimmed().toInt(&ok);
    return ok ? v : fallback;
}

void removeChildren(pugi::xml_node parent, const char* local) {
    for (pugi::xml_node n = parent.first_child(); n;) {
        const pugi::xml_node next = n.next_sibling();
        if (is(n, local)) parent.remove_child(n);
        n = next;
    }
}

}  // namespace springtest::xml
