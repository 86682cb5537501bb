#!/usr/bin/env python3
"""Reads a workbook with openpyxl, a reader that shares no code with ours, and prints what the workbook tests
check as one JSON object:

    {"template": bool, "fullCalcOnLoad": bool, "active": sheet name, "sheets": [names],
     "selectedTabs": [names of the sheets whose tab is selected],
     "pngContentType": str or null, "definedNames": {name: text},
     "cells": {sheet: {"A1": {"v": text, "t": openpyxl data type, "bold": bool, "color": "FFRRGGBB" or null,
                              "border": left border style or null, "stored": a formula's stored result or null}}},
     "images": {sheet: [{"anchor": "oneCellAnchor", "col": 0, "row": 11, "cx": emu, "cy": emu,
                          "png": bool, "bytes": n}]},
     "printArea": {sheet: text}, "sheetStates": {sheet: "visible" or "hidden"},
     "pageSetup": {sheet: {"fitToPage": bool, "fitToWidth": n, "fitToHeight": n, "paperSize": n}}}

A cell's "format" is its number format code ("General", "0.00", "yyyy-mm-dd hh:mm:ss").

Pictures are found through openpyxl's own drawing reader rather than `ws._images`, which needs Pillow.
"""

import json
import sys
import warnings

import openpyxl
from openpyxl.drawing.spreadsheet_drawing import SpreadsheetDrawing
from openpyxl.packaging.relationship import get_dependents, get_rels_path
from openpyxl.reader.excel import ExcelReader, _find_workbook_part
from openpyxl.reader.workbook import WorkbookParser
from openpyxl.xml.functions import fromstring


def pictures(path):
    reader = ExcelReader(path)
    reader.read_manifest()
    archive = reader.archive
    png_types = [d.ContentType for d in reader.package.Default if d.Extension.lower() == "png"]
    parser = WorkbookParser(archive, _find_workbook_part(reader.package).PartName[1:])
    parser.parse()
    found = {}
    for sheet, rel in parser.find_sheets():
        listed = []
        rels_path = get_rels_path(rel.target)
        if rels_path in archive.namelist():
            for drawing_rel in get_dependents(archive, rels_path).find(SpreadsheetDrawing._rel_type):
                drawing = SpreadsheetDrawing.from_tree(fromstring(archive.read(drawing_rel.target)))
                deps = get_dependents(archive, get_rels_path(drawing_rel.target))
                for blip in drawing._blip_rels:
                    data = archive.read(deps[blip.embed].target)
                    anchor = blip.anchor
                    ext = getattr(anchor, "ext", None)
                    listed.append({
                        "anchor": anchor.tagname,
                        "col": anchor._from.col,
                        "row": anchor._from.row,
                        "cx": ext.width if ext is not None else None,
                        "cy": ext.height if ext is not None else None,
                        "png": data[:8] == b"\x89PNG\r\n\x1a\n",
                        "bytes": len(data),
                    })
        found[sheet.name] = listed
    return found, (png_types[0] if png_types else None)


def main():
    path = sys.argv[1]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        wb = openpyxl.load_workbook(path)
        stored = openpyxl.load_workbook(path, data_only=True)
    cells = {}
    print_areas = {}
    states = {}
    fits = {}
    for ws in wb.worksheets:
        listed = {}
        for row in ws.iter_rows():
            for c in row:
                color = c.font.color
                rgb = color.rgb if color is not None and color.type == "rgb" else None
                if c.value is None and rgb is None and not c.has_style:
                    continue
                listed[c.coordinate] = {
                    "v": None if c.value is None else str(c.value),
                    "t": c.data_type,
                    "bold": bool(c.font.b),
                    "color": rgb,
                    "border": c.border.left.style,
                    "format": c.number_format,
                    "stored": None if c.data_type != "f" or stored[ws.title][c.coordinate].value is None
                    else str(stored[ws.title][c.coordinate].value),
                }
        cells[ws.title] = listed
        states[ws.title] = ws.sheet_state
        fits[ws.title] = {"fitToPage": bool(ws.sheet_properties.pageSetUpPr is not None
                                            and ws.sheet_properties.pageSetUpPr.fitToPage),
                          "fitToWidth": ws.page_setup.fitToWidth, "fitToHeight": ws.page_setup.fitToHeight,
                          "paperSize": ws.page_setup.paperSize}
        if ws.print_area:
            print_areas[ws.title] = ws.print_area if isinstance(ws.print_area, str) else ",".join(ws.print_area)
    images, png_type = pictures(path)
    names = {}
    for defined in wb.defined_names.definedName:
        names[defined.name] = defined.attr_text
    calc = wb.calculation
    print(json.dumps({
        "template": bool(wb.template),
        "fullCalcOnLoad": bool(calc is not None and calc.fullCalcOnLoad),
        "active": wb.active.title if wb.active is not None else None,
        "sheets": wb.sheetnames,
        "selectedTabs": [ws.title for ws in wb.worksheets if ws.sheet_view.tabSelected],
        "pngContentType": png_type,
        "definedNames": names,
        "cells": cells,
        "images": images,
        "printArea": print_areas,
        "sheetStates": states,
        "pageSetup": fits,
    }, ensure_ascii=False))


if __name__ == "__main__":
    main()
