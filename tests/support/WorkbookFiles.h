#pragma once

// Small workbook packages written part by part: the files a test needs that no spreadsheet program would
// write (a namespace prefix, no styles, a sheet listed without its part), and templates as small as a
// spreadsheet program still opens.

#include "support/ZipParts.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace springtest::testing {

// The namespaces of the workbook's parts and the declaration every part starts with.
inline const QByteArray kSpreadsheetMl = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline const QByteArray kRelationshipTypes =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline const QByteArray kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

// Fonts 0 plain and 1 bold; borders 0 none and 1 thin; cell format 1 is bold with a thin border.
inline const QByteArray kPlainAndBoldStyles =
    "<styleSheet xmlns=\"" + kSpreadsheetMl +
    "\"><fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Arial\"/></font><font><b/><sz val=\"11\"/>"
    "<name val=\"Arial\"/></font></fonts><fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills><borders "
    "count=\"2\"><border><left/><right/><top/>"
    "<bottom/><diagonal/></border><border><left style=\"thin\"/><right style=\"thin\"/><top style=\"thin\"/>"
    "<bottom style=\"thin\"/><diagonal/></border></borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" "
    "fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs><cellXfs count=\"2\"><xf numFmtId=\"0\" "
    "fontId=\"0\" "
    "fillId=\"0\" borderId=\"0\" xfId=\"0\"/><xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"1\" "
    "xfId=\"0\" "
    "applyFont=\"1\" applyBorder=\"1\"/></cellXfs></styleSheet>";

// A worksheet of the given rows (sheetData content), its spreadsheet namespace under `prefix` when given.
inline QByteArray sheetXml(const QByteArray& rows, const QByteArray& prefix = {}) {
    const QByteArray x = prefix.isEmpty() ? QByteArray() : prefix + ":";
    const QByteArray ns = prefix.isEmpty() ? QByteArray("xmlns") : "xmlns:" + prefix;
    return kXmlDeclaration + "<" + x + "worksheet " + ns + "=\"" + kSpreadsheetMl + "\"><" + x +
           "sheetData>" + rows + "</" + x + "sheetData></" + x + "worksheet>";
}

// What is unusual about a workbook made by workbookFile.
struct WorkbookOptions {
    bool withStyles = true;
    QByteArray prefix;  // for the spreadsheet namespace in the workbook part
    bool isTemplate = false;
    bool withoutSheetParts = false;

    static WorkbookOptions asTemplate() {
        WorkbookOptions o;
        o.isTemplate = true;
        return o;
    }
    static WorkbookOptions prefixed(const QByteArray& prefix) {
        WorkbookOptions o;
        o.prefix = prefix;
        return o;
    }
    static WorkbookOptions withoutStyles() {
        WorkbookOptions o;
        o.withStyles = false;
        return o;
    }
    static WorkbookOptions withoutSheets() {
        WorkbookOptions o;
        o.withoutSheetParts = true;
        return o;
    }
};

// A workbook of the given sheets (name, worksheet XML), as small as a spreadsheet program still opens.
inline QByteArray workbookFile(const QList<std::pair<QString, QByteArray>>& sheets,
                               const WorkbookOptions& o = {}) {
    const QByteArray x = o.prefix.isEmpty() ? QByteArray() : o.prefix + ":";
    const QByteArray ns = o.prefix.isEmpty() ? QByteArray("xmlns") : "xmlns:" + o.prefix;
    QByteArray types = kXmlDeclaration +
                       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                       "<Default Extension=\"rels\" "
                       "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                       "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                       "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-"
                       "officedocument.spreadsheetml." +
                       QByteArray(o.isTemplate ? "template" : "sheet") + ".main+xml\"/>";
    QByteArray workbookSheets, rels;
    Parts parts;
    for (int i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        types +=
            "<Override PartName=\"/xl/worksheets/sheet" + n +
            ".xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
        workbookSheets += "<" + x + "sheet name=\"" + sheets[i].first.toUtf8() + "\" sheetId=\"" + n +
                          "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + kRelationshipTypes +
                "/worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
        if (!o.withoutSheetParts) parts.append({"xl/worksheets/sheet" + n + ".xml", sheets[i].second});
    }
    if (o.withStyles) {
        types +=
            "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/vnd.openxmlformats-"
            "officedocument.spreadsheetml.styles+xml\"/>";
        rels +=
            "<Relationship Id=\"rId99\" Type=\"" + kRelationshipTypes + "/styles\" Target=\"styles.xml\"/>";
        parts.append({"xl/styles.xml", kXmlDeclaration + kPlainAndBoldStyles});
    }
    types += "</Types>";
    parts.prepend({"xl/workbook.xml", kXmlDeclaration + "<" + x + "workbook " + ns + "=\"" + kSpreadsheetMl +
                                          "\" xmlns:r=\"" + kRelationshipTypes + "\"><" + x + "sheets>" +
                                          workbookSheets + "</" + x + "sheets></" + x + "workbook>"});
    parts.prepend(
        {"xl/_rels/workbook.xml.rels",
         kXmlDeclaration +
             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" + rels +
             "</Relationships>"});
    parts.prepend({"_rels/.rels", kXmlDeclaration +
                                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                      "relationships\"><Relationship Id=\"rId1\" Type=\"" +
                                      kRelationshipTypes +
                                      "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"});
    parts.prepend({"[Content_Types].xml", types});
    return zipOf(parts);
}

}  // namespace springtest::testing
