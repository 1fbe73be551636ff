#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the fuzzer's seed corpus, which the reader's tests use as their archives too: small
archives of every shape the reader meets, good and bad."""
import io
import os
import subprocess
import sys
import tempfile
import struct
import zipfile
import zlib

# Usage: make_corpus.py <folder> [--big <path>] [--extract-seeds <folder>]
#   --big: a sparse 5 GiB Zip64 archive, for tests
#   --extract-seeds: the seeds again, each behind an option byte, for fuzz_unzip32_extract
out = sys.argv[1] if len(sys.argv) > 1 else "fuzz-corpus"
big_path = sys.argv[sys.argv.index("--big") + 1] if "--big" in sys.argv else None
extract_seeds = sys.argv[sys.argv.index("--extract-seeds") + 1] if "--extract-seeds" in sys.argv else None
os.makedirs(out, exist_ok=True)


def save(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


def build(entries, compression=zipfile.ZIP_DEFLATED, comment=b"", force64=False):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", compression) as z:
        z.comment = comment
        for name, data in entries:
            if name.endswith("/"):
                z.writestr(zipfile.ZipInfo(name), b"")
            elif force64:
                with z.open(name, "w", force_zip64=True) as f:
                    f.write(data)
            else:
                z.writestr(name, data)
    return buf.getvalue()


text = b"hello world\r\n" * 20
save("stored.zip", build([("a.txt", b"abc"), ("docs/", b""), ("docs/b.txt", text)], zipfile.ZIP_STORED))
save("deflated.zip", build([("a.txt", text), ("x/y/z.bin", bytes(range(256)) * 4)]))
save("bzip2.zip", build([("a.txt", text)], zipfile.ZIP_BZIP2))
save("lzma.zip", build([("a.txt", text)], zipfile.ZIP_LZMA))
save("empty.zip", build([]))
save("comment.zip", build([("c.txt", b"c")], comment=b"a comment"))
save("zip64.zip", build([("big.bin", b"z" * 1000)], force64=True))
save("evil.zip", build([("../x", b"1"), ("/etc/x", b"2"), ("a/../../x", b"3"), ("..\\y", b"4")]))
bad = bytearray(build([("deep/er/a.txt", text)], zipfile.ZIP_STORED))
bad[30 + len("deep/er/a.txt") + 5] ^= 0xFF  # a data byte: CRC mismatch
save("badcrc.zip", bytes(bad))
save("truncated.zip", build([("a.txt", text)])[:-10])
with tempfile.TemporaryDirectory() as tmp:
    os.mkdir(os.path.join(tmp, "sub"))
    for member in ("s.txt", "sub/s.txt"):
        with open(os.path.join(tmp, member), "wb") as f:
            f.write(text)
    target = os.path.join(tmp, "enc.zip")

    def crc_byte(crc, byte):  # the cipher's CRC-32 step, without zlib's inversions
        return ~zlib.crc32(bytes([byte]), ~crc & 0xFFFFFFFF) & 0xFFFFFFFF

    def check_byte(header, password):  # the last of the 12 header bytes, deciphered
        k0, k1, k2 = 305419896, 591751049, 878082192
        def update(c):
            nonlocal k0, k1, k2
            k0 = crc_byte(k0, c)
            k1 = ((k1 + (k0 & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
            k2 = crc_byte(k2, k1 >> 24)
        for c in password:
            update(c)
        plain = 0
        for c in header:
            t = (k2 | 2) & 0xFFFF
            plain = c ^ ((t * (t ^ 1)) >> 8) & 0xFF
            update(plain)
        return plain

    def rejects_wrong_passwords(path, member):
        # Traditional encryption checks one byte: 1 wrong password in 256 gets past it, and
        # readers compare it with the CRC's or the time's high byte. The tests' wrong passwords
        # must be refused at that check by either, so draw again until they are.
        with zipfile.ZipFile(path) as z, open(path, "rb") as f:
            info = z.getinfo(member)
            f.seek(info.header_offset)
            local = f.read(30)
            f.seek(info.header_offset + 30 + int.from_bytes(local[26:28], "little")
                   + int.from_bytes(local[28:30], "little"))
            header = f.read(12)
            allowed = {info.CRC >> 24, (info._raw_time >> 8) & 0xFF}
            return all(check_byte(header, wrong) not in allowed
                       for wrong in (b"wrong", b"nope", b"a", b"b", b"c", b"d"))

    for member, name in (("s.txt", "encrypted.zip"), ("sub/s.txt", "encrypted_in_folder.zip")):
        for _ in range(50):
            if os.path.exists(target):
                os.remove(target)
            if subprocess.run(["zip", "-q", "-P", "secret", target, member], cwd=tmp).returncode != 0:
                break
            if rejects_wrong_passwords(target, member):
                with open(target, "rb") as f:
                    save(name, f.read())
                break
    os.symlink("s.txt", os.path.join(tmp, "link"))
    target = os.path.join(tmp, "link.zip")
    if subprocess.run(["zip", "-q", "-y", target, "link"], cwd=tmp).returncode == 0:
        with open(target, "rb") as f:
            save("symlink.zip", f.read())


def eocd_at(data):
    return data.rindex(b"PK\x05\x06")


lying = bytearray(build([("a.txt", b"one"), ("b.txt", b"two")], zipfile.ZIP_STORED))
at = eocd_at(lying)
struct.pack_into("<HH", lying, at + 8, 5, 5)  # says 5 entries, holds 2
save("lying_count.zip", bytes(lying))
lying = bytearray(build([("a.txt", b"one"), ("b.txt", b"two")], zipfile.ZIP_STORED))
at = eocd_at(lying)
offset = struct.unpack_from("<I", lying, at + 16)[0]
struct.pack_into("<I", lying, at + 16, offset + 7)  # central directory not where it says
save("lying_offset.zip", bytes(lying))
save("not_a_zip.zip", b"This is plain text, not an archive.\n" * 4)
save("spaces.zip", build([("my docs/read me.txt", b"spaces")], zipfile.ZIP_STORED))
save("through_link.zip", build([("link/x", b"must not land outside"), ("link", b"replaces the link"),
                                 ("deep/../link/y", b"climbs"), ("sub\\..\\..\\z", b"backslashes")], zipfile.ZIP_STORED))
save("crlf.zip", build([("t.txt", b"one\r\ntwo\r\n"), ("b.bin", b"\x00\r\n")], zipfile.ZIP_STORED))
# Names with the matcher's special characters; every entry holds its own path.
wild = ["abc.txt", "a?c.txt", "a*c.txt", "a\\c.txt", "a[b]c.txt", "d/a?c.txt"]
save("wild.zip", build([(n, n.encode()) for n in wild], zipfile.ZIP_STORED))
# Stamps around daylight-saving changes, named after the stored local time: 02:30 on 31 March
# 2024 does not exist in Berlin, 03:30 does; 02:30 on 27 October happens twice there; 02:30 on
# 10 March does not exist in New York.
dst = io.BytesIO()
with zipfile.ZipFile(dst, "w") as z:
    for stamp in ((2024, 3, 31, 2, 30), (2024, 3, 31, 3, 30), (2024, 10, 27, 2, 30), (2024, 3, 10, 2, 30)):
        z.writestr(zipfile.ZipInfo("%04d-%02d-%02d %02d-%02d" % stamp, stamp + (0,)), b"x")
save("dst.zip", dst.getvalue())


def zip64_eocd(entries, cd_size, cd_offset, end_offset):
    record = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, entries, entries, cd_size, cd_offset)
    locator = struct.pack("<IIQI", 0x07064B50, 0, end_offset, 1)
    eocd = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, min(entries, 0xFFFF), min(entries, 0xFFFF),
                       min(cd_size, 0xFFFFFFFF), 0xFFFFFFFF, 0)
    return record + locator + eocd


def zip64_archive(name, data_length, write_data, crc=0, packed=None, method=0):
    """An entry (stored, unless packed into fewer bytes) with Zip64 sizes and a Zip64 end record;
    write_data(f) writes the data."""
    packed = data_length if packed is None else packed
    local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 45, 0, method, 0x6000, 0x5A21, crc,
                        0xFFFFFFFF, 0xFFFFFFFF, len(name), 20) + name
    local += struct.pack("<HHQQ", 1, 16, data_length, packed)
    central = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, (3 << 8) | 45, 45, 0, method, 0x6000, 0x5A21,
                          crc, 0xFFFFFFFF, 0xFFFFFFFF, len(name), 20, 0, 0, 0, 0o100644 << 16, 0) + name
    central += struct.pack("<HHQQ", 1, 16, data_length, packed)
    cd_offset = len(local) + packed
    return local, central, cd_offset


# A small archive with Zip64 records, then the same with records that do not add up.
payload = b"zip64 payload\n" * 8
local, central, cd_offset = zip64_archive(b"z64.txt", len(payload), None, zlib.crc32(payload))
good64 = local + payload + central + zip64_eocd(1, len(central), cd_offset, cd_offset + len(central))
save("zip64_records.zip", good64)
bad = bytearray(good64)
struct.pack_into("<Q", bad, cd_offset + len(central) + 24, 3)  # Zip64 record: 3 entries, holds 1
struct.pack_into("<Q", bad, cd_offset + len(central) + 32, 3)
save("bad_zip64_count.zip", bytes(bad))
struct.pack_into("<QQ", bad, cd_offset + len(central) + 24, 0xFFFF, 0xFFFF)  # in a Zip64 record 0xFFFF is a count
save("bad_zip64_count_ffff.zip", bytes(bad))
bad = bytearray(good64)
struct.pack_into("<Q", bad, cd_offset + len(central) + 56 + 8, 999999)  # locator points nowhere
save("bad_zip64_locator.zip", bytes(bad))
# Zip64 sizes that differ: the compressed one is the field's second.
text64 = b"deflated, with Zip64 sizes\n" * 40
c = zlib.compressobj(6, zlib.DEFLATED, -15)
packed64 = c.compress(text64) + c.flush()
local, central, cd_offset = zip64_archive(b"d64.txt", len(text64), None, zlib.crc32(text64), len(packed64), 8)
save("zip64_deflated.zip", local + packed64 + central + zip64_eocd(1, len(central), cd_offset, cd_offset + len(central)))


def upath(name, crc, declared=None):
    body = struct.pack("<BI", 1, crc) + name.encode()
    return struct.pack("<HH", 0x7075, len(body) if declared is None else declared) + body


# Unicode paths to pass over: a checksum not the name's, and a field whose length runs 2 bytes into the comment.
bad_upath = io.BytesIO()
with zipfile.ZipFile(bad_upath, "w") as z:
    for name, extra in (("stale.txt", upath("caf\u00e9.txt", 1234)),
                        ("cut.txt", upath("caf\u00e9.txt", zlib.crc32(b"cut.txt"), 16))):
        entry = zipfile.ZipInfo(name)
        entry.extra, entry.comment = extra, b"note"
        z.writestr(entry, name.encode())
save("upath_passed_over.zip", bad_upath.getvalue())

# Directories that put an entry's data outside the archive: sizes and offsets that libzip opens.
small = build([("a.txt", b"abc")], zipfile.ZIP_STORED)
at = small.index(b"PK\x01\x02")
# into_directory.zip: inside the file, but the data runs 20 bytes into the central directory.
for name, field, value in (("outside_size.zip", 20, 0xFFFFFFF0), ("outside_offset.zip", 42, len(small) + 1000),
                           ("into_directory.zip", 20, 3 + 20)):
    bad = bytearray(small)
    struct.pack_into("<I", bad, at + field, value)
    save(name, bytes(bad))


def zip64_outside(comp_size=len(payload), offset=None):
    """zip64_records.zip with its central sizes' Zip64 extra changed, and an offset added to it."""
    local, central, cd_offset = zip64_archive(b"z64.txt", len(payload), None, zlib.crc32(payload))
    central = bytearray(central[:-8] + struct.pack("<Q", comp_size))
    if offset is not None:
        struct.pack_into("<H", central, 30, 28)  # extra length
        struct.pack_into("<I", central, 42, 0xFFFFFFFF)  # offset: in the extra
        struct.pack_into("<H", central, 46 + len(b"z64.txt") + 2, 24)
        central += struct.pack("<Q", offset)
    end = cd_offset + len(central)
    return local + payload + bytes(central) + zip64_eocd(1, len(central), cd_offset, end)


save("outside_size63.zip", zip64_outside(2**63 - 1))
save("outside_size64.zip", zip64_outside(2**64 - 1))
save("outside_offset63.zip", zip64_outside(offset=2**63 - 16))
save("outside_offset64.zip", zip64_outside(offset=2**64 - 16))

if big_path:
    # 5 GiB stored entry in a sparse file: the data is a hole, only the records are written.
    length = 5 * 1024 * 1024 * 1024
    local, central, cd_offset = zip64_archive(b"huge.bin", length, None)
    with open(big_path, "wb") as f:
        f.write(local)
        f.seek(len(local) + length)
        f.write(central + zip64_eocd(1, len(central), cd_offset, cd_offset + len(central)))

if extract_seeds:
    os.makedirs(extract_seeds, exist_ok=True)
    for name in os.listdir(out):
        with open(os.path.join(out, name), "rb") as f:
            data = f.read()
        for flags in (0x00, 0x01, 0x02, 0x0E, 0x52):
            with open(os.path.join(extract_seeds, "%02x-%s" % (flags, name)), "wb") as f:
                f.write(bytes([flags]) + data)

print(len(os.listdir(out)), "seeds in", out)
