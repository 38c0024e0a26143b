"""The host tool against Debian's LZH tools.

  info_lists_lha_archives   archives made by `lha` at header level 2 (stored and every method
                            it offers) are listed by `ombrix info` as `lhasa v` lists them:
                            names, methods, sizes, CRCs, and the time stamps of the files.
  peers_read_plain_packs    `ombrix pack --plain` writes archives that lhasa, 7zz and bsdtar
                            list the same way and extract to the original bytes.

Usage: peer_archives.py OMBRIX CASE. Exit 77 when a peer tool is missing.
"""
import calendar
import datetime
import filecmp
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
FILE_TIME = calendar.timegm((2021, 3, 4, 5, 6, 8))

# method, packed, unpacked, crc, time, attributes, os, path
INFO_LINE = re.compile(r"^(-lh.-)\s+(\d+)\s+(\d+)\s+0x([0-9a-f]{4})\s+(\S+)\s+(\S+)\s+(\S+)\s+(.*)$")
# lhasa v: permissions, sizes, ratio, method, crc, stamp (three fields), name
LHASA_LINE = re.compile(
    r"^.*?\s(\d+)\s+(\d+)\s+\S+\s+(-lh.-)\s+([0-9a-f]{4})\s+\w+\s+\d+\s+[\d:]+\s(.*)$")


def run(*args, cwd=None, check=True):
    result = subprocess.run(args, cwd=cwd, capture_output=True, check=False)
    if check and result.returncode != 0:
        sys.exit(f"{' '.join(args)} failed ({result.returncode}):\n"
                 f"{result.stdout.decode(errors='replace')}{result.stderr.decode(errors='replace')}")
    return result.stdout.decode("utf-8", errors="surrogateescape")


def make_tree(root):
    """Files and directories worth listing: nesting, blanks, an empty file and directory, a
    read-only file, text that compresses and bytes that do not."""
    files = {
        "readme.txt": b"Read me.\r\n",
        "with space.txt": b"blank in the name",
        "empty": b"",
        "locked.txt": b"read-only on disk",
        "docs/manual.txt": b"".join(b"line %05d of the manual\r\n" % i for i in range(4000)),
        "docs/deep/noise.bin": bytes((i * 7919 + (i >> 3)) & 0xFF for i in range(70000)),
        "docs/deep/zeros.bin": bytes(140000),
    }
    for name, data in files.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)
    os.makedirs(os.path.join(root, "empty dir"))
    os.chmod(os.path.join(root, "locked.txt"), 0o444)
    for directory, _, names in os.walk(root, topdown=False):
        for name in names:
            os.utime(os.path.join(directory, name), (FILE_TIME, FILE_TIME))
        os.utime(directory, (FILE_TIME, FILE_TIME))
    return sorted(files) + ["docs/", "docs/deep/", "empty dir/"]


def info_members(ombrix, archive):
    members = {}
    for line in run(ombrix, "info", archive).splitlines():
        match = INFO_LINE.match(line)
        if match:
            method, packed, unpacked, crc, time, _attributes, _os, path = match.groups()
            members[path] = (method, int(packed), int(unpacked), crc, time)
    return members


def lhasa_members(archive):
    members = {}
    for line in run("lhasa", "v", archive).splitlines():
        match = LHASA_LINE.match(line)
        if match:
            packed, unpacked, method, crc, path = match.groups()
            members[path] = (method, int(packed), int(unpacked), crc)
    return members


def utc(seconds):
    return datetime.datetime.fromtimestamp(seconds, datetime.timezone.utc).strftime(
        "%Y-%m-%dT%H:%M:%SZ")


def compare_listings(ombrix, archive, expected_names):
    ours = info_members(ombrix, archive)
    theirs = lhasa_members(archive)
    failures = []
    if sorted(ours) != sorted(expected_names):
        failures.append(f"info lists {sorted(ours)}, expected {sorted(expected_names)}")
    if sorted(theirs) != sorted(ours):
        failures.append(f"lhasa lists {sorted(theirs)}, info {sorted(ours)}")
    for path, (method, packed, unpacked, crc, time) in ours.items():
        if path in theirs and theirs[path] != (method, packed, unpacked, crc):
            failures.append(f"{path}: info {(method, packed, unpacked, crc)}, lhasa {theirs[path]}")
        if time != utc(FILE_TIME):
            failures.append(f"{path}: time {time}, expected {utc(FILE_TIME)}")
    return ours, failures


def info_lists_lha_archives(ombrix, work):
    if not shutil.which("lha") or not shutil.which("lhasa"):
        return SKIP
    tree = os.path.join(work, "tree")
    os.makedirs(tree)
    names = make_tree(tree)
    failures = []
    methods_seen = set()
    # a: add; 2: level-2 headers; q: quiet; z: store; o5..o7: the compression method.
    for flags in ("a2qz", "a2q", "a2qo6", "a2qo7"):
        archive = os.path.join(work, f"{flags}.lzh")
        run("lha", flags, archive, *sorted(os.listdir(tree)), cwd=tree)
        ours, found = compare_listings(ombrix, archive, names)
        failures += [f"lha {flags}: {failure}" for failure in found]
        methods_seen |= {member[0] for member in ours.values()}
    for method in ("-lh0-", "-lhd-", "-lh5-", "-lh6-", "-lh7-"):
        if method not in methods_seen:
            failures.append(f"no archive held a {method} member")
    return report(failures)


def peers_read_plain_packs(ombrix, work):
    tree = os.path.join(work, "tree")
    os.makedirs(tree)
    names = make_tree(tree)
    archive = os.path.join(work, "plain.lzh")
    run(ombrix, "pack", "--plain", "-o", archive, "--base", tree, tree)
    failures = []
    if shutil.which("lhasa"):
        failures += compare_listings(ombrix, archive, names)[1]
    extractors = {
        "lhasa": ["lhasa", "xq", archive],
        "7zz": ["7zz", "x", "-y", archive],
        "bsdtar": ["bsdtar", "xf", archive],
    }
    for name, command in extractors.items():
        if not shutil.which(command[0]):
            continue
        target = os.path.join(work, "by-" + name)
        os.makedirs(target)
        run(*command, cwd=target)
        failures += [f"{name}: {failure}" for failure in compare_trees(tree, target)]
    return report(failures)


def compare_trees(expected, actual):
    failures = []
    for directory, subdirectories, files in os.walk(expected):
        relative = os.path.relpath(directory, expected)
        for name in subdirectories:
            if not os.path.isdir(os.path.join(actual, relative, name)):
                failures.append(f"missing directory {os.path.join(relative, name)}")
        for name in files:
            other = os.path.join(actual, relative, name)
            if not os.path.isfile(other):
                failures.append(f"missing file {os.path.join(relative, name)}")
            elif not filecmp.cmp(os.path.join(directory, name), other, shallow=False):
                failures.append(f"different bytes in {os.path.join(relative, name)}")
    return failures


def report(failures):
    for failure in failures:
        print(failure)
    return 1 if failures else 0


CASES = {case.__name__: case for case in (info_lists_lha_archives, peers_read_plain_packs)}

if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[2] not in CASES:
        sys.exit(f"usage: {sys.argv[0]} OMBRIX {'|'.join(CASES)}")
    with tempfile.TemporaryDirectory(prefix="ombrix-peers-") as work:
        sys.exit(CASES[sys.argv[2]](os.path.abspath(sys.argv[1]), work))
