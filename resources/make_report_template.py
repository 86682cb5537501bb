#!/usr/bin/env python3
"""Writes resources/report.xltx, the report template that `springtest init` copies into an application folder.

Only the standard library: the template is part of the build's resources and must be reproducible on any
machine. Fixed zip timestamps make the output byte-identical from run to run, so a regenerated file only shows
up in a diff when its content changed.

    python3 resources/make_report_template.py [output path]

What the program relies on: worksheet 1 ("数据") receives the scheme and result rows as text, worksheet 3
("采集数据") receives the curve samples, and every report name has a worksheet of that exact name. "示例报表"
is such a report sheet: it reads sheet 1 through formulas, shows units, limits and verdicts, prints on one A4
page and leaves room for the curve picture at A12.
"""

import sys
import zipfile
from pathlib import Path
from xml.sax.saxutils import escape, quoteattr

MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL_NS = "http://schemas.openxmlformats.org/package/2006/relationships"
DECL = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'

DATA_SHEET = "数据"
NOTES_SHEET = "说明"
SAMPLES_SHEET = "采集数据"
REPORT_SHEET = "示例报表"

# Style indexes into cellXfs below.
PLAIN, TITLE, LABEL, VALUE, HEADER, NOTE, SIGN = range(7)


def column_letters(column):
    letters = ""
    while column > 0:
        column, rest = divmod(column - 1, 26)
        letters = chr(ord("A") + rest) + letters
    return letters


class SharedStrings:
    def __init__(self):
        self.items = []
        self.index = {}
        self.uses = 0

    def add(self, text):
        self.uses += 1
        if text not in self.index:
            self.index[text] = len(self.items)
            self.items.append(text)
        return self.index[text]

    def xml(self):
        body = "".join(
            '<si><t xml:space="preserve">%s</t></si>' % escape(t) if t != t.strip() else "<si><t>%s</t></si>" % escape(t)
            for t in self.items
        )
        return DECL + '<sst xmlns="%s" count="%d" uniqueCount="%d">%s</sst>' % (
            MAIN_NS, self.uses, len(self.items), body)


class Sheet:
    """Cells by (row, column); a value is ('s', text), ('f', formula) or None for a styled empty cell."""

    def __init__(self, strings):
        self.strings = strings
        self.cells = {}
        self.row_heights = {}
        self.columns = []  # (first, last, width)
        self.merges = []
        self.extra_after_data = ""
        self.before_data = ""

    def text(self, row, column, text, style=PLAIN):
        self.cells[(row, column)] = (("s", text), style)

    def formula(self, row, column, formula, style=VALUE):
        self.cells[(row, column)] = (("f", formula), style)

    def styled(self, row, column, style):
        self.cells[(row, column)] = (None, style)

    def merge(self, first, last):
        self.merges.append(first + ":" + last)

    def xml(self, selected):
        rows = {}
        for (r, c), cell in self.cells.items():
            rows.setdefault(r, {})[c] = cell
        out = []
        for r in sorted(set(rows) | set(self.row_heights)):
            attrs = ' r="%d"' % r
            if r in self.row_heights:
                attrs += ' ht="%s" customHeight="1"' % self.row_heights[r]
            cells = []
            for c in sorted(rows.get(r, {})):
                value, style = rows[r][c]
                ref = column_letters(c) + str(r)
                s = ' s="%d"' % style if style else ""
                if value is None:
                    cells.append('<c r="%s"%s/>' % (ref, s))
                elif value[0] == "s":
                    cells.append('<c r="%s"%s t="s"><v>%d</v></c>' % (ref, s, self.strings.add(value[1])))
                else:
                    cells.append('<c r="%s"%s><f>%s</f></c>' % (ref, s, escape(value[1])))
            out.append("<row%s>%s</row>" % (attrs, "".join(cells)))
        refs = list(self.cells)
        if refs:
            last_row = max(r for r, _ in refs)
            last_col = max(c for _, c in refs)
            dimension = "A1:%s%d" % (column_letters(last_col), last_row)
        else:
            dimension = "A1"
        cols = ""
        if self.columns:
            cols = "<cols>%s</cols>" % "".join(
                '<col min="%d" max="%d" width="%s" customWidth="1"/>' % c for c in self.columns)
        merges = ""
        if self.merges:
            merges = '<mergeCells count="%d">%s</mergeCells>' % (
                len(self.merges), "".join('<mergeCell ref="%s"/>' % m for m in self.merges))
        view = '<sheetView workbookViewId="0"%s/>' % (' tabSelected="1"' if selected else "")
        return (DECL + '<worksheet xmlns="%s" xmlns:r="%s">' % (MAIN_NS, REL_NS) + self.before_data +
                '<dimension ref="%s"/><sheetViews>%s</sheetViews>' % (dimension, view) +
                '<sheetFormatPr defaultRowHeight="14.25"/>' + cols +
                "<sheetData>%s</sheetData>" % "".join(out) + merges +
                '<pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/>' +
                self.extra_after_data + "</worksheet>")


