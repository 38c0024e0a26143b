"""Archives from real archivers (tests/data/lzh-corpus, one case each): what `ombrix extract`
writes is what `lhasa x` writes; an archive it cannot read in full fails, naming what it does not
support. Where lhasa itself reads an archive wrongly, the reason is given here. `--counts` prints
the tally that docs/compatibility.md records."""

import os
import struct
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
from ombrix_testing import FOUND, compare_trees, main, member, need, run  # noqa: E402

OMBRIX = os.environ.get("OMBRIX", "ombrix")
CORPUS = Path(__file__).resolve().parents[1] / "data/lzh-corpus"
ARCHIVES = sorted(p for p in CORPUS.rglob("*") if p.is_file() and p.suffix != ".md")
UNSUPPORTED = ("is not supported", "is not an LZH archive")
LHASA_WRONG = {  # lhasa reads no member of these, or stops after the second
    "lha_osk_201/h0_subdir.lzh", "lha_unix114i/h0_subdir.lzh", "lha_amiga_122/lh0_dirs_bug.lzh"}


def extracted(archive: Path, work: Path) -> str:
    """The outcome: "same", "unsupported", "lhasa cannot", or what went wrong."""
    theirs, ours = work / "lhasa", work / "ombrix"
    theirs.mkdir()
    if run("lhasa", "x", archive, cwd=theirs, check=False).returncode:
        return "lhasa cannot"
    result = run(OMBRIX, "extract", "-d", ours, archive, check=False)
    if result.returncode:
        said = result.stderr.decode(errors="replace")
        return "unsupported" if any(words in said for words in UNSUPPORTED) else said
    if str(archive.relative_to(CORPUS)) in LHASA_WRONG:
        return "same"
    compare_trees(archive.name, theirs, ours)
    return "same"


def mac_binary(name: bytes, data: bytes, **changed: int) -> bytes:
    """As MacLHA wraps a file: a MacBinary header dated as member() dates, the data fork padded."""
    header = bytearray(128)
    header[1:2 + len(name)] = bytes([len(name)]) + name
    struct.pack_into(">I", header, 83, len(data))
    struct.pack_into(">I", header, 95, 1600000000 + 2082844800)
    for at, value in changed.items():
        header[int(at[1:])] = value
    return bytes(header) + data + bytes(-len(data) % 128)


def made(work: Path) -> None:
    """A program with an archive inside, whose members are MacBinary-wrapped files: one as MacLHA
    writes them, one with a field it leaves clear (or a later MacBinary's version), one from
    another system."""
    need("lhasa")
    rows = {b"mac.txt": {}, b"byte74.txt": {"b74": 1}, b"version2.txt": {"b122": 129},
            b"other os.txt": {}}
    archive = b"".join(member(mac_binary(name, b"data fork of " + name, **changed), (1, name),
                              os_id=b"W" if name == b"other os.txt" else b"m")
                       for name, changed in rows.items())
    program = work / "program.run"
    program.write_bytes(bytes(range(256)) * 40 + archive + b"\0")
    (theirs := work / "lhasa").mkdir()
    run("lhasa", "x", program, cwd=theirs)
    run(OMBRIX, "extract", "-d", work / "ombrix", program)
    compare_trees("program.run", theirs, work / "ombrix")


def check(archive: Path, work: Path) -> None:
    need("lhasa")
    if (outcome := extracted(archive, work)) not in ("same", "unsupported", "lhasa cannot"):
        FOUND.append(f"ombrix extract failed, naming nothing unsupported: {outcome}")


if sys.argv[1:] == ["--counts"]:
    tally = {}
    for archive in ARCHIVES:
        with tempfile.TemporaryDirectory() as work:
            outcome = extracted(archive, Path(work))
        key = "different" if FOUND or outcome not in ("same", "unsupported", "lhasa cannot") \
            else outcome
        tally[key] = tally.get(key, 0) + 1
        FOUND.clear()
    print(tally)
elif __name__ == "__main__":
    main({str(a.relative_to(CORPUS)).replace("/", "."): lambda w, a=a: check(a, w)
          for a in ARCHIVES} | {"made": made})
