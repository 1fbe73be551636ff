#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus: small archives of every shape the reader meets."""
import io
import os
import subprocess
import sys
import tempfile
import zipfile

out = sys.argv[1] if len(sys.argv) > 1 else "fuzz-corpus"
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
bad = bytearray(build([("a.txt", text)], zipfile.ZIP_STORED))
bad[40] ^= 0xFF  # a data byte: CRC mismatch
save("badcrc.zip", bytes(bad))
save("truncated.zip", build([("a.txt", text)])[:-10])
with tempfile.TemporaryDirectory() as tmp:
    with open(os.path.join(tmp, "s.txt"), "wb") as f:
        f.write(text)
    target = os.path.join(tmp, "enc.zip")
    if subprocess.run(["zip", "-q", "-P", "secret", target, "s.txt"], cwd=tmp).returncode == 0:
        with open(target, "rb") as f:
            save("encrypted.zip", f.read())
    os.symlink("s.txt", os.path.join(tmp, "link"))
    target = os.path.join(tmp, "link.zip")
    if subprocess.run(["zip", "-q", "-y", target, "link"], cwd=tmp).returncode == 0:
        with open(target, "rb") as f:
            save("symlink.zip", f.read())
print(len(os.listdir(out)), "seeds in", out)
