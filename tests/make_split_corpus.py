#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Archives as people get them, from every writer on the machine, for the split tests.

usage: make_split_corpus.py OUT [--large]
Writes OUT/<writer>_<shape>.zip. Writers that are not installed are skipped. --large adds the
70,000-entry archives.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import zipfile


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
    return files


def run(args, cwd):
    subprocess.run(args, cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)  # noqa


def infozip(out, src):
    for shape, options in [("plain", []), ("enc", ["-P", "secret"]), ("zip64", ["-fz"]),
                           ("descriptors", ["-fd"]), ("noextra", ["-X"]), ("stored", ["-0"])]:
        run(["zip", "-q", "-r"] + options + [os.path.join(out, "iz_%s.zip" % shape), "."], src)
    # The archive comment comes from standard input.
    path = os.path.join(out, "iz_comment.zip")
    subprocess.run(["zip", "-q", "-r", "-z", path, "."], cwd=src, input=b"commit 1f2e3d4c\nbuilt for the test\n",
                   check=True, stdout=subprocess.DEVNULL)


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
    with open(os.path.join(out, "py_streamed.zip"), "wb") as raw:
        class Unseekable:
            def write(self, b):
                return raw.write(b)

            def flush(self):
                raw.flush()
        with zipfile.ZipFile(Unseekable(), "w", zipfile.ZIP_DEFLATED) as z:
            for rel in files:
                with open(os.path.join(src, rel), "rb") as f, z.open(rel, "w") as w:
                    w.write(f.read())
    with zipfile.ZipFile(os.path.join(out, "py_comments.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        z.comment = b"A description of the whole archive. " * 300  # beyond the first 4 KB searched
        for i, rel in enumerate(files):
            info = zipfile.ZipInfo(rel)
            info.comment = b"entry comment %d" % i * (i % 5)
            with open(os.path.join(src, rel), "rb") as f:
                z.writestr(info, f.read(), zipfile.ZIP_DEFLATED)


def special(out, large):
    rng = random.Random(7)
    with zipfile.ZipFile(os.path.join(out, "py_folders.zip"), "w") as z:
        for i in range(400):
            z.writestr("folder%03d/sub%d/" % (i // 4, i % 4), b"")
    with zipfile.ZipFile(os.path.join(out, "py_longnames.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        for i in range(60):
            length = rng.choice([300, 1000, 5000, 30000])
            name = ("n%02d_" % i + "x" * length)[:length] + ".txt"
            z.writestr(name, rng.randbytes(rng.choice([10, 2000, 40000])))
    with zipfile.ZipFile(os.path.join(out, "py_8bit.zip"), "w") as z:
        for i in range(50):
            info = zipfile.ZipInfo("f%d.txt" % i)
            info.filename = "f%d_\u00e9\u00e8.txt" % i
            z.writestr(info, rng.randbytes(30000))
    # Six stored entries of 400 kB: by 3 parts, 3 parts (not 6).
    with zipfile.ZipFile(os.path.join(out, "py_six400k.zip"), "w") as z:
        for i in range(6):
            z.writestr("photo%d.jpg" % i, rng.randbytes(400000))
    with zipfile.ZipFile(os.path.join(out, "py_oneentry.zip"), "w") as z:
        z.writestr("big.bin", rng.randbytes(2500000))
        z.writestr("small.txt", b"x" * 100)
    if large:
        with zipfile.ZipFile(os.path.join(out, "py_70000.zip"), "w") as z:
            for i in range(70000):
                z.writestr("d%d/e%05d.txt" % (i % 50, i), b"%d\n" % i)
        with zipfile.ZipFile(os.path.join(out, "py_70000folders.zip"), "w") as z:
            for i in range(70000):
                z.writestr("f%d/g%05d/" % (i % 50, i), b"")
            z.writestr("only-file.txt", b"the one file\n")


def others(out, src, files):
    if shutil.which("7z"):
        run(["7z", "a", "-tzip", "-bd", os.path.join(out, "7z_deflate.zip"), "."], src)
    if shutil.which("bsdtar"):
        run(["bsdtar", "--format", "zip", "-cf", os.path.join(out, "bsdtar.zip"), "."], src)
    if shutil.which("jar"):
        run(["jar", "cf", os.path.join(out, "jar.zip"), "-C", src, "."], src)
    if shutil.which("ziptool"):
        for shape, extra in [("libzip", []), ("libzip_aes", ["aes"])]:
            commands = []
            for i, rel in enumerate(files):
                commands += ["add_file", rel, os.path.join(src, rel), "0", "0"]
                if extra:
                    commands += ["set_file_encryption", str(i), "AES-256", "secret"]
            run(["ziptool", "-n", os.path.join(out, shape + ".zip")] + commands, src)


def main():
    out = os.path.abspath(sys.argv[1])
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as src:
        files = tree(src)
        infozip(out, src)
        python(out, src, files)
        others(out, src, files)
    special(out, "--large" in sys.argv)


main()
