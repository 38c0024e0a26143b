"""`ombrix pack` with compression, against Debian's LZH tools and the stub's own walk.

  round_trip METHOD  packed with METHOD (lh0, lh5, lh6, lh7), plain and as a distributable, a
                     corpus passes `ombrix test` and comes back byte for byte from lhasa, 7zz,
                     bsdtar and `ombrix extract`; what shrinks is compressed, noise is stored
  deterministic      same bytes with any number of threads, and with SOURCE_DATE_EPOCH after
                     the files' times have changed
  bad_inputs         each mistake: its message and exit status, the earlier output kept, no
                     other file left
  from_lzh           an lha archive carried with --from-lzh extracts as lha packed it (77
                     without lha)

Usage: pack_cases.py OMBRIX CASE [METHOD]
"""
import filecmp
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

PEERS = {"lhasa": ["lhasa", "xq"], "7zz": ["7zz", "x", "-y", "-bd"], "bsdtar": ["bsdtar", "xf"]}
# (method, time, path) of each member `ombrix info` lists.
INFO_LINE = re.compile(r"^(-lh.-)\s+\d+\s+\d+\s+\S+\s+(\S+)\s+\S+\s+\S+\s+(.*)$", re.M)


def run(*args, cwd=None, env=None, check=True):
    result = subprocess.run(args, cwd=cwd, env=env, capture_output=True, check=False)
    if check and result.returncode != 0:
        sys.exit(f"{args} failed ({result.returncode}): {result.stderr.decode(errors='replace')}")
    return result


def text(rng, size):
    words = ["".join(rng.choices("etaoinshrdlucmfw", k=rng.randint(1, 8))) for _ in range(2000)]
    out = bytearray()
    while len(out) < size:
        out += (" ".join(rng.choices(words, k=rng.randint(3, 12))) + "\r\n").encode()
    return bytes(out[:size])


def write_corpus(root, rng):
    """Sizes about each window, repeats exactly as far back as each method reaches and one byte
    farther, runs, noise and many small files; returns them by name."""
    files = {"empty": b"", "one": b"A", "zeros.bin": bytes(200000), "text.txt": text(rng, 300000),
             "random.bin": rng.randbytes(70000),
             "runs.bin": b"".join(bytes([rng.randrange(3)]) * rng.randint(1, 600)
                                  for _ in range(500))}
    files.update({f"window/{size}.txt": text(rng, size)
                  for size in (8191, 8192, 8193, 65535, 65536, 65537)})
    for size in (8192, 8193, 32768, 32769, 65536, 65537):
        block = rng.randbytes(size)
        files[f"reach/{size}.bin"] = block + block[:3000]
    files.update({f"many/d{i % 5}/f{i}.txt": text(rng, rng.randint(0, 3000)) for i in range(40)})
    for name, data in files.items():
        os.makedirs(os.path.dirname(os.path.join(root, name)), exist_ok=True)
        with open(os.path.join(root, name), "wb") as out:
            out.write(data)
    return files


def fake_stub(work):
    """Enough of a program's start for the host tool, which only writes the settings into it."""
    with open(os.path.join(work, "stub.exe"), "wb") as out:
        out.write(b"MZ" + bytes(2046))
    return out.name


def differences(root, actual, files):
    return [f"{name} differs" for name in files if not os.path.isfile(os.path.join(actual, name))
            or not filecmp.cmp(os.path.join(root, name), os.path.join(actual, name), shallow=False)]


def listed(ombrix, archive):
    return {path: (method, time) for method, time, path in
            INFO_LINE.findall(run(ombrix, "info", archive).stdout.decode())}


def round_trip(ombrix, work, method):
    tree = os.path.join(work, "tree")
    files = write_corpus(tree, random.Random(7))
    plain, setup = os.path.join(work, "plain.lzh"), os.path.join(work, "setup.exe")
    run(ombrix, "pack", "--plain", "--method", method.upper(), "-o", plain, "--base", tree, tree)
    run(ombrix, "pack", "--stub", fake_stub(work), "--check-value", "--method", method,
        "-o", setup, "--base", tree, tree)
    failures = [f"ombrix test {archive}" for archive in (plain, setup)
                if run(ombrix, "test", archive, check=False).returncode != 0]
    extractors = {name: command + [plain] for name, command in PEERS.items() if shutil.which(name)}
    extractors["ombrix"] = [ombrix, "extract", setup, "-d", "."]
    for name, command in extractors.items():
        os.makedirs(os.path.join(work, name))
        run(*command, cwd=os.path.join(work, name))
        failures += [f"{name}: {failure}" for failure in
                     differences(tree, os.path.join(work, name), files)]
    methods = {path: method for path, (method, _) in listed(ombrix, plain).items()}
    expected = dict.fromkeys(["text.txt", "zeros.bin", "window/65537.txt", "reach/8192.bin"],
                             f"-{method}-")
    expected["random.bin"] = "-lh0-"
    return report(failures + [f"{name} is {methods.get(name)}, not {want}"
                              for name, want in expected.items() if methods.get(name) != want])


