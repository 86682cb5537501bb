#!/usr/bin/env python3
"""Fails when an include crosses the architecture's layers the wrong way.

Arrows point down only: app -> cli / windows -> session -> sequencer, results, calibration -> storage, workbook ->
measurement -> platform. Code outside windows/ and app/ never includes a widget, a print or a chart header,
so it runs in tests, in the command line and without a display. The simulated card is plain C++ and
includes nothing of the program.

    scripts/check-layers.py [ROOT]      exit 0 when every include is allowed, 1 with one line per fault
"""
import os
import re
import sys

# Which folders of src/ each folder may include (besides itself).
CORES = ["platform", "measurement", "storage", "workbook", "sequencer", "results", "calibration", "session"]
ALLOWED = {
    "platform": [],
    "measurement": ["platform"],
    "storage": ["platform"],
    "workbook": ["platform"],
    "sequencer": ["measurement", "storage", "platform"],
    "results": ["storage", "workbook", "measurement", "platform"],
    "calibration": ["storage", "workbook", "measurement", "platform"],
    "session": ["sequencer", "results", "calibration", "storage", "workbook", "measurement", "platform"],
    "cli": CORES,
    "windows/common": ["platform"],
    "windows/console": ["windows/common"] + CORES,
    "windows/editor": ["windows/common"] + CORES,
    "windows/setup": ["windows/common"] + CORES,
    "windows/browser": ["windows/console", "windows/common"] + CORES,
    "windows/mainwindow": ["windows/browser", "windows/console", "windows/editor", "windows/setup",
                           "windows/common"] + CORES,
    "app": ["cli", "windows/mainwindow", "windows/browser", "windows/console", "windows/editor",
            "windows/setup", "windows/common"] + CORES,
}
WINDOWED = ("windows/", "app")
QUOTED = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
ANGLED = re.compile(r'^\s*#\s*include\s+<([^>]+)>')


def qt_module_headers(module):
    """The class headers of an installed Qt module (QWidget, QDialog ...), so that every one is caught."""
    names = {module}
    for base in ("/usr/include/x86_64-linux-gnu/qt6", "/usr/include/aarch64-linux-gnu/qt6", "/usr/include/qt6"):
        folder = os.path.join(base, module)
        if os.path.isdir(folder):
            names.update(n for n in os.listdir(folder) if n.startswith("Q") and "." not in n)
    return names


def folder_of(path):
    """src/windows/console/TF_chart.cpp -> windows/console; src/storage/Batch.h -> storage."""
    parts = path.split("/")
    if parts[0] != "src" or len(parts) < 3:
        return None
    return "/".join(parts[1:3]) if parts[1] == "windows" and len(parts) > 3 else parts[1]


def target_folder(include):
    parts = include.split("/")
    if len(parts) < 2:
        return None
    if parts[0] == "windows" and len(parts) > 2:
        return "/".join(parts[:2])
    return parts[0] if parts[0] in ALLOWED or parts[0] == "windows" else None


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    widget_headers = qt_module_headers("QtWidgets") | qt_module_headers("QtPrintSupport") | \
        qt_module_headers("QtOpenGLWidgets") | {"qcustomplot.h"}
    faults = []
    for top in ("src", "sim"):
        for dirpath, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith((".h", ".hpp", ".cpp", ".c")):
                    continue
                full = os.path.join(dirpath, name)
                rel = os.path.relpath(full, root).replace(os.sep, "/")
                here = folder_of(rel)
                with open(full, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        where = f"{rel}:{number}"
                        angled = ANGLED.match(line)
                        if angled:
                            header = angled.group(1)
                            leaf = header.split("/")[-1]
                            windowed = rel.startswith("src/") and here and here.startswith(WINDOWED)
                            if not windowed and (leaf in widget_headers or header.startswith(("QtWidgets/", "QtPrintSupport/"))):
                                faults.append(f"{where}: {here or top} is headless but includes <{header}>")
                            continue
                        quoted = QUOTED.match(line)
                        if not quoted:
                            continue
                        include = quoted.group(1)
                        if top == "sim":
                            if target_folder(include):
                                faults.append(f"{where}: the simulated card includes the program's \"{include}\"")
                            continue
                        there = target_folder(include)
                        if here is None or there is None or there == here:
                            continue
                        if here not in ALLOWED:
                            faults.append(f"{where}: {here} is no known layer (add it to scripts/check-layers.py)")
                        elif there not in ALLOWED[here]:
                            faults.append(f"{where}: {here} may not include {there} (\"{include}\")")
    for fault in faults:
        print(fault)
    if faults:
        print(f"layering: {len(faults)} include(s) against the layers", file=sys.stderr)
        return 1
    print("layering: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
