"""The host tool (OMBRIX) against Debian's LZH tools on a corpus, each method: what `lha` compresses
`ombrix info` lists as `lhasa v` does and `ombrix test` and `extract` pass; what `ombrix pack`
compresses lists the same and comes back from lhasa, 7zz, bsdtar and `ombrix extract`, and again
bytes for bytes with one thread and SOURCE_DATE_EPOCH; packing refuses each mistake."""

import calendar
import os
import random
import re
import shutil
import sys
from functools import partial
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
from ombrix_testing import (EXTRACTORS, LHA_ADD, compare_trees, expect, lha, main,  # noqa: E402
                            need, run, text, tree_files, write_tree)

OMBRIX = os.environ.get("OMBRIX", "ombrix")
FILE_TIME, STAMP = calendar.timegm((2021, 3, 4, 5, 6, 8)), "2021-03-04T05:06:08Z"
# ombrix info: method, packed, unpacked, crc, time, attributes, os, path
INFO_LINE = re.compile(r"^(-lh.-)\s+(\d+)\s+(\d+)\s+0x([0-9a-f]{4})\s+(\S+)\s+\S+\s+\S+\s+(.*)$")
# lhasa v: permissions, sizes, ratio, method, crc, stamp (three fields), name
LHASA_LINE = re.compile(
    r"^.*?\s(\d+)\s+(\d+)\s+\S+\s+(-lh.-)\s+([0-9a-f]{4})\s+\w+\s+\d+\s+[\d:]+\s(.*)$")


def corpus(root: Path) -> Path:
    """Sizes about each method's window, repeats as far back as each method reaches and one byte
    farther, a few megabytes, empty entries, a blank and a read-only file."""
    rng = random.Random(20240601)
    files = {
        "empty": b"", "one": b"A", "window-1.bin": rng.randbytes(65535),
        "window.txt": text(rng, 65536), "window+1.txt": text(rng, 65537),
        "runs.bin": b"".join(bytes([rng.randrange(4)]) * rng.randint(1, 3000) for _ in range(400)),
        "zeros.bin": bytes(300000),
        "periods.bin": b"".join(rng.randbytes(rng.randint(1, 16)) * rng.randint(2, 60)
                                for _ in range(3000)),
        "random.bin": rng.randbytes(200000), "text.txt": text(rng, 500000),
        "big/mixed.bin": b"".join(text(rng, 50000) if i % 3 else rng.randbytes(20000) + bytes(30000)
                                  for i in range(60)),
        "with space.txt": b"blank in the name", "locked.txt": b"read-only on disk"}
    files |= {f"window/{size}.txt": text(rng, size) for size in (8191, 8192, 8193)}
    files |= {f"reach/{size}.bin": (block := rng.randbytes(size)) + block[:3000]
              for size in (8192, 8193, 32768, 32769, 65536, 65537)}
    files |= {"/".join(["small", *(f"d{rng.randrange(4)}" for _ in range(rng.randint(1, 3))),
                        f"f{i}.dat"]): text(rng, rng.randint(0, 4000)) for i in range(120)}
    write_tree(root, files | {"empty dir/": b""})
    (root / "locked.txt").chmod(0o444)
    for path in [root, *root.rglob("*")]:
        os.utime(path, (FILE_TIME, FILE_TIME))
    return root


def compare_listings(archive: Path, tree: Path) -> dict[str, str]:  # the methods by path
    ours = {m[6]: m.group(1, 2, 3, 4, 5) for line in run(OMBRIX, "info", archive).stdout.decode()
            .splitlines() if (m := INFO_LINE.match(line))}  # method, sizes, CRC, time by path
    theirs = {m[5]: m.group(3, 1, 2, 4) for line in run("lhasa", "v", archive).stdout.decode()
              .splitlines() if (m := LHASA_LINE.match(line))}
    expect(f"{archive.name}: names", sorted(ours), tree_files(tree))
    expect(f"{archive.name}: info and lhasa", {n: f[:4] for n, f in ours.items()}, theirs)
    expect(f"{archive.name}: times", {f[4] for f in ours.values()}, {STAMP})
    return {name: fields[0] for name, fields in ours.items()}


