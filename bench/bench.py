"""Times `ombrix test` against the LZH decoders Debian offers, on the corpus of corpus.py packed
by `lha` as -lh5- and as -lh7-. A benchmark, not a test: it prints figures and never fails on
them.

Usage: bench.py OMBRIX WORKDIR [RUNS]
"""
import json
import os
import shutil
import subprocess
import sys

import corpus

METHODS = {"-lh5-": "a2qo5", "-lh7-": "a2qo7"}  # lha: add, level-2 headers, quiet, method
PROGRAMS = {
    "ombrix test": lambda ombrix, archive: [ombrix, "test", archive],
    "lhasa t": lambda ombrix, archive: ["lhasa", "t", archive],
    "bsdtar -xOf": lambda ombrix, archive: ["bsdtar", "-xOf", archive],
    "7zz t": lambda ombrix, archive: ["7zz", "t", archive],
}


def write_corpus(root):
    total = 0
    for name, data in corpus.corpus():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)
        total += len(data)
    return total


def pack(root, work, method):
    archive = os.path.join(work, f"corpus{method.strip('-')}.lzh")
    if not os.path.exists(archive):
        subprocess.run(["lha", METHODS[method], archive, *sorted(os.listdir(root))], cwd=root,
                       check=True, stdout=subprocess.DEVNULL)
    return archive


def time_programs(ombrix, archive, runs, work):
    names = [name for name in PROGRAMS if shutil.which(PROGRAMS[name](ombrix, archive)[0])]
    commands = [" ".join(PROGRAMS[name](ombrix, archive)) for name in names]
    report = os.path.join(work, "hyperfine.json")
    # -N runs each command without a shell; the output of every program goes to /dev/null.
    subprocess.run(["hyperfine", "-N", "--warmup", "1", "--runs", str(runs), "--style", "none",
                    "--export-json", report, *commands], check=True)
    with open(report) as source:
        results = json.load(source)["results"]
    return {name: (result["mean"], result["stddev"]) for name, result in zip(names, results)}


def print_table(method, archive, size, times):
    fastest_peer = min(mean for name, (mean, _) in times.items() if name != "ombrix test")
    ours = times["ombrix test"][0]
    print(f"\n{method}: {size / 1e6:.1f} MB in {os.path.getsize(archive) / 1e6:.1f} MB")
    print(f"| program | time (ms) | MB/s of output | fastest peer's time / this time |")
    print(f"|---|---:|---:|---:|")
    for name, (mean, stddev) in sorted(times.items(), key=lambda item: item[1][0]):
        print(f"| {name} | {mean * 1000:.0f} ± {stddev * 1000:.0f} | {size / mean / 1e6:.0f} "
              f"| {fastest_peer / mean:.2f} |")
    print(f"ombrix test against the fastest peer: {fastest_peer / ours:.2f} times as fast")


def main(ombrix, work, runs):
    for tool in ("lha", "hyperfine"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is needed")
    root = os.path.join(work, "corpus")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    size = write_corpus(root)
    for method in METHODS:
        archive = pack(root, work, method)
        print_table(method, archive, size, time_programs(ombrix, archive, runs, work))


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]),
         int(sys.argv[3]) if len(sys.argv) == 4 else 10)
