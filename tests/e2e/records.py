#!/usr/bin/python3
"""Prints the text of record N of a 128-byte record file (16-bit little-endian
length, Windows-1252 text). Usage: records.py FILE N [N...]"""
import sys

with open(sys.argv[1], "rb") as f:
    data = f.read()
for n in sys.argv[2:]:
    offset = (int(n) - 1) * 128
    record = data[offset:offset + 128]
    length = int.from_bytes(record[0:2], "little") if len(record) >= 2 else 0
    print(record[2:2 + length].decode("cp1252"))