def data_sheet(strings):
    sheet = Sheet(strings)
    sheet.columns = [(1, 36, "12.625")]
    return sheet


def notes_sheet(strings):
    sheet = Sheet(strings)
    sheet.columns = [(1, 1, "100.625")]
    sheet.text(1, 1, "报表模板说明", TITLE)
    lines = [
        "第1张工作表“数据”：导出时写入方案表头（第1行）、方案记录（第2行）、结果表头（第3行）和测试结果（第4行起）。数值以数值写入，小数位数与测量通道一致，测试日期以日期写入，名称、进回程和操作员以文本写入。",
        "报表导出时，第1张工作表第6行写入单位：B6 负荷单位，D6 位移单位，F6 刚度单位。",
        "第3张工作表“采集数据”：采集数据导出时每个采样点一行，依次为序号、负荷、位移、变形、进回程，没有表头。",
        "报表工作表：工作表名与报表名称相同，用公式引用“数据”表的单元格，例如 =IF('数据'!C4=\"\",\"\",'数据'!C4)。只引用一个单元格的公式在导出时采用该单元格的数字格式。导出的报表只显示报表工作表（其余工作表隐藏），打印为一页A4。",
        "曲线图片：放在报表名称设置中指定的单元格（本例为 A12），请在报表中留出位置。",
        "本模板可以用任何电子表格程序修改，但前三张工作表的顺序必须保留。",
    ]
    for i, line in enumerate(lines):
        sheet.text(3 + i, 1, line, NOTE)
    return sheet


def samples_sheet(strings):
    sheet = Sheet(strings)
    sheet.columns = [(1, 5, "12.625")]
    return sheet


def ref(column, row):
    return "'%s'!%s%d" % (DATA_SHEET, column_letters(column), row)


def number(column, row):
    """A value of sheet 1 as it stands (a number, a date or a text); an empty cell stays empty rather than 0.
    The program gives such a cell the number format of the cell it shows."""
    r = ref(column, row)
    return 'IF(%s="","",%s)' % (r, r)


def text(column, row):
    """A text cell of sheet 1 as text: an empty cell shows empty rather than 0."""
    return '%s&""' % ref(column, row)


def titled(title, unit_formula):
    """A caption with its unit: "title(unit)"."""
    return '"%s("&%s&")"' % (title, unit_formula)


# Sheet 1, row 6 of a named report: B6 the load unit, D6 the displacement unit, F6 the stiffness unit.
LOAD_UNIT = ref(2, 6)
LENGTH_UNIT = ref(4, 6)
STIFFNESS_UNIT = ref(6, 6)
# Styles 2 and 3 set loads and measure lengths; 0 and 1 the other way round.
LOAD_SET = "OR(%s=2,%s=3)" % (ref(2, 2), ref(2, 2))
SET_UNIT = "IF(%s,%s,%s)" % (LOAD_SET, LOAD_UNIT, LENGTH_UNIT)
MEASURED_UNIT = "IF(%s,%s,%s)" % (LOAD_SET, LENGTH_UNIT, LOAD_UNIT)


def judged(value, upper, lower):
    """No verdict without numbers, nor when both limits are 0 (no tolerance set)."""
    return ('IF(OR(NOT(ISNUMBER({v})),NOT(ISNUMBER({u})),NOT(ISNUMBER({l}))),"",'
            'IF(AND({u}=0,{l}=0),"",IF(AND({v}>={l},{v}<={u}),"合格","不合格")))').format(v=value, u=upper, l=lower)


