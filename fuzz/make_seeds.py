#!/usr/bin/env python3
"""Writes the fuzzers' seed corpus (our own inputs) into OUT/reader and OUT/dates."""
import os
import struct
import sys

DATES = ["2009.11.13", "2009-11-13", "2009-11-13-2", "2009-11-13 10:30", "1-2-3", "x-1-2", "2009-13-45",
         "-1-2-3", "99999999999-1-1", "  +7.8.9", "2009-11-13-", "2009-11", "2009-11-13abc", "1-2"]


def field(text, width):
    units = text.encode("utf-16-le")[: width * 2]
    return units + b"\0" * (width * 2 - len(units))


def container(items, entry_size=184, count=None, data_offset=None, fmt=(1, 1), magic=b"93vn"):
    count = len(items) if count is None else count
    data_offset = 32 + len(items) * 184 if data_offset is None else data_offset
    out = magic + struct.pack("<7I", 0, fmt[0], fmt[1], 0, entry_size, count, data_offset)
    offset = 0
    for ident, date, ext, title, data in items:
        out += struct.pack("<2I", offset, len(data)) + field(ident, 32) + field(date, 16) + field(ext, 8) + field(title, 32)
        offset += len(data)
    return out + b"".join(item[4] for item in items)


def main():
    out = sys.argv[1]
    os.makedirs(os.path.join(out, "reader"), exist_ok=True)
    os.makedirs(os.path.join(out, "dates"), exist_ok=True)
    for i, text in enumerate(DATES):
        with open(os.path.join(out, "dates", "seed%02d" % i), "wb") as f:
            f.write(text.encode("utf-16-le"))
    two = [("news", "2009.11.13", ".dic", "新闻", b"n" * 2049), ("sci", "2010-1-1", ".dip", "科学", b"")]
    seeds = {
        "empty": container([]),
        "two": container(two),
        "one_2048": container([("a", "1-2-3", ".dic", "A", b"a" * 2048)]),
        "short_entry": container([("b", "1-2-3", ".dic", "B", b"b" * 10)], entry_size=100),
        "past_end": container(two, data_offset=0xFFFFFF00),
        "format_b_only": container(two, fmt=(7, 1)),
    }
    for name, data in seeds.items():
        with open(os.path.join(out, "reader", name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
