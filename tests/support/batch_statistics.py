#!/usr/bin/env python3
"""Computes a standard batch's statistics from the stored values with Python's own `statistics` module, sharing
no code with the program, and prints them as one JSON object keyed "column|stroke" (stroke empty for heights):

    {"result1|进": {"n": 30, "mean": .., "sd": .. or null, "min": .., "max": .., "range": ..,
                    "cp": .. or null, "cpk": .. or null, "within": n or null, "above": .., "below": ..}, ...}

    batch_statistics.py BATCH.mdb

A point's limits are the scheme's schemedataK_max / _min, a stiffness's scheme_gangdu_max / _min; two zero
limits are none. The heights count once per test, from its first row. Empty cells are no values.
"""

import json
import sqlite3
import statistics
import sys


def number(text):
    if text is None:
        return None
    try:
        return float(str(text).strip())
    except ValueError:
        return None


def figures(values, limits):
    out = {"n": len(values), "mean": None, "sd": None, "min": None, "max": None, "range": None,
           "cp": None, "cpk": None, "within": None, "above": None, "below": None}
    if limits:
        upper, lower = limits
        out["above"] = sum(1 for v in values if v > upper)
        out["below"] = sum(1 for v in values if v < lower)
        out["within"] = len(values) - out["above"] - out["below"]
    if values:
        out["mean"] = statistics.fmean(values)
        out["min"], out["max"] = min(values), max(values)
        out["range"] = out["max"] - out["min"]
    if len(values) >= 2:
        out["sd"] = statistics.stdev(values)
        if limits and out["sd"] > 0:
            upper, lower = limits
            out["cp"] = (upper - lower) / (6 * out["sd"])
            out["cpk"] = min(upper - out["mean"], out["mean"] - lower) / (3 * out["sd"])
    return out


def main():
    db = sqlite3.connect(sys.argv[1])
    db.row_factory = sqlite3.Row
    scheme = db.execute("select * from test_information").fetchone()
    rows = db.execute("select * from test_result order by rowid").fetchall()
    points = int(number(scheme["scheme_sum"]))

    def limits(upper_column, lower_column):
        upper, lower = number(scheme[upper_column]) or 0.0, number(scheme[lower_column]) or 0.0
        return None if upper == 0 and lower == 0 else (upper, lower)

    result = {}
    for stroke in ("进", "回"):
        stroke_rows = [r for r in rows if (r["jinhuicheng"] or "").strip() == stroke or
                       (stroke == "进" and (r["jinhuicheng"] or "").strip() != "回")]
        if not stroke_rows:
            continue
        for k in range(1, points + 1):
            for column, lim in ((f"result{k}", limits(f"schemedata{k}_max", f"schemedata{k}_min")),
                                (f"gangdu{k}", limits("scheme_gangdu_max", "scheme_gangdu_min"))):
                values = [v for v in (number(r[column]) for r in stroke_rows) if v is not None]
                result[f"{column}|{stroke}"] = figures(values, lim)
    firsts = {}
    for r in rows:
        firsts.setdefault(r["xuhao"], r)
    for column in ("height", "yb_height"):
        values = [v for v in (number(r[column]) for r in firsts.values()) if v is not None]
        result[f"{column}|"] = figures(values, None)
    print(json.dumps(result, ensure_ascii=False))


if __name__ == "__main__":
    main()
