#include "workbook/OpcPackage.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>
#include <quazipnewinfo.h>
#include <zlib.h>

#include <QBuffer>
#include <QStringList>
#include <QUrl>

#include "workbook/XmlNodes.h"

namespace springtest {

namespace {

const QString kContentTypes = QStringLiteral("[Content_Types].xml");
constexpr const char* kPackageRelationshipsNs =
    "http://schemas.openxmlformats.org/package/2006/relationships";
// A report template is a few hundred kilobytes; this only stops a hostile archive from filling the memory.
constexpr qint64 kMaxUnpacked_bytes = qint64(512) * 1024 * 1024;

QString folderOf(const QString& part) {
    const int slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash);
}

QString normalised(const QString& path) {
    QStringList out;
    for (const QString& segment : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String(".")) continue;
        if (segment == QLatin1String("..")) {
            if (!out.isEmpty()) out.removeLast();
            continue;
        }
        out << segment;
    }
    return out.join(QLatin1Char('/'));
}

QString key(const QString& part) {
    return part.toLower();
}

}  // namespace

QString OpcPackage::load(const QByteArray& zipBytes) {
    m_parts.clear();
    m_byName.clear();
    QByteArray data = zipBytes;
    QBuffer buffer(&data);
    QuaZip zip(&buffer);
    zip.setFileNameCodec("UTF-8");
    if (!zip.open(QuaZip::mdUnzip))
        return QStringLiteral("not a zip archive (error %1)").arg(zip.getZipError());
    qint64 total = 0;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info)) return QStringLiteral("unreadable zip directory");
        if (info.name.endsWith(QLatin1Char('/'))) continue;
        if (info.isEncrypted()) return QStringLiteral("encrypted entry %1").arg(info.name);
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("cannot read entry %1").arg(info.name);
        QByteArray bytes;
        char chunk[65536];
        for (;;) {
            const qint64 n = file.read(chunk, sizeof chunk);
            if (n < 0) return QStringLiteral("cannot read entry %1").arg(info.name);
            if (n == 0) break;
            total += n;
            if (total > kMaxUnpacked_bytes) return QStringLiteral("archive unpacks to more than 512 MiB");
            bytes.append(chunk, n);
        }
        file.close();
        if (file.getZipError() != UNZ_OK) return QStringLiteral("damaged entry %1").arg(info.name);
        const QString name = info.name.startsWith(QLatin1Char('/')) ? info.name.mid(1) : info.name;
        if (m_byName.contains(key(name))) continue;
        auto part = std::make_unique<Part>();
        part->name = name;
        part->bytes = bytes;
        m_byName.insert(key(name), part.get());
        m_parts.push_back(std::move(part));
    }
    if (zip.getZipError() != UNZ_OK)
        return QStringLiteral("damaged zip archive (error %1)").arg(zip.getZipError());
    if (!contains(kContentTypes))
        return QStringLiteral("not an Office Open XML package: no [Content_Types].xml");
    return {};
}

QByteArray OpcPackage::save(QString* error) {
    QByteArray data;
    QBuffer buffer(&data);
    QuaZip zip(&buffer);
    zip.setFileNameCodec("UTF-8");
    zip.setUtf8Enabled(true);
    // Sizes in the local headers rather than in trailing descriptors: the plainest zip every reader takes.
    zip.setDataDescriptorWritingEnabled(false);
    if (!zip.open(QuaZip::mdCreate)) {
        if (error) *error = QStringLiteral("cannot create the zip archive (error %1)").arg(zip.getZipError());
        return {};
    }
    std::vector<Part*> order;
    if (Part* types = find(kContentTypes)) order.push_back(types);
    for (const auto& p : m_parts) {
        if (key(p->name) != key(kContentTypes)) order.push_back(p.get());
    }
    for (Part* p : order) {
        if (p->doc && p->dirty) {
            p->bytes = xml::serialize(*p->doc);
            p->dirty = false;
        }
        QuaZipNewInfo info(p->name);
        info.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                            QFileDevice::ReadOther);
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, info, nullptr, 0, Z_DEFLATED, Z_DEFAULT_COMPRESSION) ||
            file.write(p->bytes) != p->bytes.size()) {
            if (error) *error = QStringLiteral("cannot write %1 into the zip archive").arg(p->name);
            return {};
        }
        file.close();
        if (file.getZipError() != ZIP_OK) {
            if (error) *error = QStringLiteral("cannot write %1 into the zip archive").arg(p->name);
            return {};
        }
    }
    zip.close();
    if (zip.getZipError() != ZIP_OK) {
        if (error) *error = QStringLiteral("cannot finish the zip archive (error %1)").arg(zip.getZipError());
        return {};
    }
    return data;
}

