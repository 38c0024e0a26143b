"""Times what a user waits for: the stub's extraction of the benchmark corpus under Wine, from
OK to exit, against `ombrix extract` of the same archive. A benchmark, not a test.

The stub runs with -n, so OK comes from its auto-start timer; the same run over an archive with
no members takes the time of Wine's start, the dialog, the timer and the exit, and is subtracted.

Usage: stub_extraction.py OMBRIX STUB WORKDIR [RUNS]
"""
import json
import os
import shutil
import subprocess
import sys

import bench

WINE = {4: "wine", 8: "/usr/lib/wine/wine64"}


def stub_flavour(stub):
    with open(stub, "rb") as image:
        data = image.read(4096)
    pe = int.from_bytes(data[0x3C:0x40], "little")
    return 8 if int.from_bytes(data[pe + 4:pe + 6], "little") == 0x8664 else 4


def distributable(ombrix, stub, archive, path):
    """The stub with settings that put the archive right behind it. (The stub ends with exit
    code 1 after an extraction, so the timings take no exit code as a failure.)"""
    subprocess.run([ombrix, "pack", "--stub", stub, "-o", path], check=True)
    with open(stub, "rb") as source:
        size = len(source.read())
    with open(path, "r+b") as target:
        target.truncate(size)
        target.seek(0, os.SEEK_END)
        if archive:
            with open(archive, "rb") as members:
                shutil.copyfileobj(members, target)
        else:
            target.write(b"\0")


def windows_path(path):
    # Forward slashes, which Windows takes as well: hyperfine splits its commands as a shell
    # would, and would eat backslashes.
    return "Z:" + path


def main(ombrix, stub, work, runs):
    for tool in ("lha", "hyperfine", "Xvfb", "xvfb-run"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is needed")
    root = os.path.join(work, "corpus")
    if not os.path.isdir(root):
        os.makedirs(root)
        bench.write_corpus(root)
    wine = WINE[stub_flavour(stub)]
    env = dict(os.environ, WINEPREFIX=os.path.join(work, f"prefix{stub_flavour(stub) * 8}"),
               WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
               WINEARCH="win32" if wine == "wine" else "win64")
    out = os.path.join(work, "extracted")
    empty = os.path.join(work, "empty.exe")
    distributable(ombrix, stub, None, empty)
    commands = {"empty": f"{wine} {empty} -n {windows_path(out)}"}
    for method in bench.LHA_SWITCHES:
        archive = bench.lha_archive(root, work, method)
        exe = os.path.join(work, f"corpus{method.strip('-')}.exe")
        distributable(ombrix, stub, archive, exe)
        commands[f"stub {method}"] = f"{wine} {exe} -n {windows_path(out)}"
        commands[f"ombrix extract {method}"] = f"{ombrix} extract {archive} -d {out}"
    report = os.path.join(work, "stub-hyperfine.json")
    # One wineserver for all runs, so that none of them pays for starting it.
    script = (f"wineboot -i >/dev/null 2>&1; wineserver -p; "
              f"hyperfine -N -i --warmup 1 --runs {runs} --style none "
              f"--prepare 'rm -rf {out}' --export-json {report} "
              + " ".join(f"'{command}'" for command in commands.values()) + "; wineserver -k")
    subprocess.run(["xvfb-run", "-a", "sh", "-c", script], env=env, check=True)
    with open(report) as source:
        means = dict(zip(commands, (result["mean"] for result in json.load(source)["results"])))
    print(f"\nWine start, dialog, auto-start timer and exit: {means['empty'] * 1000:.0f} ms")
    print("| archive | stub, OK to exit (ms) | ombrix extract (ms) | stub / ombrix |")
    print("|---|---:|---:|---:|")
    for method in bench.LHA_SWITCHES:
        stub_time = means[f"stub {method}"] - means["empty"]
        tool_time = means[f"ombrix extract {method}"]
        print(f"| {method} | {stub_time * 1000:.0f} | {tool_time * 1000:.0f} "
              f"| {stub_time / tool_time:.2f} |")


if __name__ == "__main__":
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3]),
         int(sys.argv[4]) if len(sys.argv) == 5 else 5)
