#!/usr/bin/env python3
"""Damages a copy of the sample host's tables in one named way, for the fuzz pass.

Usage: mutate.py AGENDA_DIR YEAR_DIR OP [ARG...]
  set TABLE FIELD WHICH VALUE   writes VALUE raw into FIELD of the rows WHICH picks
                                (newest-P, newest-D: the newest document of that kind;
                                items-P, items-D: the last item row of that document);
                                a currency field takes an integer of ten-thousandths
  bytes TABLE WHICH HEX         overwrites the whole row after its deletion flag
  delete-flag TABLE WHICH       marks the rows deleted
  truncate TABLE N              cuts N bytes off the end of the file
  header TABLE OFFSET HEX       overwrites header bytes
  remove TABLE                  removes the table's file
TABLE is SkSezDok, SkSezPol (in YEAR_DIR) or SkSezZas (in AGENDA_DIR).
"""
import os
import struct
import sys


def table_path(agenda, year, table):
    folder = agenda if table == "SkSezZas" else year
    for name in os.listdir(folder):
        if name.lower() == table.lower() + ".dbf":
            return os.path.join(folder, name)
    sys.exit("no table " + table)


class Dbf:
    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            self.data = bytearray(f.read())
        self.count = struct.unpack_from("<I", self.data, 4)[0]
        self.header, self.length = struct.unpack_from("<HH", self.data, 8)
        self.fields = {}
        offset, at = 1, 32
        while at < self.header and self.data[at] != 0x0D:
            name = bytes(self.data[at:at + 11]).split(b"\0")[0].decode("cp1250").strip()
            kind, size = chr(self.data[at + 11]), self.data[at + 16]
            self.fields[name.lower()] = (kind, offset, size)
            offset += size
            at += 32

    def row(self, number):
        start = self.header + number * self.length
        return start

    def get(self, number, field):
        kind, offset, size = self.fields[field.lower()]
        start = self.row(number) + offset
        raw = bytes(self.data[start:start + size])
        if kind == "I":
            return struct.unpack("<i", raw)[0]
        return raw.decode("cp1250").strip()

    def put(self, number, field, value):
        kind, offset, size = self.fields[field.lower()]
        start = self.row(number) + offset
        if kind == "Y":
            raw = struct.pack("<q", int(value))
        elif kind == "I":
            raw = struct.pack("<i", int(value))
        else:
            raw = value.encode("cp1250").rjust(size)[:size] if kind == "N" else value.encode("cp1250").ljust(size)[:size]
        self.data[start:start + size] = raw

    def save(self):
        with open(self.path, "wb") as f:
            f.write(self.data)


def newest(docs, kind):
    best = None
    for r in range(docs.count):
        if docs.data[docs.row(r)] == ord("*") or docs.get(r, "Typ") != kind:
            continue
        if best is None or docs.get(r, "CDokladu") > docs.get(best, "CDokladu"):
            best = r
    return best


def rows(agenda, year, table, which):
    docs = Dbf(table_path(agenda, year, "SkSezDok"))
    doc = newest(docs, which[-1])
    if which.startswith("newest-"):
        return [doc]
    items = Dbf(table_path(agenda, year, "SkSezPol"))
    ident = docs.get(doc, "CDokladu")
    mine = [r for r in range(items.count) if items.get(r, "CDokladu") == ident and items.get(r, "TypDokladu") == "S"]
    return mine[-1:]


def main(argv):
    agenda, year, op, args = argv[1], argv[2], argv[3], argv[4:]
    table = Dbf(table_path(agenda, year, args[0])) if op != "remove" else None
    if op == "set":
        _, field, which, value = args
        for r in rows(agenda, year, args[0], which):
            table.put(r, field, value)
    elif op == "bytes":
        _, which, hexbytes = args
        for r in rows(agenda, year, args[0], which):
            raw = bytes.fromhex(hexbytes)
            start = table.row(r) + 1
            table.data[start:start + min(len(raw), table.length - 1)] = raw[:table.length - 1]
    elif op == "delete-flag":
        for r in rows(agenda, year, args[0], args[1]):
            table.data[table.row(r)] = ord("*")
    elif op == "truncate":
        del table.data[len(table.data) - int(args[1]):]
    elif op == "header":
        raw = bytes.fromhex(args[2])
        table.data[int(args[1]):int(args[1]) + len(raw)] = raw
    elif op == "remove":
        os.remove(table_path(agenda, year, args[0]))
        return
    else:
        sys.exit("unknown operation " + op)
    table.save()


if __name__ == "__main__":
    main(sys.argv)
