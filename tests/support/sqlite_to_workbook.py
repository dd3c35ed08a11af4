#!/usr/bin/python3
"""Writes every table of a SQLite database as a sheet of a workbook, the way a user
would keep a Hydrologic-Database layout in Excel: one sheet per table, the column names
in the first row, date-times as real Excel dates.

    sqlite_to_workbook.py DATABASE OUT.xlsx|OUT.xls

Columns named date_time hold schema date text and become Excel dates; everything else
is written as SQLite returns it (integers, reals, text, empty cells for NULL).
"""
import datetime
import sqlite3
import sys


def parse_date(text):
    """Every form the schema allows: "T" or " ", seconds and fractions optional."""
    text = text.replace("T", " ")
    for form in ("%Y-%m-%d %H:%M:%S.%f", "%Y-%m-%d %H:%M:%S", "%Y-%m-%d %H:%M", "%Y-%m-%d"):
        try:
            return datetime.datetime.strptime(text, form)
        except ValueError:
            pass
    return text


def tables(db):
    names = [r[0] for r in db.execute(
        "select name from sqlite_master where type='table' and name not like 'sqlite_%' order by name")]
    for name in names:
        cursor = db.execute('select * from "%s"' % name.replace('"', '""'))
        columns = [d[0] for d in cursor.description]
        rows = []
        for row in cursor:
            out = []
            for column, value in zip(columns, row):
                if column.lower() == "date_time" and isinstance(value, str):
                    value = parse_date(value)
                out.append(value)
            rows.append(out)
        yield name, columns, rows


def write_xlsx(db, path):
    import openpyxl
    book = openpyxl.Workbook(write_only=True)
    for name, columns, rows in tables(db):
        sheet = book.create_sheet(name)
        sheet.append(columns)
        for row in rows:
            cells = []
            for value in row:
                if isinstance(value, datetime.datetime):
                    cell = openpyxl.cell.WriteOnlyCell(sheet, value=value)
                    cell.number_format = "yyyy-mm-dd hh:mm:ss"
                    cells.append(cell)
                else:
                    cells.append(value)
            sheet.append(cells)
    book.save(path)


def write_xls(db, path):
    import xlwt
    book = xlwt.Workbook()
    date_style = xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm:ss")
    for name, columns, rows in tables(db):
        sheet = book.add_sheet(name)
        for c, column in enumerate(columns):
            sheet.write(0, c, column)
        for r, row in enumerate(rows, start=1):
            for c, value in enumerate(row):
                if value is None:
                    continue
                if isinstance(value, datetime.datetime):
                    sheet.write(r, c, value, date_style)
                else:
                    sheet.write(r, c, value)
    book.save(path)


def main():
    source, target = sys.argv[1], sys.argv[2]
    db = sqlite3.connect(source)
    if target.lower().endswith(".xls"):
        write_xls(db, target)
    else:
        write_xlsx(db, target)


if __name__ == "__main__":
    main()
