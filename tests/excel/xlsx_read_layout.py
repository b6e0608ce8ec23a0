#!/usr/bin/env python3
"""Prints what openpyxl reads of a workbook's layout, one line each:
  sheet<TAB>NAME<TAB>freeze=CELL<TAB>filter=RANGE
  width<TAB>COLUMN<TAB>WIDTH
  style<TAB>CELL<TAB>type=T<TAB>format=F<TAB>bold=B<TAB>horizontal=H<TAB>wrap=W<TAB>fill=P:COLOR<TAB>border=L,R,T,B
"""
import sys

import openpyxl


def main():
    book = openpyxl.load_workbook(sys.argv[1])
    for sheet in book.worksheets:
        print("sheet\t%s\tfreeze=%s\tfilter=%s" % (sheet.title, sheet.freeze_panes, sheet.auto_filter.ref))
        for letter, dimension in sorted(sheet.column_dimensions.items()):
            if dimension.customWidth:
                print("width\t%s\t%g" % (letter, dimension.width))
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is None:
                    continue
                fill = cell.fill
                color = fill.fgColor.rgb if fill.patternType else ""
                border = cell.border
                print("style\t%s\ttype=%s\tformat=%s\tbold=%d\thorizontal=%s\twrap=%d\tfill=%s:%s\tborder=%s,%s,%s,%s" % (
                    cell.coordinate, cell.data_type, cell.number_format, int(bool(cell.font.b)),
                    cell.alignment.horizontal, int(bool(cell.alignment.wrap_text)),
                    fill.patternType, color, border.left.style, border.right.style,
                    border.top.style, border.bottom.style))
    return 0


if __name__ == "__main__":
    sys.exit(main())