def carried(tree: Path, archive: Path, work: Path, *options) -> None:
    """`ombrix test` passes the archive and a distributable packed with the options, from which
    `ombrix extract` gives the tree back."""
    # Enough of a program's start for the host tool, which only writes the settings into it.
    (stub := work / "stub.exe").write_bytes(b"MZ" + bytes(2046))
    run(OMBRIX, "pack", "--stub", stub, "--check-value", "-o", work / "setup.exe", *options)
    for packed in (archive, work / "setup.exe"):
        expect(f"ombrix test {packed.name}", run(OMBRIX, "test", packed, check=False).returncode, 0)
    run(OMBRIX, "extract", work / "setup.exe", "-d", work / "ours")
    compare_trees("ombrix extract", tree, work / "ours")


def decode(method: str, work: Path) -> None:
    need("lhasa")
    archive = lha(work / "corpus.lzh", tree := corpus(work / "tree"), method)
    expect("methods listed", {"-lhd-", f"-{method.replace('stored', 'lh0')}-"} <= set(
        compare_listings(archive, tree).values()), True)
    carried(tree, archive, work, "--from-lzh", archive)


def round_trip(method: str, work: Path) -> None:  # what shrinks is compressed, noise stored
    need("lhasa")
    tree, plain = corpus(work / "tree"), work / "plain.lzh"
    run(OMBRIX, "pack", "--plain", "--method", method.upper(), "-o", plain, "--base", tree, tree)
    methods = compare_listings(plain, tree)
    expect("methods", [methods.get(name) for name in ("text.txt", "zeros.bin", "window+1.txt",
                                                      "reach/8192.bin", "random.bin")],
           [f"-{method}-"] * 4 + ["-lh0-"])
    carried(tree, plain, work, "--method", method, "--base", tree, tree)
    for peer, command in EXTRACTORS.items():
        if shutil.which(peer):
            (extracted := work / f"by-{peer}").mkdir()
            run(*command, plain, cwd=extracted)
            compare_trees(peer, tree, extracted)
    [os.utime(path) for path in tree.rglob("*")]  # now, later than SOURCE_DATE_EPOCH
    run(OMBRIX, "pack", "--plain", "--method", method, "--threads", "1", "-o", work / "again.lzh",
        "--base", tree, tree, env=dict(os.environ, SOURCE_DATE_EPOCH=str(FILE_TIME)))
    expect("the same bytes again", (work / "again.lzh").read_bytes(), plain.read_bytes())


def bad_inputs(work: Path) -> None:
    """Each mistake's message and exit status (tool_commands_test.cpp refuses texts too long, and it
    and the pack fuzzer check that a refused pack keeps the earlier output and leaves nothing)."""
    tree = write_tree(work / "tree", {"one": b"A"})
    write_tree(work / "long" / "/".join(["d" * 90] * 3), {"f": b""})
    run("lha", "a0q", lh2 := work / "lh2.lzh", "one", cwd=tree)
    header = bytearray(lh2.read_bytes())
    header[2:7] = b"-lh2-"
    header[1] = sum(header[2:2 + header[0]]) & 0xFF  # a level-0 header's checksum
    lh2.write_bytes(header)
    link = Path(__file__).resolve().parents[1] / "data/lzh-corpus/lha_unix114i/h1_symlink.lzh"
    pack = ["pack", "-o", work / "setup.exe"]
    for options, date, message, status in [  # options, SOURCE_DATE_EPOCH, its message, status
            ([*pack, work / "long"], "", "is longer than 259 bytes", 1),
            ([*pack, tree], "tomorrow", "SOURCE_DATE_EPOCH must be a whole number", 1),
            ([*pack, "--method", "lh1", tree], "", "ombrix: --method: lh1 not in", 2),
            ([*pack, "--plain", "--window-title", "T", tree], "", "excludes", 2),
            (pack, "", "ombrix: nothing to pack", 2),
            (["bogus"], "", "ombrix: unknown command 'bogus'", 2),
            ([*pack, "--from-lzh", lh2], "", "method -lh2- is not supported", 1),
            ([*pack, "--from-lzh", link], "", "is a symbolic link, which the stub cannot make", 1)]:
        result = run(OMBRIX, *options, check=False, env=dict(os.environ, SOURCE_DATE_EPOCH=date))
        expect(f"{options}: status, message", (result.returncode, message in result.stderr.decode(
            errors="replace")), (status, True))


