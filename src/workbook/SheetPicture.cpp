#include "workbook/SheetPicture.h"

#include <QtEndian>
#include <cmath>

#include "workbook/OpcPackage.h"
#include "workbook/WorksheetXml.h"
#include "workbook/XmlNodes.h"

namespace springtest {

namespace {

constexpr const char* kDrawingNs = "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing";
constexpr const char* kDrawingMainNs = "http://schemas.openxmlformats.org/drawingml/2006/main";
const QString kDrawingType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing");
const QString kImageType =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/image");
const QString kDrawingContentType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.drawing+xml");
constexpr double kEmuPerInch = 914400;

quint32 be32(const QByteArray& b, qsizetype at) {
    return qFromBigEndian<quint32>(b.constData() + at);
}

QString newDrawing(OpcPackage& package, const QString& sheetPart, WorksheetXml& sheet) {
    const QString part = package.freeName(QStringLiteral("xl/drawings/drawing"), QStringLiteral(".xml"));
    package.setBytes(
        part,
        QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<xdr:wsDr xmlns:xdr=\"") +
            kDrawingNs + "\" xmlns:a=\"" + kDrawingMainNs + "\"/>");
    package.setOverride(part, kDrawingContentType);
    sheet.setDrawingId(package.addRelationship(sheetPart, kDrawingType, part));
    return part;
}

// The largest drawing object id in use: every object of a drawing needs its own.
int largestObjectId(const pugi::xml_node& node) {
    int largest = 0;
    for (pugi::xml_node n = node.first_child(); n; n = n.next_sibling()) {
        if (xml::is(n, "cNvPr")) largest = std::max(largest, xml::intAttribute(n, "id", 0));
        largest = std::max(largest, largestObjectId(n));
    }
    return largest;
}

}  // namespace

std::optional<PngSize> readPngSize(const QByteArray& png) {
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    if (png.size() < 33 || !png.startsWith(signature) || png.mid(12, 4) != "IHDR") return std::nullopt;
    PngSize size;
    const quint32 w = be32(png, 16), h = be32(png, 20);
    if (w == 0 || h == 0 || w > 100000 || h > 100000) return std::nullopt;
    size.width_px = static_cast<int>(w);
    size.height_px = static_cast<int>(h);
    // The physical resolution, when the picture states one, sets its size on the page as it does in Office.
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const quint32 length = be32(png, at);
        const QByteArray type = png.mid(at + 4, 4);
        if (type == "IDAT" || type == "IEND" || length > quint32(png.size())) break;
        if (type == "pHYs" && length == 9 && at + 17 <= png.size() && png[at + 16] == 1) {
            const double x = be32(png, at + 8) * 0.0254, y = be32(png, at + 12) * 0.0254;
            if (x >= 10 && y >= 10) {
                size.dotsPerInchX = x;
                size.dotsPerInchY = y;
            }
            break;
        }
        at += 12 + static_cast<qsizetype>(length);
    }
    return size;
}

QString addPicture(OpcPackage& package, const QString& sheetPart, WorksheetXml& sheet, CellPosition at,
                   const QByteArray& png) {
    const auto size = readPngSize(png);
    if (!size) return QStringLiteral("the picture is no PNG image");

    QString drawingPart;
    if (const QString id = sheet.drawingId(); !id.isEmpty()) {
        for (const OpcPackage::Relationship& r : package.relationships(sheetPart)) {
            if (r.id == id && OpcPackage::hasType(r, "drawing") && package.contains(r.part))
                drawingPart = r.part;
        }
    }
    if (drawingPart.isEmpty()) drawingPart = newDrawing(package, sheetPart, sheet);
    QString error;
    pugi::xml_document* drawing = package.xml(drawingPart, &error);
    if (!drawing) return error;
    pugi::xml_node root = xml::rootElement(*drawing);
    if (!xml::is(root, "wsDr"))
        return QStringLiteral("the sheet's drawing %1 is no worksheet drawing").arg(drawingPart);

    const QString media = package.freeName(QStringLiteral("xl/media/image"), QStringLiteral(".png"));
    package.setBytes(media, png);
    package.ensureDefault(QStringLiteral("png"), QStringLiteral("image/png"));
    const QString imageId = package.addRelationship(drawingPart, kImageType, media);

    const qint64 cx = std::llround(size->width_px * kEmuPerInch / size->dotsPerInchX);
    const qint64 cy = std::llround(size->height_px * kEmuPerInch / size->dotsPerInchY);
    const int objectId = std::max(1, largestObjectId(root)) + 1;
    // Our elements take the prefix the drawing uses for its own namespace; the picture's namespaces are
    // declared on the anchor, under names that cannot clash with that prefix.
    const QString x = QString::fromStdString(xml::prefixOf(root));
    const QString a = x == QLatin1String("a:") ? QStringLiteral("dml") : QStringLiteral("a");
    const QString r = x == QLatin1String("r:") ? QStringLiteral("rel") : QStringLiteral("r");
    const QString extent = QStringLiteral("cx=\"%1\" cy=\"%2\"").arg(cx).arg(cy);
    const QString anchor =
        QStringLiteral("<%1oneCellAnchor xmlns:%2=\"%3\" xmlns:%4=\"%5\">")
            .arg(x, a, QLatin1String(kDrawingMainNs), r, QLatin1String(xml::kRelationshipsNs)) +
        QStringLiteral(
            "<%1from><%1col>%2</%1col><%1colOff>0</%1colOff><%1row>%3</%1row><%1rowOff>0</%1rowOff></%1from>")
            .arg(x)
            .arg(at.column - 1)
            .arg(at.row - 1) +
        QStringLiteral("<%1ext %2/>").arg(x, extent) +
        QStringLiteral(
            "<%1pic><%1nvPicPr><%1cNvPr id=\"%2\" name=\"%3\"/><%1cNvPicPr><%4:picLocks "
            "noChangeAspect=\"1\"/>"
            "</%1cNvPicPr></%1nvPicPr>")
            .arg(x, QString::number(objectId), QStringLiteral("图片 %1").arg(objectId - 1), a) +
        QStringLiteral(
            "<%1blipFill><%2:blip %3:embed=\"%4\"/><%2:stretch><%2:fillRect/></%2:stretch></%1blipFill>")
            .arg(x, a, r, imageId) +
        QStringLiteral(
            "<%1spPr><%2:xfrm><%2:off x=\"0\" y=\"0\"/><%2:ext %3/></%2:xfrm>"
            "<%2:prstGeom prst=\"rect\"><%2:avLst/></%2:prstGeom></%1spPr></%1pic>")
            .arg(x, a, extent) +
        QStringLiteral("<%1clientData/></%1oneCellAnchor>").arg(x);

    pugi::xml_document piece;
    if (!xml::parse(piece, anchor.toUtf8(), &error))
        return QStringLiteral("cannot build the picture anchor: %1").arg(error);
    root.append_copy(xml::rootElement(piece));
    package.touch(drawingPart);
    return {};
}

}  // namespace springtest
