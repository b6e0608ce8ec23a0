#!/usr/bin/env python3
"""Prints a workbook as plain lines so tests can compare what an independent reader sees.

Output, one line each:
  sheet<TAB>NAME<TAB>ROWS<TAB>COLUMNS
  R<TAB>cell<TAB>cell...       one line per row of the sheet
A cell is TYPE:VALUE with TYPE n (number), s (text), d (date or time, ISO form with
milliseconds), b (boolean), e (empty) or x (error); tabs, line feeds, carriage returns and
backslashes inside texts are written as \\t, \\n, \\r and \\\\.
.xls files are read with xlrd, .xlsx files with openpyxl.
"""
import datetime
import sys


def escape(text):
    return (text.replace("\\", "\\\\").replace("\t", "\\t")
            .replace("\n", "\\n").replace("\r", "\\r"))


def number(value):
    if isinstance(value, float) and value.is_integer() and abs(value) < 1e15:
        return "n:%d" % int(value)
    return "n:" + repr(value)


def date_text(value):
    if isinstance(value, datetime.datetime):
        return "d:" + value.strftime("%Y-%m-%dT%H:%M:%S.") + "%03d" % (value.microsecond // 1000)
    if isinstance(value, datetime.date):
        return "d:" + value.strftime("%Y-%m-%d")
    if isinstance(value, datetime.time):
        return "d:" + value.strftime("%H:%M:%S.") + "%03d" % (value.microsecond // 1000)
    return "d:" + str(value)


def dump_xls(path):
    import xlrd
    book = xlrd.open_workbook(path)
    for sheet in book.sheets():
        print("sheet\t%s\t%d\t%d" % (sheet.name, sheet.nrows, sheet.ncols))
        for r in range(sheet.nrows):
            cells = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    cells.append("e:")
                elif cell.ctype == xlrd.XL_CELL_NUMBER:
                    cells.append(number(cell.value))
                elif cell.ctype == xlrd.XL_CELL_TEXT:
                    cells.append("s:" + escape(cell.value))
                elif cell.ctype == xlrd.XL_CELL_DATE:
                    try:
                        value = xlrd.xldate.xldate_as_datetime(cell.value, book.datemode)
                        if cell.value < 1:
                            value = value.time()
                        cells.append(date_text(value))
                    except Exception:
                        cells.append(number(cell.value))
                elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                    cells.append("b:%d" % int(cell.value))
                else:
                    cells.append("x:%r" % (cell.value,))
            print("R\t" + "\t".join(cells))


def dump_xlsx(path):
    import openpyxl
    book = openpyxl.load_workbook(path)
    for sheet in book.worksheets:
        rows = list(sheet.iter_rows())
        print("sheet\t%s\t%d\t%d" % (sheet.title, sheet.max_row if rows else 0,
                                      sheet.max_column if rows else 0))
        for row in rows:
            cells = []
            for cell in row:
                value = cell.value
                if value is None:
                    cells.append("e:")
                elif isinstance(value, bool):
                    cells.append("b:%d" % int(value))
                elif isinstance(value, (int, float)):
                    cells.append(number(value))
                elif isinstance(value, (datetime.datetime, datetime.date, datetime.time)):
                    cells.append(date_text(value))
                elif isinstance(value, str):
                    cells.append("s:" + escape(value))
                else:
                    cells.append("x:%r" % (value,))
            print("R\t" + "\t".join(cells))


def main():
    if len(sys.argv) != 2:
        print("usage: dump_workbook.py FILE.xls|FILE.xlsx", file=sys.stderr)
        return 2
    path = sys.argv[1]
    if path.lower().endswith(".xlsx"):
        dump_xlsx(path)
    else:
        dump_xls(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
