"""The decoder against Debian's LZH tools, on archives that `lha` makes.

A corpus made by code (an empty file, 1 byte, sizes around the 65536-byte window, long runs,
short patterns repeated, random bytes, text, a few megabytes, many small files in
sub-directories) is packed by `lha` with level-2 headers and one method; `ombrix test` must pass
every member, and `ombrix extract` must write the corpus byte for byte, as lhasa, 7zz and bsdtar
extract it from the same archive. A copy with one damaged byte must fail `ombrix test`.

Usage: cross_check.py OMBRIX METHOD, METHOD one of stored, lh5, lh6, lh7. Exit 77 when `lha`
is missing.
"""
import filecmp
import os
import random
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
# lha's switches: a add, 2 level-2 headers, q quiet, then z (store) or o5/o6/o7 (method).
LHA_FLAGS = {"stored": "a2qz", "lh5": "a2qo5", "lh6": "a2qo6", "lh7": "a2qo7"}
PEERS = {
    "lhasa": lambda archive: ["lhasa", "xq", archive],
    "7zz": lambda archive: ["7zz", "x", "-y", "-bd", archive],
    "bsdtar": lambda archive: ["bsdtar", "xf", archive],
}


def run(*args, cwd=None, check=True):
    result = subprocess.run(args, cwd=cwd, capture_output=True, check=False)
    if check and result.returncode != 0:
        sys.exit(f"{' '.join(args)} failed ({result.returncode}):\n"
                 f"{result.stdout.decode(errors='replace')}{result.stderr.decode(errors='replace')}")
    return result


def text(rng, size):
    words = ["".join(rng.choice("etaoinshrdlucmfwyp") for _ in range(rng.randint(1, 9)))
             for _ in range(3000)]
    out = bytearray()
    while len(out) < size:
        out += (" ".join(rng.choice(words) for _ in range(rng.randint(3, 14))) + "\r\n").encode()
    return bytes(out[:size])


def corpus(rng):
    files = {
        "empty": b"",
        "one": b"A",
        "window-1.bin": rng.randbytes(65535),
        "window.txt": text(rng, 65536),
        "window+1.txt": text(rng, 65537),
        "runs.bin": b"".join(bytes([rng.randrange(4)]) * rng.randint(1, 3000) for _ in range(400)),
        "zeros.bin": bytes(300000),
        "periods.bin": b"".join(rng.randbytes(rng.randint(1, 16)) * rng.randint(2, 60)
                                for _ in range(3000)),
        "random.bin": rng.randbytes(200000),
        "text.txt": text(rng, 500000),
        "big/mixed.bin": b"".join(
            text(rng, 50000) if i % 3 else rng.randbytes(20000) + bytes(30000) for i in range(60)),
    }
    for i in range(120):
        depth = "/".join(f"d{rng.randrange(4)}" for _ in range(rng.randint(1, 3)))
        files[f"small/{depth}/f{i}.dat"] = text(rng, rng.randint(0, 4000))
    return files


def write_tree(root, files):
    for name, data in files.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)


def compare(expected_root, actual_root, files):
    failures = []
    for name in files:
        actual = os.path.join(actual_root, name)
        if not os.path.isfile(actual):
            failures.append(f"missing {name}")
        elif not filecmp.cmp(os.path.join(expected_root, name), actual, shallow=False):
            failures.append(f"different bytes in {name}")
    return failures


def damaged_copy(archive, work):
    """The archive with one byte changed in the middle of its largest member's data."""
    with open(archive, "rb") as source:
        data = bytearray(source.read())
    position = len(data) // 2
    data[position] ^= 0x55
    path = os.path.join(work, "damaged.lzh")
    with open(path, "wb") as out:
        out.write(data)
    return path


def main(ombrix, method, work):
    if not shutil.which("lha"):
        return SKIP
    files = corpus(random.Random(20240601))
    tree = os.path.join(work, "tree")
    write_tree(tree, files)
    archive = os.path.join(work, f"{method}.lzh")
    run("lha", LHA_FLAGS[method], archive, *sorted(os.listdir(tree)), cwd=tree)

    failures = []
    tested = run(ombrix, "test", archive, check=False)
    if tested.returncode != 0:
        failures.append(f"ombrix test failed: {tested.stderr.decode(errors='replace')}")
    ours = os.path.join(work, "ours")
    extracted = run(ombrix, "extract", archive, "-d", ours, check=False)
    if extracted.returncode != 0:
        failures.append(f"ombrix extract failed: {extracted.stderr.decode(errors='replace')}")
    failures += [f"ombrix: {failure}" for failure in compare(tree, ours, files)]
    for name, command in PEERS.items():
        if not shutil.which(name):
            continue
        theirs = os.path.join(work, "by-" + name)
        os.makedirs(theirs)
        run(*command(archive), cwd=theirs)
        failures += [f"{name} and ombrix differ: {failure}" for failure in compare(theirs, ours, files)]
    if run(ombrix, "test", damaged_copy(archive, work), check=False).returncode == 0:
        failures.append("ombrix test passed a damaged archive")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[2] not in LHA_FLAGS:
        sys.exit(f"usage: {sys.argv[0]} OMBRIX {'|'.join(LHA_FLAGS)}")
    with tempfile.TemporaryDirectory(prefix="ombrix-decode-") as work_dir:
        sys.exit(main(os.path.abspath(sys.argv[1]), sys.argv[2], work_dir))