def large_files(work: Path) -> None:
    """Files past one segment are written as they are read: the same bytes on one thread or two,
    noise stored, and lhasa gives both back."""
    need("lhasa")
    rng = random.Random(7)
    files = {"big.txt": text(rng, 6 << 20), "noise.bin": rng.randbytes(5 << 20)}
    tree = write_tree(work / "tree", files, FILE_TIME)
    for threads in ("1", "2"):
        run(OMBRIX, "pack", "--plain", "--threads", threads, "-o", work / f"{threads}.lzh", "--base",
            tree, tree)
    expect("the same for any threads", (work / "1.lzh").read_bytes(), (work / "2.lzh").read_bytes())
    expect("methods", sorted(compare_listings(work / "2.lzh", tree).values()), ["-lh0-", "-lh7-"])
    (out := work / "out").mkdir()
    run("lhasa", "x", work / "2.lzh", cwd=out)
    compare_trees("lhasa x", tree, out)


def code_pages(work: Path) -> None:
    """Names go into the archive in the chosen code page and come out as UTF-8, a backslash trail
    byte inside its name; a byte the code page does not hold is shown and written escaped."""
    write_tree(work / "ja", {"能力/ソフト表.txt": b"ja"}), write_tree(work / "fr", {"é.txt": b"fr"})
    run(OMBRIX, "pack", "--plain", "-o", work / "ja.lzh", "--base", work / "ja", work / "ja")
    run(OMBRIX, "pack", "--plain", "-o", work / "fr.lzh", "--codepage", "1252", work / "fr/é.txt")
    expect("stored in 932", "ソフト表.txt".encode("cp932") in (work / "ja.lzh").read_bytes(), True)
    for archive, options, name in [("ja.lzh", [], "能力/ソフト表.txt"), ("fr.lzh", [], "\\xe9.txt"),
                                   ("fr.lzh", ["--codepage", "1252"], "é.txt")]:
        out = work / f"{archive}{len(options)}"
        listed = run(OMBRIX, "info", *options, work / archive).stdout.decode()
        run(OMBRIX, "extract", *options, "-d", out, work / archive)
        expect(f"{archive} {options}: listed, written", (listed.rstrip().endswith(
            "  " + name), tree_files(out)[-1]), (True, name))
    (stub := work / "stub.exe").write_bytes(b"MZ" + bytes(2046))
    (notice := work / "notice.txt").write_bytes("ようこそ\r\n".encode())
    run(OMBRIX, "pack", "--stub", stub, "-o", work / "ja.exe", "--window-title", "表題", "--notice",
        notice, work / "ja")
    listed = run(OMBRIX, "info", work / "ja.exe").stdout.decode()
    expect("texts stored in 932, shown in UTF-8", ("ようこそ".encode("cp932") in (
        work / "ja.exe").read_bytes(), 'title     "表題"' in listed, "notice:\n  ようこそ\n" in listed),
        (True, True, True))
    refused = run(OMBRIX, "pack", "-o", work / "x.lzh", "--plain", "--codepage", "1252",
                  work / "ja", check=False)
    expect("not in 1252", (refused.returncode, b"cannot be written in code page 1252" in
                           refused.stderr), (1, True))


if __name__ == "__main__":
    main({"bad_inputs": bad_inputs, "code_pages": code_pages, "large_files": large_files,
          **{f"decode_{method}": partial(decode, method) for method in LHA_ADD},
          **{f"round_trip_{m}": partial(round_trip, m) for m in ("lh0", "lh5", "lh6", "lh7")}})
