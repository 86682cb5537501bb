#!/usr/bin/env python3
"""Writes resources/report_HXGD.xltx, the lateral-stiffness machine's report template that `springtest init`
copies into an application folder. Built the same way as report.xltx (make_report_template.py, whose sheet
writer and styles it uses), reproducible byte for byte.

    python3 resources/make_lateral_report_template.py [output path]

What the program relies on: worksheet 2 ("单程报表") is the report of a one-stroke test, worksheet 3
("双程报表") that of a test with forward and return strokes. The program writes the head (B3 scheme, F3 date,
B4 serial, F4 operator, B5 offset angle), the column titles with their units in row 34 and test point i in
row 35 + i, and places the load curve's picture at A10. Each report sheet prints on one A4 page.
"""

import sys
import zipfile
from pathlib import Path
from xml.sax.saxutils import escape, quoteattr

sys.path.insert(0, str(Path(__file__).resolve().parent))
import make_report_template as base  # noqa: E402
from make_report_template import DECL, HEADER, LABEL, MAIN_NS, NOTE, PKG_REL_NS, REL_NS, SIGN, TITLE, VALUE  # noqa: E402

NOTES_SHEET = "说明"
ONE_STROKE_SHEET = "单程报表"
TWO_STROKE_SHEET = "双程报表"
LAST_ROW = 47


def notes_sheet(strings):
    sheet = base.Sheet(strings)
    sheet.columns = [(1, 1, "100.625")]
    sheet.text(1, 1, "横向刚度报表模板说明", TITLE)
    lines = [
        "第2张工作表“单程报表”用于只测进程的方案，第3张工作表“双程报表”用于进程和回程都测的方案。",
        "程序写入：B3 方案名，F3 测试日期，B4 试验序号，F4 操作员，B5 偏移角度；第34行为带单位的列标题；第35+i行为测试点i。",
        "单程报表各列：测试点、设定值、下限、测试结果、上限、刚度、偏移量。双程报表各列：测试点、设定值、下限、进程结果、回程结果、上限、进程刚度、回程刚度。",
        "超出上下限的测试结果以红色显示（等于上限或下限不算超出）。负荷曲线图片放在 A10，请在第10至33行留出位置。",
        "数值以数值写入，小数位数与测量通道一致；导出的报表只显示所用的报表工作表，打印为一页A4。前三张工作表的顺序必须保留。",
    ]
    for i, line in enumerate(lines):
        sheet.text(3 + i, 1, line, NOTE)
    return sheet


def report_sheet(strings, two_strokes):
    sheet = base.Sheet(strings)
    sheet.columns = [(1, 8, "11.625")]
    sheet.row_heights[1] = "30"
    sheet.text(1, 1, "横向刚度试验报告" + ("（进程、回程）" if two_strokes else ""), TITLE)
    sheet.merge("A1", "H1")
    for row, left, right in ((3, "方案名称", "测试日期"), (4, "试验序号", "操作员")):
        sheet.text(row, 1, left, LABEL)
        for column in (2, 3, 4):
            sheet.styled(row, column, VALUE)
        sheet.merge("B%d" % row, "D%d" % row)
        sheet.text(row, 5, right, LABEL)
        for column in (6, 7, 8):
            sheet.styled(row, column, VALUE)
        sheet.merge("F%d" % row, "H%d" % row)
    sheet.text(5, 1, "偏移角度(°)", LABEL)
    sheet.styled(5, 2, VALUE)
    sheet.text(9, 1, "负荷曲线", LABEL)

    if two_strokes:
        titles = ["测试点", "设定值", "下限", "进程结果", "回程结果", "上限", "进程刚度", "回程刚度"]
    else:
        titles = ["测试点", "设定值", "下限", "测试结果", "上限", "刚度", "偏移量"]
    for column, title in enumerate(titles, start=1):
        sheet.text(34, column, title, HEADER)
    for point in range(1, 11):
        for column in range(1, len(titles) + 1):
            sheet.styled(34 + point, column, VALUE)

    sheet.text(LAST_ROW - 1, 1, "检验员：", SIGN)
    sheet.text(LAST_ROW - 1, 4, "审核：", SIGN)
    sheet.text(LAST_ROW - 1, 7, "日期：", SIGN)
    # One A4 page, whatever the printer's margins.
    sheet.before_data = '<sheetPr><pageSetUpPr fitToPage="1"/></sheetPr>'
    sheet.extra_after_data = '<pageSetup paperSize="9" orientation="portrait" fitToWidth="1" fitToHeight="1"/>'
    return sheet


