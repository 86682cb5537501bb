#!/usr/bin/env python3
"""Writes resources/性能试验记录.xltx, the leaf-spring test record's template that `springtest init` copies into
an application folder. Built with the report template's own pieces (make_report_template.py), so both
templates look alike and stay reproducible byte for byte.

    python3 resources/make_record_template.py [output path]

What the program relies on: worksheet 3 ("性能试验记录") receives, as text, the sample description (C2:C5,
H2:H5), the test points (rows 32 to 41: B load, D forward and E return measurement, H and I the arc heights
under static load), the four judged quantities (rows 41 to 44: D nominal ± tolerance, F value, I verdict) and
the test date (I48); the curve picture is placed at A9. The other two sheets are the lab's own.
"""

import sys
import zipfile
from pathlib import Path
from xml.sax.saxutils import escape, quoteattr

sys.path.insert(0, str(Path(__file__).resolve().parent))
import make_report_template as base  # noqa: E402

NOTES_SHEET = "说明"
REMARKS_SHEET = "备注"
RECORD_SHEET = "性能试验记录"


def notes_sheet(strings):
    sheet = base.Sheet(strings)
    sheet.columns = [(1, 1, "100.625")]
    sheet.text(1, 1, "性能试验记录模板说明", base.TITLE)
    lines = [
        "第3张工作表“性能试验记录”：报表打印时写入样品信息（取自报表设置 Report.ini）、各测试点的负荷与测量值、"
        "自由弧高、静载弧高、刚度和永久变形的标准值、实测值与判定，以及试验日期，所有值都以文本写入。",
        "判定规则：标准值 − 误差值 < 实测值 < 标准值 + 误差值 为“合格”，否则为“不合格”；"
        "试验未测得的量写“/”，不作判定。",
        "静载弧高和刚度只在检测点数为 3 或 5 时计算（3 点取第 2 点，5 点取第 3 点；双点刚度取第 1 点和最后一点）。",
        "试验曲线图片放在 A9 单元格处，请在记录中留出位置。",
        "本模板可以用任何电子表格程序修改，但第3张工作表的位置和上述单元格必须保留。",
    ]
    for i, line in enumerate(lines):
        sheet.text(3 + i, 1, line, base.NOTE)
    return sheet


def remarks_sheet(strings):
    sheet = base.Sheet(strings)
    sheet.columns = [(1, 1, "60.625")]
    sheet.text(1, 1, "备注（供试验室自用）", base.SIGN)
    return sheet


def record_sheet(strings):
    sheet = base.Sheet(strings)
    sheet.columns = [(1, 1, "14.625"), (2, 2, "11.625"), (3, 3, "9.625"), (4, 4, "15.625"), (5, 5, "13.625"),
                     (6, 6, "11.625"), (7, 7, "14.625"), (8, 8, "15.625"), (9, 9, "19.625")]
    sheet.row_heights[1] = "30"
    sheet.text(1, 1, "钢板弹簧性能试验记录", base.TITLE)
    sheet.merge("A1", "I1")

    description = [("样品名称", "样品编号"), ("样品图号", "验证负荷(kN)"), ("样品批号", "U型栓夹距(mm)"),
                   ("样品序号", "检验标准")]
    for i, (left, right) in enumerate(description):
        row = 2 + i
        sheet.text(row, 1, left, base.LABEL)
        sheet.styled(row, 2, base.LABEL)
        sheet.merge("A%d" % row, "B%d" % row)
        for column in range(3, 7):
            sheet.styled(row, column, base.VALUE)
        sheet.merge("C%d" % row, "F%d" % row)
        sheet.text(row, 7, right, base.LABEL)
        sheet.styled(row, 8, base.VALUE)
        sheet.styled(row, 9, base.VALUE)
        sheet.merge("H%d" % row, "I%d" % row)

    sheet.text(7, 1, "试验曲线", base.LABEL)

    headers = {1: "测试点", 2: "负荷(kN)", 4: "进程测量值(mm)", 5: "回程测量值(mm)", 8: "进程静载弧高(mm)",
               9: "回程静载弧高(mm)"}
    for column, title in headers.items():
        sheet.text(31, column, title, base.HEADER)
    for i in range(1, 11):
        row = 31 + i
        sheet.text(row, 1, "测试点%d" % i, base.LABEL)
        for column in (2, 4, 5, 8, 9):
            sheet.styled(row, column, base.VALUE)

    judged = ["自由弧高(mm)", "静载弧高(mm)", "刚度(N/mm)", "永久变形(mm)"]
    for i, name in enumerate(judged):
        row = 41 + i
        # Row 41 is also the tenth test point's row, and named for both below.
        if row > 41:
            sheet.text(row, 1, name, base.LABEL)
        sheet.text(row, 3, "标准值", base.LABEL)
        sheet.styled(row, 4, base.VALUE)
        if row > 41:
            sheet.text(row, 5, "实测值", base.LABEL)
        sheet.styled(row, 6, base.VALUE)
        sheet.text(row, 7, "判定", base.LABEL)
        sheet.styled(row, 9, base.VALUE)
    sheet.text(41, 1, "测试点10／自由弧高(mm)", base.LABEL)

    sheet.text(48, 7, "试验日期", base.LABEL)
    sheet.styled(48, 8, base.LABEL)
    sheet.styled(48, 9, base.VALUE)
    sheet.text(50, 1, "检验员：", base.SIGN)
    sheet.text(50, 4, "审核：", base.SIGN)
    sheet.text(50, 7, "日期：", base.SIGN)

    sheet.before_data = '<sheetPr><pageSetUpPr fitToPage="1"/></sheetPr>'
    sheet.extra_after_data = (
        '<pageSetup paperSize="9" orientation="portrait" fitToWidth="1" fitToHeight="0"/>'
        '<headerFooter><oddFooter>&amp;C第 &amp;P 页，共 &amp;N 页</oddFooter></headerFooter>')
    return sheet


