#pragma once

#include <QByteArray>
#include <QString>
#include <initializer_list>
#include <pugixml.hpp>
#include <string>

// Small helpers for the workbook's XML parts. Elements are found by their local name, so a part written with
// a prefix for the spreadsheet namespace (<x:row>) reads like one written with a default namespace; an
// element we add takes the prefix of its parent.
namespace springtest::xml {

inline constexpr const char* kRelationshipsNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr const char* kStrictRelationshipsNs =
    "http://purl.oclc.org/ooxml/officeDocument/relationships";

// Parses keeping what a round trip must not lose: the declaration, whitespace-only text (a cell text of one
// blank), comments and processing instructions.
bool parse(pugi::xml_document& doc, const QByteArray& bytes, QString* error);
// UTF-8, no added indentation; the declaration, when the part had one, says UTF-8.
QByteArray serialize(pugi::xml_document& doc);

const char* localName(const pugi::xml_node& node);
bool is(const pugi::xml_node& node, const char* local);
// "x:" for <x:worksheet>, "" for <worksheet>.
std::string prefixOf(const pugi::xml_node& node);
pugi::xml_node child(const pugi::xml_node& parent, const char* local);
pugi::xml_node nextSibling(const pugi::xml_node& node, const char* local);
pugi::xml_node rootElement(const pugi::xml_document& doc);
// An element with the parent's prefix, appended.
pugi::xml_node appendElement(pugi::xml_node parent, const char* local);
// An element with the parent's prefix, placed where a schema sequence puts it: before the first child that
// comes later in `order`, else last.
pugi::xml_node insertInOrder(pugi::xml_node parent, const char* local,
                             std::initializer_list<const char*> order);

// The prefix (without colon) bound to `ns` where `node` stands; "" for none found (and for the default
// namespace).
std::string prefixFor(const pugi::xml_node& node, const char* ns);
// The relationship id attribute (r:id, r:embed …) of an element, whatever its prefix.
pugi::xml_attribute relationshipAttribute(const pugi::xml_node& node, const char* local);
// Sets it, declaring the relationships namespace on the element when nothing in scope binds it.
void setRelationshipAttribute(pugi::xml_node node, const char* local, const QString& id);

QString text(const pugi::xml_attribute& a);
QString text(const pugi::xml_node& n);  // the element's own text
void setAttribute(pugi::xml_node node, const char* name, const QString& value);
void setAttribute(pugi::xml_node node, const char* name, int value);
// An attribute as a whole number; `fallback` when missing or no number.
int intAttribute(const pugi::xml_node& node, const char* name, int fallback);
void removeChildren(pugi::xml_node parent, const char* local);

}  // namespace springtest::xml