def build():
    strings = base.SharedStrings()
    sheets = [
        (NOTES_SHEET, notes_sheet(strings)),
        (ONE_STROKE_SHEET, report_sheet(strings, False)),
        (TWO_STROKE_SHEET, report_sheet(strings, True)),
    ]
    parts = {}
    for i, (_, sheet) in enumerate(sheets, start=1):
        parts["xl/worksheets/sheet%d.xml" % i] = sheet.xml(selected=(i == 1))
    parts["xl/sharedStrings.xml"] = strings.xml()
    parts["xl/styles.xml"] = base.STYLES

    count = len(sheets)
    sheet_entries = "".join(
        '<sheet name=%s sheetId="%d" r:id="rId%d"/>' % (quoteattr(name), i, i)
        for i, (name, _) in enumerate(sheets, start=1))
    print_areas = "".join(
        '<definedName name="_xlnm.Print_Area" localSheetId="%d">%s</definedName>' % (
            index, escape("'%s'!$A$1:$H$%d" % (name, LAST_ROW)))
        for index, (name, _) in enumerate(sheets) if name != NOTES_SHEET)
    parts["xl/workbook.xml"] = (
        DECL + '<workbook xmlns="%s" xmlns:r="%s">' % (MAIN_NS, REL_NS) +
        '<workbookPr/><bookViews><workbookView activeTab="0"/></bookViews>' +
        "<sheets>%s</sheets>" % sheet_entries +
        "<definedNames>%s</definedNames>" % print_areas +
        '<calcPr calcId="191029" fullCalcOnLoad="1"/></workbook>')

    rels = "".join(
        '<Relationship Id="rId%d" Type="%s/worksheet" Target="worksheets/sheet%d.xml"/>' % (i, REL_NS, i)
        for i in range(1, count + 1))
    rels += '<Relationship Id="rId%d" Type="%s/styles" Target="styles.xml"/>' % (count + 1, REL_NS)
    rels += '<Relationship Id="rId%d" Type="%s/sharedStrings" Target="sharedStrings.xml"/>' % (count + 2, REL_NS)
    parts["xl/_rels/workbook.xml.rels"] = DECL + '<Relationships xmlns="%s">%s</Relationships>' % (PKG_REL_NS, rels)

    parts["_rels/.rels"] = DECL + (
        '<Relationships xmlns="%s">'
        '<Relationship Id="rId1" Type="%s/officeDocument" Target="xl/workbook.xml"/>'
        '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/'
        'core-properties" Target="docProps/core.xml"/>'
        '<Relationship Id="rId3" Type="%s/extended-properties" Target="docProps/app.xml"/>'
        "</Relationships>") % (PKG_REL_NS, REL_NS, REL_NS)
    parts["docProps/core.xml"] = DECL + (
        '<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" '
        'xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" '
        'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">'
        "<dc:title>横向刚度报表模板</dc:title>"
        '<dcterms:created xsi:type="dcterms:W3CDTF">2024-01-01T00:00:00Z</dcterms:created>'
        "</cp:coreProperties>")
    titles = "".join("<vt:lpstr>%s</vt:lpstr>" % escape(name) for name, _ in sheets)
    parts["docProps/app.xml"] = DECL + (
        '<Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/extended-properties" '
        'xmlns:vt="http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes">'
        "<Application>Microsoft Excel</Application>"
        "<HeadingPairs><vt:vector size=\"2\" baseType=\"variant\"><vt:variant><vt:lpstr>工作表</vt:lpstr></vt:variant>"
        "<vt:variant><vt:i4>%d</vt:i4></vt:variant></vt:vector></HeadingPairs>"
        '<TitlesOfParts><vt:vector size="%d" baseType="lpstr">%s</vt:vector></TitlesOfParts>'
        "</Properties>") % (count, count, titles)

    sml = "application/vnd.openxmlformats-officedocument.spreadsheetml"
    overrides = ['<Override PartName="/xl/workbook.xml" ContentType="%s.template.main+xml"/>' % sml]
    overrides += ['<Override PartName="/xl/worksheets/sheet%d.xml" ContentType="%s.worksheet+xml"/>' % (i, sml)
                  for i in range(1, count + 1)]
    overrides += [
        '<Override PartName="/xl/styles.xml" ContentType="%s.styles+xml"/>' % sml,
        '<Override PartName="/xl/sharedStrings.xml" ContentType="%s.sharedStrings+xml"/>' % sml,
        '<Override PartName="/docProps/core.xml" '
        'ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>',
        '<Override PartName="/docProps/app.xml" '
        'ContentType="application/vnd.openxmlformats-officedocument.extended-properties+xml"/>',
    ]
    parts["[Content_Types].xml"] = DECL + (
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>%s</Types>') % "".join(overrides)

    order = ["[Content_Types].xml", "_rels/.rels", "docProps/app.xml", "docProps/core.xml", "xl/workbook.xml",
             "xl/_rels/workbook.xml.rels", "xl/styles.xml", "xl/sharedStrings.xml"]
    order += ["xl/worksheets/sheet%d.xml" % i for i in range(1, count + 1)]
    assert sorted(order) == sorted(parts)
    return [(name, parts[name]) for name in order]


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent / "report_HXGD.xltx"
    with zipfile.ZipFile(out, "w") as archive:
        for name, text in build():
            info = zipfile.ZipInfo(name, date_time=(2024, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, text.encode("utf-8"))
    print(out)


if __name__ == "__main__":
    main()