def report_sheet(strings):
    sheet = Sheet(strings)
    sheet.columns = [(1, 8, "12.625")]
    sheet.row_heights[1] = "30"
    sheet.text(1, 1, "弹簧试验报告", TITLE)
    sheet.merge("A1", "H1")

    # Scheme record (row 2, the table's own order): A name, B style, ... G… the points' value/upper/lower,
    # AK/AL the stiffness limits. Result (row 4): A serial, B stroke, C… results, M… rates, W height,
    # X solid height, Y date, Z operator.
    sheet.text(3, 1, "方案名称", LABEL)
    sheet.formula(3, 2, text(1, 2))
    sheet.styled(3, 3, VALUE)
    sheet.styled(3, 4, VALUE)
    sheet.merge("B3", "D3")
    sheet.text(3, 5, "测试日期", LABEL)
    sheet.formula(3, 6, number(25, 4))
    sheet.styled(3, 7, VALUE)
    sheet.styled(3, 8, VALUE)
    sheet.merge("F3", "H3")

    sheet.text(4, 1, "试验序号", LABEL)
    sheet.formula(4, 2, number(1, 4))
    sheet.text(4, 3, "进回程", LABEL)
    sheet.formula(4, 4, text(2, 4))
    sheet.text(4, 5, "操作员", LABEL)
    sheet.formula(4, 6, text(26, 4))
    sheet.styled(4, 7, VALUE)
    sheet.styled(4, 8, VALUE)
    sheet.merge("F4", "H4")

    sheet.formula(5, 1, titled("弹簧高度", LENGTH_UNIT), LABEL)
    sheet.formula(5, 2, number(23, 4))
    sheet.formula(5, 3, titled("压并高度", LENGTH_UNIT), LABEL)
    sheet.formula(5, 4, number(24, 4))
    sheet.formula(5, 5, titled("刚度上限", STIFFNESS_UNIT), LABEL)
    sheet.formula(5, 6, number(37, 2))
    sheet.formula(5, 7, titled("刚度下限", STIFFNESS_UNIT), LABEL)
    sheet.formula(5, 8, number(38, 2))

    sheet.text(6, 1, "测试点", HEADER)
    sheet.formula(6, 2, titled("设定值", SET_UNIT), HEADER)
    sheet.formula(6, 3, titled("上限", MEASURED_UNIT), HEADER)
    sheet.formula(6, 4, titled("下限", MEASURED_UNIT), HEADER)
    sheet.formula(6, 5, titled("测试结果", MEASURED_UNIT), HEADER)
    sheet.text(6, 6, "判定", HEADER)
    sheet.formula(6, 7, titled("刚度", STIFFNESS_UNIT), HEADER)
    sheet.text(6, 8, "刚度判定", HEADER)
    for k in range(1, 5):
        row = 6 + k
        sheet.text(row, 1, "测试点%d" % k, LABEL)
        sheet.formula(row, 2, number(7 + 3 * (k - 1), 2))
        sheet.formula(row, 3, number(8 + 3 * (k - 1), 2))
        sheet.formula(row, 4, number(9 + 3 * (k - 1), 2))
        sheet.formula(row, 5, number(3 + (k - 1), 4))
        sheet.formula(row, 6, judged("E%d" % row, "C%d" % row, "D%d" % row))
        sheet.formula(row, 7, number(13 + (k - 1), 4))
        sheet.formula(row, 8, judged("G%d" % row, "$F$5", "$H$5"))

    sheet.text(11, 1, "试验曲线", LABEL)
    sheet.text(31, 1, "总判定", LABEL)
    sheet.formula(31, 2, (
        'IF(COUNTIF(F7:F10,"不合格")+COUNTIF(H7:H10,"不合格")>0,"不合格",'
        'IF(COUNTIF(F7:F10,"合格")+COUNTIF(H7:H10,"合格")>0,"合格",""))'))
    sheet.text(33, 1, "检验员：", SIGN)
    sheet.text(33, 4, "审核：", SIGN)
    sheet.text(33, 7, "日期：", SIGN)

    # One A4 page, whatever the printer's margins.
    sheet.before_data = '<sheetPr><pageSetUpPr fitToPage="1"/></sheetPr>'
    sheet.extra_after_data = (
        '<pageSetup paperSize="9" orientation="portrait" fitToWidth="1" fitToHeight="1"/>'
        '<headerFooter><oddFooter>&amp;C第 &amp;P 页，共 &amp;N 页</oddFooter></headerFooter>')
    return sheet


