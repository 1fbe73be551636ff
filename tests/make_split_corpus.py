#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Archives as people get them, from every writer on the machine, for the split tests.

usage: make_split_corpus.py OUT [--large]
Writes OUT/<writer>_<shape>.zip; synth_ archives are written byte by byte or patched after a writer.
Writers that are not installed are skipped. --large adds the 70,000-entry archives and the ones
with an entry over 4 GiB.
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile
import zlib

EPOCH = 1600000000  # 2020-09-13 12:26:40, even seconds so the DOS time holds it exactly
DOS_TIME, DOS_DATE = 12 << 11 | 26 << 5 | 20, 40 << 9 | 9 << 5 | 13
FILETIME = (EPOCH + 11644473600) * 10 ** 7  # the same moment in 100 ns steps since 1601, as NTFS counts
# Writers store local time, and some of them the build time.
os.environ.update(TZ="UTC", SOURCE_DATE_EPOCH=str(EPOCH), LC_ALL="C.UTF-8")
time.tzset()


def stamp(root):
    """Same times on every file and folder; again before each writer, as reading moves the access time."""
    for folder, dirs, names in os.walk(root, topdown=False):
        for name in names + dirs:
            os.utime(os.path.join(folder, name), (EPOCH, EPOCH))
    os.utime(root, (EPOCH, EPOCH))


