#!/usr/bin/env python3
"""Reads a CSV file with Python's own `csv` module and prints what the CSV tests check as one JSON object:

    {"bom": bool, "delimiter": the sniffed separator, "rows": [[field, ...], ...]}

    read_csv.py FILE

The separator is found by csv.Sniffer among "," and ";", as a spreadsheet program's import guesses it.
"""

import csv
import json
import sys


def main():
    with open(sys.argv[1], "rb") as f:
        raw = f.read()
    bom = raw.startswith(b"\xef\xbb\xbf")
    text = raw.decode("utf-8-sig")
    dialect = csv.Sniffer().sniff(text.split("\r\n", 1)[0], delimiters=",;")
    with open(sys.argv[1], newline="", encoding="utf-8-sig") as f:
        rows = list(csv.reader(f, delimiter=dialect.delimiter))
    print(json.dumps({"bom": bom, "delimiter": dialect.delimiter, "rows": rows}, ensure_ascii=False))


if __name__ == "__main__":
    main()