STYLES = DECL + """<styleSheet xmlns="%s">
<fonts count="4">
<font><sz val="11"/><name val="宋体"/><family val="3"/><charset val="134"/></font>
<font><b/><sz val="16"/><name val="宋体"/><family val="3"/><charset val="134"/></font>
<font><b/><sz val="11"/><name val="宋体"/><family val="3"/><charset val="134"/></font>
<font><sz val="10.5"/><name val="宋体"/><family val="3"/><charset val="134"/></font>
</fonts>
<fills count="3">
<fill><patternFill patternType="none"/></fill>
<fill><patternFill patternType="gray125"/></fill>
<fill><patternFill patternType="solid"><fgColor rgb="FFD9D9D9"/><bgColor indexed="64"/></patternFill></fill>
</fills>
<borders count="2">
<border><left/><right/><top/><bottom/><diagonal/></border>
<border><left style="thin"><color auto="1"/></left><right style="thin"><color auto="1"/></right><top style="thin"><color auto="1"/></top><bottom style="thin"><color auto="1"/></bottom><diagonal/></border>
</borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="7">
<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>
<xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1" applyAlignment="1"><alignment horizontal="center" vertical="center"/></xf>
<xf numFmtId="0" fontId="2" fillId="0" borderId="1" xfId="0" applyFont="1" applyBorder="1" applyAlignment="1"><alignment vertical="center"/></xf>
<xf numFmtId="0" fontId="0" fillId="0" borderId="1" xfId="0" applyBorder="1" applyAlignment="1"><alignment horizontal="center" vertical="center"/></xf>
<xf numFmtId="0" fontId="2" fillId="2" borderId="1" xfId="0" applyFont="1" applyFill="1" applyBorder="1" applyAlignment="1"><alignment horizontal="center" vertical="center"/></xf>
<xf numFmtId="0" fontId="3" fillId="0" borderId="0" xfId="0" applyFont="1" applyAlignment="1"><alignment vertical="top" wrapText="1"/></xf>
<xf numFmtId="0" fontId="2" fillId="0" borderId="0" xfId="0" applyFont="1"/>
</cellXfs>
<cellStyles count="1"><cellStyle name="常规" xfId="0" builtinId="0"/></cellStyles>
<dxfs count="0"/>
<tableStyles count="0" defaultTableStyle="TableStyleMedium2" defaultPivotStyle="PivotStyleLight16"/>
</styleSheet>""" % MAIN_NS


def build():
    strings = SharedStrings()
    sheets = [
        (DATA_SHEET, data_sheet(strings)),
        (NOTES_SHEET, notes_sheet(strings)),
        (SAMPLES_SHEET, samples_sheet(strings)),
        (REPORT_SHEET, report_sheet(strings)),
    ]
    parts = {}
    for i, (_, sheet) in enumerate(sheets, start=1):
        parts["xl/worksheets/sheet%d.xml" % i] = sheet.xml(selected=(i == 1))
    parts["xl/sharedStrings.xml"] = strings.xml()
    parts["xl/styles.xml"] = STYLES

    count = len(sheets)
    sheet_entries = "".join(
        '<sheet name=%s sheetId="%d" r:id="rId%d"/>' % (quoteattr(name), i, i)
        for i, (name, _) in enumerate(sheets, start=1))
    report_index = [name for name, _ in sheets].index(REPORT_SHEET)
    parts["xl/workbook.xml"] = (
        DECL + '<workbook xmlns="%s" xmlns:r="%s">' % (MAIN_NS, REL_NS) +
        '<workbookPr/><bookViews><workbookView activeTab="0"/></bookViews>' +
        "<sheets>%s</sheets>" % sheet_entries +
        '<definedNames><definedName name="_xlnm.Print_Area" localSheetId="%d">%s</definedName></definedNames>' % (
            report_index, escape("'%s'!$A$1:$H$34" % REPORT_SHEET)) +
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
        "<dc:title>弹簧试验报表模板</dc:title>"
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
    content_types = DECL + (
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>%s</Types>') % "".join(overrides)

    order = ["[Content_Types].xml", "_rels/.rels", "docProps/app.xml", "docProps/core.xml", "xl/workbook.xml",
             "xl/_rels/workbook.xml.rels", "xl/styles.xml", "xl/sharedStrings.xml"]
    order += ["xl/worksheets/sheet%d.xml" % i for i in range(1, count + 1)]
    parts["[Content_Types].xml"] = content_types
    assert sorted(order) == sorted(parts)
    return [(name, parts[name]) for name in order]


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent / "report.xltx"
    with zipfile.ZipFile(out, "w") as archive:
        for name, text in build():
            info = zipfile.ZipInfo(name, date_time=(2024, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, text.encode("utf-8"))
    print(out)


if __name__ == "__main__":
    main()