OpcPackage::Part* OpcPackage::find(const QString& part) const {
    return m_byName.value(key(part), nullptr);
}

bool OpcPackage::contains(const QString& part) const {
    return find(part) != nullptr;
}

QByteArray OpcPackage::bytes(const QString& part) const {
    const Part* p = find(part);
    if (!p) return {};
    if (p->doc && p->dirty) return xml::serialize(*p->doc);
    return p->bytes;
}

void OpcPackage::setBytes(const QString& part, const QByteArray& bytes) {
    Part* p = find(part);
    if (!p) {
        auto created = std::make_unique<Part>();
        created->name = part;
        p = created.get();
        m_byName.insert(key(part), p);
        m_parts.push_back(std::move(created));
    }
    p->bytes = bytes;
    p->doc.reset();
    p->dirty = false;
}

void OpcPackage::remove(const QString& part) {
    Part* p = find(part);
    if (!p) return;
    m_byName.remove(key(part));
    std::erase_if(m_parts, [p](const std::unique_ptr<Part>& q) { return q.get() == p; });
}

pugi::xml_document* OpcPackage::xml(const QString& part, QString* error) {
    Part* p = find(part);
    if (!p) {
        if (error) *error = QStringLiteral("part %1 is missing").arg(part);
        return nullptr;
    }
    if (!p->doc) {
        auto doc = std::make_unique<pugi::xml_document>();
        QString why;
        if (!xml::parse(*doc, p->bytes, &why)) {
            if (error) *error = QStringLiteral("part %1 is no XML: %2").arg(part, why);
            return nullptr;
        }
        p->doc = std::move(doc);
    }
    return p->doc.get();
}

void OpcPackage::touch(const QString& part) {
    if (Part* p = find(part); p && p->doc) p->dirty = true;
}

QString OpcPackage::freeName(const QString& stem, const QString& suffix) const {
    for (int n = 1;; ++n) {
        const QString name = stem + QString::number(n) + suffix;
        if (!contains(name)) return name;
    }
}

QString OpcPackage::contentType(const QString& part) {
    pugi::xml_document* types = xml(kContentTypes);
    if (!types) return {};
    const pugi::xml_node root = xml::rootElement(*types);
    const QString wanted = QLatin1Char('/') + part;
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
        if (xml::is(n, "Override") &&
            xml::text(n.attribute("PartName")).compare(wanted, Qt::CaseInsensitive) == 0)
            return xml::text(n.attribute("ContentType"));
    }
    const QString extension = part.section(QLatin1Char('.'), -1);
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
        if (xml::is(n, "Default") &&
            xml::text(n.attribute("Extension")).compare(extension, Qt::CaseInsensitive) == 0)
            return xml::text(n.attribute("ContentType"));
    }
    return {};
}

void OpcPackage::setOverride(const QString& part, const QString& contentType) {
    pugi::xml_document* types = xml(kContentTypes);
    if (!types) return;
    pugi::xml_node root = xml::rootElement(*types);
    const QString wanted = QLatin1Char('/') + part;
    pugi::xml_node entry;
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
        if (xml::is(n, "Override") &&
            xml::text(n.attribute("PartName")).compare(wanted, Qt::CaseInsensitive) == 0)
            entry = n;
    }
    if (!entry) {
        entry = xml::appendElement(root, "Override");
        xml::setAttribute(entry, "PartName", wanted);
    }
    xml::setAttribute(entry, "ContentType", contentType);
    touch(kContentTypes);
}

void OpcPackage::removeOverride(const QString& part) {
    pugi::xml_document* types = xml(kContentTypes);
    if (!types) return;
    pugi::xml_node root = xml::rootElement(*types);
    const QString wanted = QLatin1Char('/') + part;
    for (pugi::xml_node n = root.first_child(); n;) {
        const pugi::xml_node next = n.next_sibling();
        if (xml::is(n, "Override") &&
            xml::text(n.attribute("PartName")).compare(wanted, Qt::CaseInsensitive) == 0) {
            root.remove_child(n);
            touch(kContentTypes);
        }
        n = next;
    }
}