def tree(root, count=240, seed=1):
    """Text and noise files in a few folders, sizes from a few bytes to 60 kB."""
    rng = random.Random(seed)
    words = [bytes(rng.choice(b"abcdefghijklmnop ") for _ in range(7)) for _ in range(90)]
    files = []
    for i in range(count):
        rel = os.path.join("docs%d" % (i % 6), "sub%d" % (i % 4), "file%04d.%s" % (i, "txt" if i % 3 else "bin"))
        size = rng.choice([5, 300, 4000, 20000, 60000])
        data = (b"".join(rng.choice(words) for _ in range(size // 7 + 1))[:size] if i % 3
                else rng.randbytes(size))
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        files.append(rel)
    os.makedirs(os.path.join(root, "empty", "folder"), exist_ok=True)
    stamp(root)
    return files


def run(args, cwd, **kw):
    stamp(cwd)
    subprocess.run(args, cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw)  # noqa


def info(name, method=zipfile.ZIP_STORED):
    """What writestr(name) makes, with a fixed time instead of now."""
    entry = zipfile.ZipInfo(name, time.gmtime(EPOCH)[:6])
    entry.compress_type = method
    entry.external_attr = (0o40775 << 16 | 0x10) if name.endswith("/") else 0o600 << 16
    return entry


def pin(path):
    """Fixes the times a writer takes from the clock or from ctime: DOS time, 0x5455 and 0x000a fields."""
    with zipfile.ZipFile(path) as z:
        pos, count = z.start_dir, len(z.infolist())
    with open(path, "r+b") as f:
        raw = bytearray(f.read())
        for _ in range(count):
            n, m, k, local = struct.unpack_from("<HHH8xI", raw, pos + 28)
            for header, extra in [(pos + 10, pos + 46 + n),
                                  (local + 8, local + 30 + struct.unpack_from("<H", raw, local + 26)[0])]:
                struct.pack_into("<HH", raw, header + 2, DOS_TIME, DOS_DATE)
                end = extra + (m if header == pos + 10 else struct.unpack_from("<H", raw, local + 28)[0])
                while extra + 4 <= end:
                    tag, size = struct.unpack_from("<HH", raw, extra)
                    if tag == 0x5455:
                        for t in range(extra + 5, extra + 4 + size - 3, 4):
                            struct.pack_into("<I", raw, t, EPOCH)
                    elif tag == 0x000A and size >= 32:
                        struct.pack_into("<QQQ", raw, extra + 12, FILETIME, FILETIME, FILETIME)
                    extra += 4 + size
            pos += 46 + n + m + k
        f.seek(0)
        f.write(raw)


def infozip(out, src, small, utf8):
    for shape, options in [("plain", []), ("enc", ["-P", "secret"]), ("zip64", ["-fz"]),
                           ("descriptors", ["-fd"]), ("noextra", ["-X"]), ("stored", ["-0"])]:
        run(["zip", "-q", "-r"] + options + [os.path.join(out, "iz_%s.zip" % shape), "."], src)
        pin(os.path.join(out, "iz_%s.zip" % shape))  # the scan moves folder access times before zip reads them
    # The archive comment comes from standard input.
    path = os.path.join(out, "iz_comment.zip")
    subprocess.run(["zip", "-q", "-r", "-z", path, "."], cwd=src, input=b"commit 1f2e3d4c\nbuilt for the test\n",
                   check=True, stdout=subprocess.DEVNULL)
    pin(path)
    # From a pipe: one entry named "-" with Zip64 fields, as the size is unknown up front. Writing to a file
    # zip goes back to fill in the sizes; writing to a pipe it leaves data descriptors.
    joined = b"".join(data for _, data in read_all(small))
    path = os.path.join(out, "iz_stdin.zip")
    run(["zip", "-q", path, "-"], small, input=joined)
    pin(path)
    path = os.path.join(out, "iz_stdin_stdout.zip")
    with open(path, "wb") as f:
        f.write(subprocess.run(["zip", "-q", "-", "-"], input=joined, stdout=subprocess.PIPE, check=True).stdout)
    pin(path)
    # The last segment of a spanned set alone: its end record says disk 3 of 3.
    with tempfile.TemporaryDirectory() as spanned:
        run(["zip", "-q", "-r", "-s", "512k", os.path.join(spanned, "iz_span_last.zip"), "."], src)
        shutil.move(os.path.join(spanned, "iz_span_last.zip"), out)
    # Non-ASCII names: the local charset name plus a 0x7075 Unicode path field.
    run(["zip", "-q", "-r", os.path.join(out, "iz_utf8.zip"), "."], utf8)
    pin(os.path.join(out, "iz_utf8.zip"))


def read_all(root):
    found = []
    for folder, dirs, names in os.walk(root):
        dirs.sort()
        for name in sorted(names):
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                found.append((os.path.relpath(path, root), f.read()))
    return found


class Unseekable:
    """A pipe: zipfile then writes data descriptors."""
    def __init__(self, raw):
        self.raw = raw

    def write(self, b):
        return self.raw.write(b)

    def flush(self):
        self.raw.flush()


def python(out, src, files):
    shapes = [("deflate", zipfile.ZIP_DEFLATED, {}), ("stored", zipfile.ZIP_STORED, {}),
              ("bzip2", zipfile.ZIP_BZIP2, {}), ("lzma", zipfile.ZIP_LZMA, {})]
    for shape, method, _ in shapes:
        with zipfile.ZipFile(os.path.join(out, "py_%s.zip" % shape), "w", method) as z:
            for rel in files:
                z.write(os.path.join(src, rel), rel)
    with zipfile.ZipFile(os.path.join(out, "py_zip64.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        for rel in files:
            with open(os.path.join(src, rel), "rb") as f, z.open(rel, "w", force_zip64=True) as w:
                w.write(f.read())
    for name, zip64 in [("py_streamed.zip", False), ("py_zip64_streamed.zip", True)]:
        with open(os.path.join(out, name), "wb") as raw, \
                zipfile.ZipFile(Unseekable(raw), "w", zipfile.ZIP_DEFLATED) as z:
            for rel in files:
                with open(os.path.join(src, rel), "rb") as f, z.open(rel, "w", force_zip64=zip64) as w:
                    w.write(f.read())
    with zipfile.ZipFile(os.path.join(out, "py_comments.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        z.comment = b"A description of the whole archive. " * 300  # beyond the first 4 KB searched
        for i, rel in enumerate(files):
            entry = zipfile.ZipInfo(rel)
            entry.comment = b"entry comment %d" % i * (i % 5)
            with open(os.path.join(src, rel), "rb") as f:
                z.writestr(entry, f.read(), zipfile.ZIP_DEFLATED)


def special(out, large):
    rng = random.Random(7)
    with zipfile.ZipFile(os.path.join(out, "py_folders.zip"), "w") as z:
        for i in range(400):
            z.writestr(info("folder%03d/sub%d/" % (i // 4, i % 4)), b"")
    with zipfile.ZipFile(os.path.join(out, "py_longnames.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        for i in range(60):
            length = rng.choice([300, 1000, 5000, 30000])
            name = ("n%02d_" % i + "x" * length)[:length] + ".txt"
            z.writestr(info(name, zipfile.ZIP_DEFLATED), rng.randbytes(rng.choice([10, 2000, 40000])))
    with zipfile.ZipFile(os.path.join(out, "py_8bit.zip"), "w") as z:
        for i in range(50):
            entry = zipfile.ZipInfo("f%d.txt" % i)
            entry.filename = "f%d_\u00e9\u00e8.txt" % i
            z.writestr(entry, rng.randbytes(30000))
    # Six stored entries of 400 kB: by 3 parts, 3 parts (not 6).
    with zipfile.ZipFile(os.path.join(out, "py_six400k.zip"), "w") as z:
        for i in range(6):
            z.writestr(info("photo%d.jpg" % i), rng.randbytes(400000))
    # A file named "-": zipsplit takes it for data zip read from a pipe and gives it a local
    # Zip64 field it never had.
    with zipfile.ZipFile(os.path.join(out, "py_dash.zip"), "w") as z:
        z.writestr(info("-"), rng.randbytes(3000))
        z.writestr(info("after-the-dash.txt"), b"y" * 500)
    with zipfile.ZipFile(os.path.join(out, "py_oneentry.zip"), "w") as z:
        z.writestr(info("big.bin"), rng.randbytes(2500000))
        z.writestr(info("small.txt"), b"x" * 100)
    if large:
        with zipfile.ZipFile(os.path.join(out, "py_70000.zip"), "w") as z:
            for i in range(70000):
                z.writestr(info("d%d/e%05d.txt" % (i % 50, i)), b"%d\n" % i)
        with zipfile.ZipFile(os.path.join(out, "py_70000folders.zip"), "w") as z:
            for i in range(70000):
                z.writestr(info("f%d/g%05d/" % (i % 50, i)), b"")
            z.writestr(info("only-file.txt"), b"the one file\n")


def others(out, src, files, utf8):
    if shutil.which("7z"):
        for shape, options in [("deflate", []), ("copy", ["-mm=Copy"]), ("ntfs", ["-mtc=on"])]:
            run(["7z", "a", "-tzip", "-bd"] + options + [os.path.join(out, "7z_%s.zip" % shape), "."], src)
        pin(os.path.join(out, "7z_ntfs.zip"))  # access and creation times, which reading and utime move
        run(["7z", "a", "-tzip", "-bd", "-mcu=on", os.path.join(out, "7z_utf8.zip"), "."], utf8)
    if shutil.which("bsdtar"):
        for shape, options in [("bsdtar", []), ("bsdtar_store", ["--options", "zip:compression=store"])]:
            run(["bsdtar", "--format", "zip", "-cf", os.path.join(out, shape + ".zip")] + options + ["."], src)
            pin(os.path.join(out, shape + ".zip"))
    if shutil.which("jar"):
        run(["jar", "--create", "--date=2020-09-13T12:26:40Z", "--file", os.path.join(out, "jar.zip"),
             "-C", src, "."], src)
    if shutil.which("ziptool"):
        # set_extra: index, id (0x5678), index 65535 for a new field, l or c for local or central only.
        for shape, extra in [("libzip", []), ("libzip_aes", ["set_file_encryption", "AES-256", "secret"]),
                             ("libzip_store", ["set_file_compression", "store", "0"]),
                             ("libzip_extra_central", ["set_extra", "22136", "65535", "c", "central only"]),
                             ("libzip_extra_local", ["set_extra", "22136", "65535", "l", "local only"])]:
            commands = []
            for i, rel in enumerate(files):
                commands += ["add_file", rel, os.path.join(src, rel), "0", "0"]
                if extra:
                    commands += extra[:1] + [str(i)] + extra[1:]
            run(["ziptool", "-n", os.path.join(out, shape + ".zip")] + commands, src)


def deflate(data, level=6):
    c = zlib.compressobj(level, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def field(tag, *parts):
    body = b"".join(parts)
    return struct.pack("<HH", tag, len(body)) + body


NTFS = field(0x000A, bytes(4), struct.pack("<HHQQQ", 1, 24, FILETIME, FILETIME, FILETIME))
UNIX = field(0x7875, struct.pack("<BBIBI", 1, 4, 1000, 4, 1000))


def zip64(*values, disk=None):
    return field(1, struct.pack("<%dQ" % len(values), *values), b"" if disk is None else struct.pack("<I", disk))


def handmade(path, entries, comment=b"", end64=None):
    """Writes the bytes itself, so local and central headers can disagree as some writers make them.

    An entry is a dict: name (bytes) and data, or raw (compressed, crc, size); optional method (8),
    flags, version (20), lx / cx (local / central extra: bytes or a function of the entry), dd (data
    descriptor: "sig", "bare" or "sig64"), lsize / csize ((compressed, size) written in the local /
    central header), coff (offset written in the central record), disk (its disk number start), comment.
    end64: None, "real" (Zip64 end record, plain end record still exact) or "ff" (plain one all 0xFF).
    """
    out = bytearray()
    for e in entries:
        e.setdefault("method", 8)
        if "raw" not in e:
            e["raw"] = (deflate(e["data"]) if e["method"] == 8 else e["data"], zlib.crc32(e["data"]), len(e["data"]))
        comp, e["crc"], e["size"] = e["raw"]
        e["csz"], e["offset"], dd = len(comp), len(out), e.get("dd")
        e["flags"] = e.get("flags", 0) | (8 if dd else 0)
        lx = e["lx"](e) if callable(e.get("lx")) else e.get("lx", b"")
        lcrc, lsize = (0, (0, 0)) if dd else (e["crc"], (e["csz"], e["size"]))
        out += struct.pack("<IHHHHHIIIHH", 0x04034B50, e.get("version", 20), e["flags"], e["method"], DOS_TIME,
                           DOS_DATE, lcrc, *e.get("lsize", lsize), len(e["name"]), len(lx)) + e["name"] + lx + comp
        if dd:
            out += struct.pack({"sig": "<IIII", "bare": "<III", "sig64": "<IIQQ"}[dd],
                               *([0x08074B50] if dd != "bare" else []), e["crc"], e["csz"], e["size"])
    start = len(out)
    for e in entries:
        cx = e["cx"](e) if callable(e.get("cx")) else e.get("cx", b"")
        note = e.get("comment", b"")
        out += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0x031E, e.get("version", 20), e["flags"], e["method"],
                           DOS_TIME, DOS_DATE, e["crc"], *e.get("csize", (e["csz"], e["size"])), len(e["name"]),
                           len(cx), len(note), e.get("disk", 0), 0, 0o100644 << 16, e.get("coff", e["offset"]))
        out += e["name"] + cx + note
    end, n = len(out), len(entries)
    if end64:
        out += struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 0x031E, 45, 0, 0, n, n, end - start, start)
        out += struct.pack("<IIQI", 0x07064B50, 0, end, 1)
    counts = (0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF) if end64 == "ff" else (n, n, end - start, start)
    out += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, *counts, len(comment)) + comment
    with open(path, "wb") as f:
        f.write(out)


def zipalign(e, boundary):
    """0xD935 as Android's zipalign writes it: local only, padding the data start to a boundary."""
    start = e["offset"] + 30 + len(e["name"]) + 6
    return field(0xD935, struct.pack("<H", boundary), bytes(-start % boundary))


def synthetic(out, small):
    """Shapes no installed writer makes on its own: extras on one side only, Zip64 fields wider than needed."""
    def entries(**kw):
        return [dict(name=name.encode(), data=data, **kw) for name, data in small]

    def vary(shapes):
        listing = entries()
        for i, e in enumerate(listing):
            e.update(shapes[i % len(shapes)](e))
        return listing

    # Info-ZIP: modification and access time locally, the flags and modification time only centrally.
    handmade(os.path.join(out, "synth_ut_local13_central5.zip"),
             entries(lx=field(0x5455, struct.pack("<BII", 3, EPOCH, EPOCH)) + UNIX,
                     cx=field(0x5455, struct.pack("<BI", 3, EPOCH)) + field(0x7875, b"")))
    handmade(os.path.join(out, "synth_zipalign.zip"),
             vary([lambda e: dict(method=0, lx=lambda e: zipalign(e, 4)),
                   lambda e: dict(method=0, name=e["name"] + b".so", lx=lambda e: zipalign(e, 4096)),
                   lambda e: dict()]))
    handmade(os.path.join(out, "synth_extra_central_only.zip"),
             vary([lambda e: dict(cx=NTFS), lambda e: dict(cx=UNIX + NTFS), lambda e: dict(lx=UNIX, cx=NTFS)]))
    # Old name in the DOS code page, the real one in 0x7075 / 0x6375, each with the CRC-32 of what it stands for.
    upath = []
    for i, (name, data) in enumerate(small):
        real, note = "caf\u00e9_%02d/\u00fcber_%s" % (i % 4, os.path.basename(name)), "r\u00e9sum\u00e9 %d" % i
        stored, said = real.encode("cp437"), note.encode("cp437")
        upath.append(dict(name=stored, data=data, comment=said,
                          lx=field(0x7075, struct.pack("<BI", 1, zlib.crc32(stored)), real.encode()),
                          cx=field(0x7075, struct.pack("<BI", 1, zlib.crc32(stored)), real.encode())
                          + field(0x6375, struct.pack("<BI", 1, zlib.crc32(said)), note.encode())))
    handmade(os.path.join(out, "synth_upath_cp437.zip"), upath)
    handmade(os.path.join(out, "synth_dd_bare.zip"), entries(dd="bare"))
    # As zip writes from a pipe: Zip64 local field of zeros, 24-byte descriptors.
    handmade(os.path.join(out, "synth_dd_zip64.zip"), entries(dd="sig64", version=45, lx=zip64(0, 0),
                                                              lsize=(0xFFFFFFFF, 0xFFFFFFFF)))
    # Zip64 values that all fit 32 bits; the record fields say 0xFFFFFFFF so the field is what counts.
    ff = 0xFFFFFFFF
    handmade(os.path.join(out, "synth_z64_central_sizes.zip"),
             entries(version=45, csize=(ff, ff), cx=lambda e: zip64(e["size"], e["csz"])))
    handmade(os.path.join(out, "synth_z64_central_offset.zip"),
             entries(version=45, coff=ff, cx=lambda e: zip64(e["offset"])))
    # Local Zip64 fields of 0, 8, 16 and 28 bytes.
    handmade(os.path.join(out, "synth_z64_local.zip"), vary([
        lambda e: dict(version=45, lx=field(1)),
        lambda e: dict(version=45, lx=lambda e: zip64(e["size"])),
        lambda e: dict(version=45, lsize=(ff, ff), lx=lambda e: zip64(e["size"], e["csz"])),
        lambda e: dict(version=45, lsize=(ff, ff), lx=lambda e: zip64(e["size"], e["csz"], 0, disk=0))]))
    handmade(os.path.join(out, "synth_z64_end.zip"), entries(version=45), end64="real")
    misread(out, entries, vary)
    handmade(os.path.join(out, "synth_z64_end_ff.zip"), entries(version=45), end64="ff")


def misread(out, entries, vary):
    """Shapes zipsplit misreads or stops on, as Go's, Java's or a careless writer leaves them."""
    handmade(os.path.join(out, "synth_empty_name.zip"), vary([lambda e: dict(), lambda e: dict(name=b"")]))
    # A Unicode path whose checksum is not its name's (the name was changed after it was written).
    handmade(os.path.join(out, "synth_upath_stale.zip"), vary([
        lambda e: dict(), lambda e: dict(cx=field(0x7075, struct.pack("<BI", 1, 1234), b"caf\xc3\xa9.txt"))]))
    # A central compressed size smaller than the local header's, no data descriptor.
    lies = dict(name=b"lies.bin", data=random.Random(3).randbytes(40000), method=0, csize=(100, 40000))
    handmade(os.path.join(out, "synth_local_size_lies.zip"), entries()[:5] + [lies] + entries()[5:])
    # Entries on a second disk: 1 in the record, or 0xFFFF and 1 in the Zip64 field.
    handmade(os.path.join(out, "synth_disk1.zip"), vary([lambda e: dict(), lambda e: dict(disk=1)]))
    handmade(os.path.join(out, "synth_disk1_zip64.zip"), vary([
        lambda e: dict(), lambda e: dict(version=45, disk=0xFFFF, cx=zip64(disk=1))]))


def py_extras(out, small):
    """Extras Python writes to both headers: NTFS times, Unix ids, a timestamp, an unknown id, several at once."""
    timestamp = field(0x5455, struct.pack("<BI", 1, EPOCH))
    kinds = [NTFS, UNIX, timestamp, field(0x4B46, b"vendor data"), timestamp + field(0x7875, b"\x01\x00\x00")]
    with zipfile.ZipFile(os.path.join(out, "py_extras.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        for i, (name, data) in enumerate(small):
            entry = info(name, zipfile.ZIP_DEFLATED)
            entry.extra = kinds[i % len(kinds)]
            z.writestr(entry, data)


def around(out, root, small, tmp):
    """Bytes before the first entry or after the end record, as stubs, pipes and tape writers leave them."""
    base, tiny, wide = (os.path.join(tmp, n) for n in ("base.zip", "tiny.zip", "wide.zip"))
    run(["zip", "-q", "-r", "-X", base, "."], root)
    run(["zip", "-q", "-X", tiny] + [name for name, _ in small[:3]], root)
    run(["zip", "-q", "-r", "-X", "-fz", wide, "."], root)
    with open(base, "rb") as f:
        archive = f.read()
    with open(tiny, "rb") as f:
        stale = f.read()[-22:]
    rng = random.Random(11)
    stub = b"MZ" + rng.randbytes(2998)
    for name, data in [("synth_trail10.zip", archive + b"\n" * 10),
                       ("synth_trail4096.zip", archive + rng.randbytes(4096)),
                       ("synth_block10240.zip", archive + bytes(-len(archive) % 10240)),
                       ("synth_stale_end.zip", archive + stale),
                       ("synth_sfx.zip", stub + archive)]:
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    with open(wide, "rb") as f, open(os.path.join(out, "synth_sfx_zip64.zip"), "wb") as sfx:
        sfx.write(stub + f.read())
    shutil.copy(os.path.join(out, "synth_sfx.zip"), os.path.join(out, "iz_sfx_adjusted.zip"))
    run(["zip", "-q", "-A", os.path.join(out, "iz_sfx_adjusted.zip")], tmp)
    # The signature inside the comment: junk after it, or a record whose zero comment length ends the file.
    for name, tail in [("py_comment_endsig.zip", rng.randbytes(18)),
                       ("py_comment_fake_end.zip", rng.randbytes(16) + b"\0\0")]:
        with zipfile.ZipFile(os.path.join(out, name), "w", zipfile.ZIP_DEFLATED) as z:
            z.comment = b"release notes " + b"PK\x05\x06" + tail
            for rel, data in small:
                z.writestr(info(rel, zipfile.ZIP_DEFLATED), data)


def huge(out, tmp):
    """An entry over 4 GiB of zeros; deflated it stays a few MB."""
    size, chunk = 4300000000, bytes(1 << 22)
    path = os.path.join(out, "py_4g.zip")
    zeros = info("zeros.bin", zipfile.ZIP_DEFLATED)
    zeros._compresslevel = 1  # three times quicker than the default here
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(info("before.txt", zipfile.ZIP_DEFLATED), b"first\n" * 1000)
        with z.open(zeros, "w", force_zip64=True) as w:
            for done in range(0, size, len(chunk)):
                w.write(chunk[:size - done])
        z.writestr(info("after.txt", zipfile.ZIP_DEFLATED), b"last\n" * 1000)
        listing = z.infolist()
    # Python puts both sizes in the central Zip64 field; here only the one that needs it.
    with open(path, "rb") as f:
        raw = []
        for e in listing:
            f.seek(e.header_offset + 26)
            n, m = struct.unpack("<HH", f.read(4))
            f.seek(e.header_offset + 30 + n + m)
            raw.append((f.read(e.compress_size), e.CRC, e.file_size))
    ff = 0xFFFFFFFF
    handmade(os.path.join(out, "synth_4g_central_size_only.zip"), [
        dict(name=b"before.txt", raw=raw[0]),
        dict(name=b"zeros.bin", raw=raw[1], version=45, lsize=(ff, ff), lx=lambda e: zip64(e["size"], e["csz"]),
             csize=(len(raw[1][0]), ff), cx=lambda e: zip64(e["size"])),
        dict(name=b"after.txt", raw=raw[2])])
    # zip itself from a pipe; about 20 s here, so left out where it takes more than 30.
    if not shutil.which("zip"):
        return
    path = os.path.join(tmp, "iz_4g_stdin.zip")  # a killed zip leaves its temporary file next to the output
    source = subprocess.Popen(["head", "-c", str(size), "/dev/zero"], stdout=subprocess.PIPE)
    try:
        run(["zip", "-q", "-1", "-fz", path, "-"], tmp, stdin=source.stdout, timeout=30)
        pin(path)
        shutil.move(path, out)
    except subprocess.TimeoutExpired:
        pass
    finally:
        source.kill()
        source.wait()


def main():
    out = os.path.abspath(sys.argv[1])
    large = "--large" in sys.argv
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as src, tempfile.TemporaryDirectory() as small_root, \
            tempfile.TemporaryDirectory() as utf8, tempfile.TemporaryDirectory() as tmp:
        files = tree(src)
        tree(small_root, count=36, seed=2)
        small = read_all(small_root)
        for rel in ["caf\u00e9/r\u00e9sum\u00e9.txt", "\u65e5\u672c/\u30c6\u30b9\u30c8.txt", "\u00d1and\u00fa.bin",
                    "gr\u00fc\u00dfe/stra\u00dfe.txt", "na\u00efve \u2013 dash.txt"]:
            os.makedirs(os.path.join(utf8, os.path.dirname(rel)), exist_ok=True)
            with open(os.path.join(utf8, rel), "wb") as f:
                f.write(random.Random(rel).randbytes(50000))
        if shutil.which("zip"):
            infozip(out, src, small_root, utf8)
            around(out, small_root, small, tmp)
        python(out, src, files)
        others(out, src, files, utf8)
        py_extras(out, small)
        synthetic(out, small)
        if large:
            huge(out, tmp)
    special(out, large)


main()