def deterministic(ombrix, work):
    tree = os.path.join(work, "tree")
    write_corpus(tree, random.Random(11))
    outputs = [os.path.join(work, f"{i}.lzh") for i in range(4)]
    dated = dict(os.environ, SOURCE_DATE_EPOCH="1600000000")
    run(ombrix, "pack", "--plain", "-o", outputs[0], tree)
    run(ombrix, "pack", "--plain", "--threads", "1", "-o", outputs[1], tree)
    run(ombrix, "pack", "--plain", "-o", outputs[2], tree, env=dated)
    for directory, _, names in os.walk(tree):
        for name in names:
            os.utime(os.path.join(directory, name))
    run(ombrix, "pack", "--plain", "--threads", "3", "-o", outputs[3], tree, env=dated)
    failures = [f"{a} and {b} differ" for a, b in ((0, 1), (2, 3))
                if not filecmp.cmp(outputs[a], outputs[b], shallow=False)]
    times = {time for _, time in listed(ombrix, outputs[3]).values()}
    return report(failures + ([] if times == {"2020-09-13T12:26:40Z"} else [f"times {times}"]))


def bad_inputs(ombrix, work):
    tree = os.path.join(work, "tree")
    write_corpus(tree, random.Random(3))
    os.makedirs(os.path.join(work, "long", *(["d" * 90] * 3)))
    open(os.path.join(work, "long", *(["d" * 90] * 3), "f"), "wb").close()
    level0, lh1 = os.path.join(work, "level0.lzh"), os.path.join(work, "lh1.lzh")
    if shutil.which("lha"):
        run("lha", "a0q", level0, "one", cwd=tree)
        run("lha", "a2q", lh1, "one", cwd=tree)
        with open(lh1, "r+b") as archive:
            archive.seek(2)
            archive.write(b"-lh1-")
    out = os.path.join(work, "out", "setup.exe")
    os.makedirs(os.path.dirname(out))
    cases = [  # options, SOURCE_DATE_EPOCH, what standard error says, exit status
        (["--window-title", "T" * 41, tree], "", "window title is longer than 40 bytes", 1),
        (["--dir", "D" * 256, tree], "", "directory is longer than 255 bytes", 1),
        ([os.path.join(work, "long")], "", "is longer than 259 bytes", 1),
        ([os.path.join(work, "nowhere")], "", "does not exist", 1),
        (["--stub", os.path.join(tree, "one"), tree], "", "is not a stub", 1),
        ([tree], "tomorrow", "SOURCE_DATE_EPOCH must be a whole number", 1),
        (["--method", "lh1", tree], "", "lh1 not in", 2),
        (["--level", "10", tree], "", "--level", 2),
        (["--plain", "--window-title", "T", tree], "", "excludes", 2),
        (["--from-lzh", level0], "", "level-0 header; the stub reads level 2 only", 1),
        (["--from-lzh", lh1], "", 'method "-lh1-", which the stub cannot read', 1),
        (["--from-lzh", lh1, tree], "", "excludes", 2),
    ]
    failures = []
    for options, date, message, status in cases:
        if "--from-lzh" in options and not shutil.which("lha"):
            continue
        with open(out, "wb") as earlier:
            earlier.write(b"earlier")
        result = run(ombrix, "pack", "-o", out, *options, check=False,
                     env=dict(os.environ, SOURCE_DATE_EPOCH=date))
        with open(out, "rb") as earlier:
            kept = earlier.read() == b"earlier"
        said, left = result.stderr.decode(errors="replace"), os.listdir(os.path.dirname(out))
        if result.returncode != status or message not in said or not kept or left != ["setup.exe"]:
            failures.append(f"{options}: status {result.returncode}, kept {kept}, left {left}, "
                            f"said {said.strip()!r}")
    return report(failures)


def from_lzh(ombrix, work):
    if not shutil.which("lha"):
        return 77
    tree, setup = os.path.join(work, "tree"), os.path.join(work, "setup.exe")
    files = write_corpus(tree, random.Random(13))
    run("lha", "a2q", os.path.join(work, "theirs.lzh"), *sorted(os.listdir(tree)), cwd=tree)
    run(ombrix, "pack", "--stub", fake_stub(work), "--check-value", "-o", setup,
        "--from-lzh", os.path.join(work, "theirs.lzh"))
    failures = [] if run(ombrix, "test", setup, check=False).returncode == 0 else ["test failed"]
    run(ombrix, "extract", setup, "-d", os.path.join(work, "out"))
    return report(failures + differences(tree, os.path.join(work, "out"), files))


def report(failures):
    for failure in failures:
        print(failure)
    return 1 if failures else 0


CASES = {case.__name__: case for case in (round_trip, deterministic, bad_inputs, from_lzh)}

if __name__ == "__main__":
    if len(sys.argv) not in (3, 4) or sys.argv[2] not in CASES:
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory(prefix="ombrix-pack-") as work_dir:
        sys.exit(CASES[sys.argv[2]](os.path.abspath(sys.argv[1]), work_dir, *sys.argv[3:]))