def build():
    strings = base.SharedStrings()
    sheets = [
        (NOTES_SHEET, notes_sheet(strings)),
        (REMARKS_SHEET, remarks_sheet(strings)),
        (RECORD_SHEET, record_sheet(strings)),
    ]
    parts = {}
    for i, (_, sheet) in enumerate(sheets, start=1):
        parts["xl/worksheets/sheet%d.xml" % i] = sheet.xml(selected=(i == 3))
    parts["xl/sharedStrings.xml"] = strings.xml()
    parts["xl/styles.xml"] = base.STYLES

    count = len(sheets)
    sheet_entries = "".join(
        '<sheet name=%s sheetId="%d" r:id="rId%d"/>' % (quoteattr(name), i, i)
        for i, (name, _) in enumerate(sheets, start=1))
    parts["xl/workbook.xml"] = (
        base.DECL + '<workbook xmlns="%s" xmlns:r="%s">' % (base.MAIN_NS, base.REL_NS) +
        '<workbookPr/><bookViews><workbookView activeTab="2"/></bookViews>' +
        "<sheets>%s</sheets>" % sheet_entries +
        '<definedNames><definedName name="_xlnm.Print_Area" localSheetId="2">%s</definedName></definedNames>' %
        escape("'%s'!$A$1:$I$50" % RECORD_SHEET) +
        '<calcPr calcId="191029" fullCalcOnLoad="1"/></workbook>')

    rels = "".join(
        '<Relationship Id="rId%d" Type="%s/worksheet" Target="worksheets/sheet%d.xml"/>' % (i, base.REL_NS, i)
        for i in range(1, count + 1))
    rels += '<Relationship Id="rId%d" Type="%s/styles" Target="styles.xml"/>' % (count + 1, base.REL_NS)
    rels += '<Relationship Id="rId%d" Type="%s/sharedStrings" Target="sharedStrings.xml"/>' % (
        count + 2, base.REL_NS)
    parts["xl/_rels/workbook.xml.rels"] = base.DECL + '<Relationships xmlns="%s">%s</Relationships>' % (
        base.PKG_REL_NS, rels)

    parts["_rels/.rels"] = base.DECL + (
        '<Relationships xmlns="%s">'
        '<Relationship Id="rId1" Type="%s/officeDocument" Target="xl/workbook.xml"/>'
        '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/'
        'core-properties" Target="docProps/core.xml"/>'
        '<Relationship Id="rId3" Type="%s/extended-properties" Target="docProps/app.xml"/>'
        "</Relationships>") % (base.PKG_REL_NS, base.REL_NS, base.REL_NS)

    parts["docProps/core.xml"] = base.DECL + (
        '<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" '
        'xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" '
        'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">'
        "<dc:title>钢板弹簧性能试验记录模板</dc:title>"
        '<dcterms:created xsi:type="dcterms:W3CDTF">2024-01-01T00:00:00Z</dcterms:created>'
        "</cp:coreProperties>")
    titles = "".join("<vt:lpstr>%s</vt:lpstr>" % escape(name) for name, _ in sheets)
    parts["docProps/app.xml"] = base.DECL + (
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
    parts["[Content_Types].xml"] = base.DECL + (
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>%s</Types>') % "".join(overrides)

    order = ["[Content_Types].xml", "_rels/.rels", "docProps/app.xml", "docProps/core.xml", "xl/workbook.xml",
             "xl/_rels/workbook.xml.rels", "xl/styles.xml", "xl/sharedStrings.xml"]
    order += ["xl/worksheets/sheet%d.xml" % i for i in range(1, count + 1)]
    assert sorted(order) == sorted(parts)
    return [(name, parts[name]) for name in order]


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent / "性能试验记录.xltx"
    with zipfile.ZipFile(out, "w") as archive:
        for name, text in build():
            info = zipfile.ZipInfo(name, date_time=(2024, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, text.encode("utf-8"))
    print(out)


if __name__ == "__main__":
    main()
