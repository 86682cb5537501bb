#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <pugixml.hpp>
#include <vector>

namespace springtest {

// The zip package of an OOXML file: its parts by name, their content types and relationships. Part names are
// written without the leading slash ("xl/workbook.xml") and compare without regard to case, as the packaging
// rules say. A part that was parsed and touched is written from its XML at save; every other part is written
// back with the bytes it was read with.
class OpcPackage {
public:
    struct Relationship {
        QString id;
        QString type;
        QString target;  // as written
        QString part;    // the part it names; empty for an external target
    };

    // Takes the package apart; an error text when the bytes are no readable zip.
    QString load(const QByteArray& zipBytes);
    // The package as a zip, [Content_Types].xml first, then the parts in their original order, new ones last.
    QByteArray save(QString* error);

    bool contains(const QString& part) const;
    QByteArray bytes(const QString& part) const;
    // Adds or replaces a part with these bytes (an XML part so written is parsed again when asked for).
    void setBytes(const QString& part, const QByteArray& bytes);
    void remove(const QString& part);
    // The parsed XML of a part, kept for later edits; nullptr and an error when it is missing or no XML.
    pugi::xml_document* xml(const QString& part, QString* error = nullptr);
    // Marks a parsed part as edited, so save writes it from its XML.
    void touch(const QString& part);
    // stem + n + suffix with the smallest n ≥ 1 that names no part ("xl/media/image" "…png" →
    // xl/media/image2.png).
    QString freeName(const QString& stem, const QString& suffix) const;

    QString contentType(const QString& part);
    void setOverride(const QString& part, const QString& contentType);
    void removeOverride(const QString& part);
    void ensureDefault(const QString& extension, const QString& contentType);

    // The relationships of a part ("" for the package's own).
    QList<Relationship> relationships(const QString& source);
    // Adds one to `target` and returns its id.
    QString addRelationship(const QString& source, const QString& type, const QString& targetPart);
    void removeRelationship(const QString& source, const QString& id);

    static QString relationshipsPart(const QString& source);
    static QString resolveTarget(const QString& source, const QString& target);
    static QString relativeTarget(const QString& source, const QString& targetPart);
    // Relationship types end the same in transitional and strict files: compare by the last path segment.
    static bool hasType(const Relationship& r, const char* lastSegment);

private:
    struct Part {
        QString name;
        QByteArray bytes;
        std::unique_ptr<pugi::xml_document> doc;
        bool dirty = false;
    };
    Part* find(const QString& part) const;

    std::vector<std::unique_ptr<Part>> m_parts;
    QHash<QString, Part*> m_byName;  // lower-case name
};

}  // namespace springtest
