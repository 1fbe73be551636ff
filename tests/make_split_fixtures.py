#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Damaged archives for the split tests (archives as writers make them: make_split_corpus.py).

usage: make_split_fixtures.py KIND OUT
  lying-offset    one stored entry whose central record points past the end of the file
  lying-size      one stored entry whose central record claims 0x7FFFFFF0 compressed bytes
  into-directory  one stored entry whose data, by its size, runs 40 bytes into the central
                  directory (still inside the file)
  size-2^63       the compressed size 2^63-1 in a Zip64 extra field
  size-2^64       the compressed size 2^64-1 in a Zip64 extra field
  zip64-disk      Zip64 end records whose disk fields say 0xFFFF (a spanned archive's)
  stub            1,000 bytes before the archive that its offsets do not count (cat stub a.zip)
  comment-end     an archive comment that holds an end record's signature
  empty-name      one stored entry with an empty name
  disk-start      the entry's disk number start 1
  disk-start-z64  its disk number start 0xFFFF, and 1 in the Zip64 field
  local-size      the central record's compressed size 100, the local header's 520
  spanned-last    the last segment of a spanned set alone (disk 3 of 3, entries on the others)
"""
import struct
import sys
import zlib


def one_entry(out, comp_size=None, offset=0, zip64_size=None, zip64_disk=None, before=b"", comment=b"",
              name=b"hello.txt", disk=0, extra=b"", end_disk=0):
    data = b"hello, world\n" * 40
    crc = zlib.crc32(data)
    local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, 0, 0, 0, 0, crc, len(data), len(data),
                        len(name), 0) + name + data
    csize = len(data) if comp_size is None else comp_size
    usize = len(data)
    if zip64_size is not None:
        extra = struct.pack("<HHQQ", 1, 16, len(data), zip64_size)
        csize = usize = 0xFFFFFFFF
    central = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 45, 45, 0, 0, 0, 0, crc, csize, usize,
                          len(name), len(extra), 0, disk, 0, 0, offset) + name + extra
    eocd = struct.pack("<IHHHHIIH", 0x06054B50, end_disk, end_disk, 1, 1, len(central), len(local), len(comment)) + comment
    if zip64_disk is not None:
        start = len(local) + len(central)
        eocd = (struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, zip64_disk, zip64_disk, 1, 1, len(central),
                            len(local))
                + struct.pack("<IIQI", 0x07064B50, 0, start, 1) + eocd)
    with open(out, "wb") as f:
        f.write(before + local + central + eocd)


def main():
    kind, out = sys.argv[1], sys.argv[2]
    if kind == "lying-offset":
        one_entry(out, offset=1 << 20)
    elif kind == "lying-size":
        one_entry(out, comp_size=0x7FFFFFF0)
    elif kind == "into-directory":
        one_entry(out, comp_size=len(b"hello, world\n" * 40) + 40)
    elif kind == "size-2^63":
        one_entry(out, zip64_size=(1 << 63) - 1)
    elif kind == "size-2^64":
        one_entry(out, zip64_size=(1 << 64) - 1)
    elif kind == "zip64-disk":
        one_entry(out, zip64_disk=0xFFFF)
    elif kind == "stub":
        one_entry(out, before=b"#!stub\n" * 142 + b"######")
    elif kind == "comment-end":
        one_entry(out, comment=b"see PK\x05\x06" + b"\x01" * 18)
    elif kind == "empty-name":
        one_entry(out, name=b"")
    elif kind == "disk-start":
        one_entry(out, disk=1)
    elif kind == "disk-start-z64":
        one_entry(out, disk=0xFFFF, extra=struct.pack("<HHI", 1, 4, 1))
    elif kind == "local-size":
        one_entry(out, comp_size=100)
    elif kind == "spanned-last":
        one_entry(out, offset=1 << 20, end_disk=2)
    else:
        sys.exit("unknown kind " + kind)


main()
