"""Times the host tool against Debian's LZH tools on the corpus of corpus.py: packing it with
`ombrix pack` against `lha`, as -lh7- and as -lh5-, and decoding lha's archives with `ombrix
test` against lhasa, bsdtar and 7-Zip; then packing real files that every Debian machine has (the
headers under /usr/include, the programs under /usr/bin), each as one file and as a tree, with
peak memory; last, the peak memory of packing one 1 GiB file. A benchmark, not a test: it prints
figures and never fails on them.

Usage: bench.py OMBRIX WORKDIR [RUNS [PACK_RUNS]]
"""
import filecmp
import json
import os
import random
import shutil
import statistics
import subprocess
import sys
import time

import corpus

LHA_SWITCHES = {"-lh5-": "a2qo5", "-lh7-": "a2qo7"}  # add, level-2 headers, quiet, method
DECODERS = {
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


def load():
    with open("/proc/loadavg") as source:
        return " ".join(source.read().split()[:3])


def hyperfine(commands, runs, work, cwd=None, prepares=(), warmup=1):
    """Each command's wall times, run without a shell; prepares run before each run of their
    commands."""
    report = os.path.join(work, "hyperfine.json")
    options = [option for prepare in prepares for option in ("--prepare", prepare)]
    subprocess.run(["hyperfine", "-N", "--warmup", str(warmup), "--runs", str(runs), "--style",
                    "none", *options, "--export-json", report, *commands], cwd=cwd, check=True)
    with open(report) as source:
        return [result["times"] for result in json.load(source)["results"]]


def mean_and_deviation(times):
    return statistics.mean(times), statistics.stdev(times) if len(times) > 1 else 0.0


def peak_memory(command, cwd):
    """The peak resident size of one run, in MiB."""
    result = subprocess.run(["/usr/bin/time", "-f", "%M", *command.split()], cwd=cwd, check=True,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    return int(result.stderr.decode().split()[-1]) / 1024


def real_corpora(work):
    """(title, root) for headers and programs, each as one file and as a tree of files."""
    def gather(pattern_root, keep, limit):
        chosen, total = [], 0
        for folder, _, files in sorted(os.walk(pattern_root)):
            for name in sorted(files):
                path = os.path.join(folder, name)
                if keep(path) and os.path.isfile(path) and not os.path.islink(path):
                    chosen.append(path)
                    total += os.path.getsize(path)
                    if total >= limit:
                        return chosen
        return chosen

    for title, files in (("C headers", gather("/usr/include", lambda p: p.endswith(".h"), 35e6)),
                         ("programs", gather("/usr/bin", lambda p: os.access(p, os.X_OK), 40e6))):
        one, tree = os.path.join(work, f"{title} file"), os.path.join(work, f"{title} tree")
        for root in (one, tree):
            shutil.rmtree(root, ignore_errors=True)
            os.makedirs(root)
        with open(os.path.join(one, "all.bin"), "wb") as out:
            for path in files:
                with open(path, "rb") as source:
                    out.write(source.read())
        for path in files:
            copy = os.path.join(tree, "t", os.path.relpath(path, "/usr"))
            os.makedirs(os.path.dirname(copy), exist_ok=True)
            shutil.copyfile(path, copy)
        yield f"{title}, one file", one
        yield f"{title}, a tree", tree


def pack_table(ombrix, root, size, method, runs, work, title="the corpus"):
    """ombrix pack and lha a, each writing the whole corpus into a fresh archive."""
    names = " ".join(sorted(os.listdir(root)))
    ours, theirs = os.path.join(work, "ombrix.lzh"), os.path.join(work, "lha.lzh")
    commands = {
        f"ombrix pack --method {method.strip('-')}":
            f"{ombrix} pack --plain --method {method.strip('-')} -o {ours} {names}",
        f"lha {LHA_SWITCHES[method]}": f"lha {LHA_SWITCHES[method]} {theirs} {names}",
    }
    before = load()
    # The programs take turns, one run each, so that a change in the machine's load falls on
    # both; lha adds to an archive that exists, so every run starts without one.
    rounds = [hyperfine(list(commands.values()), 1, work, cwd=root, warmup=0 if turn else 1,
                        prepares=[f"rm -f {ours}", f"rm -f {theirs}"]) for turn in range(runs)]
    times = [mean_and_deviation([turn[i][0] for turn in rounds]) for i in range(len(commands))]
    sizes = [os.path.getsize(ours), os.path.getsize(theirs)]
    peaks = []
    for command, archive in zip(commands.values(), (ours, theirs)):
        os.remove(archive)
        peaks.append(peak_memory(command, root))
    print(f"\nPacking {title}, {size / 1e6:.1f} MB, as {method} (load average before: {before}, "
          f"after: {load()})")
    print("| program | archive bytes | time (ms) | MB/s of input | size / lha's | speed / lha's "
          "| peak MiB |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    for name, bytes_, (mean, stddev), peak in zip(commands, sizes, times, peaks):
        print(f"| {name} | {bytes_:,} | {mean * 1000:.0f} ± {stddev * 1000:.0f} | "
              f"{size / mean / 1e6:.1f} | {bytes_ / sizes[1]:.3f} | {times[1][0] / mean:.2f} "
              f"| {peak:.0f} |")


def large_file(ombrix, work, headers):
    """Packs one 1 GiB file, C headers with stretches of noise, with one thread and with two: the
    peak memory of each, and whether the archives are the same."""
    root = os.path.join(work, "large file")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    with open(headers, "rb") as source:
        text = source.read()
    noise = random.Random(1).randbytes(4 << 20)
    with open(os.path.join(root, "large.bin"), "wb") as out:
        written = 0
        while written < 1 << 30:
            piece = (text + noise)[:(1 << 30) - written]
            out.write(piece)
            written += len(piece)
    print(f"\nPacking one file of 1 GiB (C headers and noise), -lh5- (load average before: "
          f"{load()})")
    print("| threads | archive bytes | time (s) | peak MiB |")
    print("|---:|---:|---:|---:|")
    archives = []
    for threads in (1, 2):
        archive = os.path.join(work, f"large{threads}.lzh")
        command = (f"{ombrix} pack --plain --method lh5 --threads {threads} -o {archive} "
                   "large.bin")
        if os.path.exists(archive):
            os.remove(archive)
        began = time.monotonic()
        peak = peak_memory(command, root)
        print(f"| {threads} | {os.path.getsize(archive):,} | {time.monotonic() - began:.1f} "
              f"| {peak:.0f} |")
        archives.append(archive)
    same = filecmp.cmp(*archives, shallow=False)
    print(f"The archives are {'the same' if same else 'DIFFERENT'} for one thread and two.")
    shutil.rmtree(root)
    for archive in archives:
        os.remove(archive)


def lha_archive(root, work, method):
    archive = os.path.join(work, f"corpus{method.strip('-')}.lzh")
    if not os.path.exists(archive):
        subprocess.run(["lha", LHA_SWITCHES[method], archive, *sorted(os.listdir(root))],
                       cwd=root, check=True, stdout=subprocess.DEVNULL)
    return archive


def decode_table(ombrix, root, size, method, runs, work):
    archive = lha_archive(root, work, method)
    before = load()
    names = [name for name in DECODERS if shutil.which(DECODERS[name](ombrix, archive)[0])]
    times = dict(zip(names, map(mean_and_deviation, hyperfine(
        [" ".join(DECODERS[name](ombrix, archive)) for name in names], runs, work))))
    fastest_peer = min(mean for name, (mean, _) in times.items() if name != "ombrix test")
    print(f"\nDecoding {method}: {size / 1e6:.1f} MB in {os.path.getsize(archive) / 1e6:.1f} MB "
          f"(load average before: {before}, after: {load()})")
    print("| program | time (ms) | MB/s of output | fastest peer's time / this time |")
    print("|---|---:|---:|---:|")
    for name, (mean, stddev) in sorted(times.items(), key=lambda item: item[1][0]):
        print(f"| {name} | {mean * 1000:.0f} ± {stddev * 1000:.0f} | {size / mean / 1e6:.0f} "
              f"| {fastest_peer / mean:.2f} |")


def main(ombrix, work, runs, pack_runs):
    for tool in ("lha", "hyperfine"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is needed")
    root = os.path.join(work, "corpus")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    size = write_corpus(root)
    for method in LHA_SWITCHES:
        pack_table(ombrix, root, size, method, pack_runs, work)
    for method in LHA_SWITCHES:
        decode_table(ombrix, root, size, method, runs, work)
    for title, real in real_corpora(work):
        real_size = sum(os.path.getsize(os.path.join(folder, name))
                        for folder, _, files in os.walk(real) for name in files)
        for method in LHA_SWITCHES:
            pack_table(ombrix, real, real_size, method, pack_runs, work, title)
    large_file(ombrix, work, os.path.join(work, "C headers file", "all.bin"))


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4, 5):
        sys.exit(__doc__)
    main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]),
         int(sys.argv[3]) if len(sys.argv) > 3 else 10,
         int(sys.argv[4]) if len(sys.argv) > 4 else 3)