void OpcPackage::ensureDefault(const QString& extension, const QString& contentType) {
    pugi::xml_document* types = xml(kContentTypes);
    if (!types) return;
    pugi::xml_node root = xml::rootElement(*types);
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
        if (xml::is(n, "Default") &&
            xml::text(n.attribute("Extension")).compare(extension, Qt::CaseInsensitive) == 0)
            return;
    }
    // Defaults come before overrides in the files Office writes.
    pugi::xml_node firstOverride = xml::child(root, "Override");
    const std::string name = xml::prefixOf(root) + "Default";
    pugi::xml_node entry = firstOverride ? root.insert_child_before(name.c_str(), firstOverride)
                                         : root.append_child(name.c_str());
    xml::setAttribute(entry, "Extension", extension);
    xml::setAttribute(entry, "ContentType", contentType);
    touch(kContentTypes);
}

QString OpcPackage::relationshipsPart(const QString& source) {
    if (source.isEmpty()) return QStringLiteral("_rels/.rels");
    const QString folder = folderOf(source);
    const QString file = source.mid(folder.isEmpty() ? 0 : folder.size() + 1);
    return (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + QStringLiteral("_rels/") + file +
           QStringLiteral(".rels");
}

QString OpcPackage::resolveTarget(const QString& source, const QString& target) {
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    if (decoded.startsWith(QLatin1Char('/'))) return normalised(decoded);
    const QString folder = folderOf(source);
    return normalised(folder.isEmpty() ? decoded : folder + QLatin1Char('/') + decoded);
}

QString OpcPackage::relativeTarget(const QString& source, const QString& targetPart) {
    const QStringList from = folderOf(source).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const QStringList to = targetPart.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    qsizetype common = 0;
    while (common < from.size() && common < to.size() - 1 && from[common] == to[common]) ++common;
    QStringList out;
    for (qsizetype i = common; i < from.size(); ++i) out << QStringLiteral("..");
    for (qsizetype i = common; i < to.size(); ++i) out << to[i];
    return out.join(QLatin1Char('/'));
}

bool OpcPackage::hasType(const Relationship& r, const char* lastSegment) {
    return r.type.section(QLatin1Char('/'), -1) == QLatin1String(lastSegment);
}

QList<OpcPackage::Relationship> OpcPackage::relationships(const QString& source) {
    QList<Relationship> out;
    const QString relsPart = relationshipsPart(source);
    if (!contains(relsPart)) return out;
    pugi::xml_document* doc = xml(relsPart);
    if (!doc) return out;
    const pugi::xml_node root = xml::rootElement(*doc);
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
        if (!xml::is(n, "Relationship")) continue;
        Relationship r;
        r.id = xml::text(n.attribute("Id"));
        r.type = xml::text(n.attribute("Type"));
        r.target = xml::text(n.attribute("Target"));
        if (xml::text(n.attribute("TargetMode")).compare(QLatin1String("External"), Qt::CaseInsensitive) != 0)
            r.part = resolveTarget(source, r.target);
        out << r;
    }
    return out;
}

QString OpcPackage::addRelationship(const QString& source, const QString& type, const QString& targetPart) {
    const QString relsPart = relationshipsPart(source);
    if (!contains(relsPart) || !xml(relsPart)) {
        setBytes(
            relsPart,
            QByteArray(
                "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships xmlns=\"") +
                kPackageRelationshipsNs + "\"/>");
        ensureDefault(QStringLiteral("rels"),
                      QStringLiteral("application/vnd.openxmlformats-package.relationships+xml"));
    }
    pugi::xml_document* doc = xml(relsPart);
    pugi::xml_node root = xml::rootElement(*doc);
    QStringList ids;
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) ids << xml::text(n.attribute("Id"));
    int next = 1;
    for (const QString& id : ids) {
        if (id.startsWith(QLatin1String("rId"))) next = std::max(next, id.mid(3).toInt() + 1);
    }
    QString id = QStringLiteral("rId%1").arg(next);
    while (ids.contains(id)) id = QStringLiteral("rId%1").arg(++next);
    pugi::xml_node rel = xml::appendElement(root, "Relationship");
    xml::setAttribute(rel, "Id", id);
    xml::setAttribute(rel, "Type", type);
    xml::setAttribute(rel, "Target", relativeTarget(source, targetPart));
    touch(relsPart);
    return id;
}

void OpcPackage::removeRelationship(const QString& source, const QString& id) {
    const QString relsPart = relationshipsPart(source);
    pugi::xml_document* doc = contains(relsPart) ? xml(relsPart) : nullptr;
    if (!doc) return;
    pugi::xml_node root = xml::rootElement(*doc);
    for (pugi::xml_node n = root.first_child(); n;) {
        const pugi::xml_node next = n.next_sibling();
        if (xml::is(n, "Relationship") && xml::text(n.attribute("Id")) == id) {
            root.remove_child(n);
            touch(relsPart);
        }
        n = next;
    }
}

}  // namespace springtest
