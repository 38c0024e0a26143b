"""The host tool (OMBRIX) against Debian's LZH tools on a corpus: `ombrix info` lists what `lha`
makes as `lhasa v` does; lhasa, 7zz and bsdtar extract what `ombrix pack --plain` makes; `ombrix
test` and `ombrix extract` pass what `lha` compresses with each method, and find one bad byte."""

import calendar
import os
import random
import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
from ombrix_testing import (LHA_ADD, Mismatches, compare_trees, extract_with_peers,  # noqa: E402
                            lha, main, need, run, text, tree_files, write_tree)

OMBRIX = os.environ.get("OMBRIX", "ombrix")
FILE_TIME, STAMP = calendar.timegm((2021, 3, 4, 5, 6, 8)), "2021-03-04T05:06:08Z"
# ombrix info: method, packed, unpacked, crc, time, attributes, os, path
INFO_LINE = re.compile(r"^(-lh.-)\s+(\d+)\s+(\d+)\s+0x([0-9a-f]{4})\s+(\S+)\s+\S+\s+\S+\s+(.*)$")
# lhasa v: permissions, sizes, ratio, method, crc, stamp (three fields), name
LHASA_LINE = re.compile(
    r"^.*?\s(\d+)\s+(\d+)\s+\S+\s+(-lh.-)\s+([0-9a-f]{4})\s+\w+\s+\d+\s+[\d:]+\s(.*)$")


def corpus(root: Path) -> Path:
    """An empty file and directory, one byte, sizes around the 65536-byte window, long runs, short
    patterns repeated, random bytes, text, a few megabytes, a blank in a name, a read-only file,
    many small files in sub-directories, all of one time stamp."""
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
    for i in range(120):
        depth = "/".join(f"d{rng.randrange(4)}" for _ in range(rng.randint(1, 3)))
        files[f"small/{depth}/f{i}.dat"] = text(rng, rng.randint(0, 4000))
    write_tree(root, files)
    (root / "empty dir").mkdir()
    (root / "locked.txt").chmod(0o444)
    for path in [root, *root.rglob("*")]:
        os.utime(path, (FILE_TIME, FILE_TIME))
    return root


def compare_listings(archive: Path, tree: Path, mismatches: Mismatches) -> set[str]:
    """The methods that `ombrix info` lists."""
    info = [m for line in run(OMBRIX, "info", archive).stdout.decode().splitlines()
            if (m := INFO_LINE.match(line))]
    ours = {m[6]: m.group(1, 2, 3, 4) for m in info}
    theirs = {m[5]: m.group(3, 1, 2, 4) for line in run("lhasa", "v", archive).stdout.decode()
              .splitlines() if (m := LHASA_LINE.match(line))}
    mismatches.expect(f"{archive.name}: names", sorted(ours), tree_files(tree))
    mismatches.expect(f"{archive.name}: info and lhasa", ours, theirs)
    mismatches.expect(f"{archive.name}: times", {m[5] for m in info}, {STAMP})
    return {method for method, *_ in ours.values()}


def info_lists_lha_archives(work: Path) -> None:
    need("lha", "lhasa")
    tree, m = corpus(work / "tree"), Mismatches()
    methods = {method for kind in LHA_ADD
               for method in compare_listings(lha(work / f"{kind}.lzh", tree, kind), tree, m)}
    m.expect("methods listed", methods, {"-lh0-", "-lhd-", "-lh5-", "-lh6-", "-lh7-"})
    m.report()


def peers_read_plain_packs(work: Path) -> None:
    need("lhasa")
    tree, archive, m = corpus(work / "tree"), work / "plain.lzh", Mismatches()
    run(OMBRIX, "pack", "--plain", "-o", archive, "--base", tree, tree)
    compare_listings(archive, tree, m)
    for peer, extracted in extract_with_peers(archive, work).items():
        m.extend(peer, compare_trees(tree, extracted))
    m.report()


def decode(method: str, work: Path) -> None:
    tree = corpus(work / "tree")
    archive, ours, m = lha(work / "corpus.lzh", tree, method), work / "ours", Mismatches()
    m.expect("ombrix test", run(OMBRIX, "test", archive, check=False).returncode, 0)
    run(OMBRIX, "extract", archive, "-d", ours)
    m.extend("ombrix extract", compare_trees(tree, ours))
    for peer, extracted in extract_with_peers(archive, work).items():
        m.extend(f"{peer} and ombrix", compare_trees(extracted, ours))
    damaged = bytearray(archive.read_bytes())
    damaged[len(damaged) // 2] ^= 0x55
    (work / "damaged.lzh").write_bytes(damaged)
    m.expect("ombrix test of a damaged copy fails",
             run(OMBRIX, "test", work / "damaged.lzh", check=False).returncode != 0, True)
    m.report()


if __name__ == "__main__":
    main({"info_lists_lha_archives": info_lists_lha_archives,
          "peers_read_plain_packs": peers_read_plain_packs,
          **{f"decode_{method}": lambda work, m=method: decode(m, work) for method in LHA_ADD}})
