#!/usr/bin/env python3
"""Prints an .xlsx workbook as xlrd reads it, as a second reader beside openpyxl:
  sheet<TAB>NAME<TAB>ROWS<TAB>COLUMNS
  R<TAB>cell...   with cells TYPE:VALUE, TYPE one of e s n d b (d in ISO form)
"""
import sys

import xlrd


def cell_text(book, cell):
    if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
        return "e:"
    if cell.ctype == xlrd.XL_CELL_TEXT:
        return "s:" + cell.value
    if cell.ctype == xlrd.XL_CELL_NUMBER:
        return "n:" + repr(cell.value)
    if cell.ctype == xlrd.XL_CELL_DATE:
        value = xlrd.xldate.xldate_as_datetime(cell.value, book.datemode)
        return "d:" + value.isoformat(timespec="milliseconds")
    if cell.ctype == xlrd.XL_CELL_BOOLEAN:
        return "b:%d" % cell.value
    return "x:%r" % (cell.value,)


def main():
    book = xlrd.open_workbook(sys.argv[1])
    for sheet in book.sheets():
        print("sheet\t%s\t%d\t%d" % (sheet.name, sheet.nrows, sheet.ncols))
        for r in range(sheet.nrows):
            print("R\t" + "\t".join(cell_text(book, sheet.cell(r, c)) for c in range(sheet.ncols)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
