"""What the Python tests share: commands, file trees, the peer LZH tools, text to compress, and a
runner of named cases that reports all of a case's mismatches at its end (exit code 0, 1 or 77)."""

import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
from collections.abc import Callable
from pathlib import Path

# lha's switches: a add, 2 level-2 headers, q quiet, then z (store) or o5..o7 (the method).
LHA_ADD = {"stored": "a2qz", "lh5": "a2qo5", "lh6": "a2qo6", "lh7": "a2qo7"}
FOUND: list[str] = []  # the mismatches of the case that runs
EXTRACTORS = {"lhasa": ["lhasa", "xq"], "7zz": ["7zz", "x", "-y"], "bsdtar": ["bsdtar", "xf"]}


class Skipped(Exception):  # with the reason
    pass


def need(*commands: str) -> None:
    if missing := [command for command in commands if shutil.which(command) is None]:
        raise Skipped(f"not installed: {', '.join(missing)} (scripts/install-deps.sh)")


def run(*args, cwd=None, env=None, check=True) -> subprocess.CompletedProcess:
    result = subprocess.run(list(map(str, args)), cwd=cwd, env=env, capture_output=True,
                            input=b"")
    if check and result.returncode:
        raise AssertionError(f"{' '.join(map(str, args))} failed ({result.returncode}):\n"
                             f"{(result.stdout + result.stderr).decode(errors='replace')}")
    return result


def write_tree(root: Path, files: dict[str, bytes], mtime: int | None = None) -> Path:
    for name, data in files.items():  # a name that ends in '/' is a directory
        (root / name).parent.mkdir(parents=True, exist_ok=True)
        (root / name).mkdir() if name.endswith("/") else (root / name).write_bytes(data)
        mtime is None or os.utime(root / name, (mtime, mtime))
    return root


def lha(archive: Path, tree: Path, method: str, *names: str) -> Path:  # all of the top by default
    need("lha")
    run("lha", LHA_ADD[method], archive, *(names or sorted(os.listdir(tree))), cwd=tree)
    return archive


def tree_files(root: Path) -> list[str]:  # a directory's with a closing '/'
    return sorted(str(path.relative_to(root)) + "/" * (path.is_dir() and not path.is_symlink())
                  for path in root.rglob("*"))


def content(path: Path) -> bytes | str:  # a symbolic link's is where it points
    return os.readlink(path) if path.is_symlink() else path.read_bytes()


def compare_trees(what: str, expected: Path, actual: Path) -> None:
    ours, theirs = tree_files(expected), tree_files(actual)
    FOUND.extend([f"{what}: missing {n}" for n in ours if n not in theirs] +
                 [f"{what}: unexpected {n}" for n in theirs if n not in ours] +
                 [f"{what}: different bytes in {n}" for n in ours if n in theirs and n[-1] != "/"
                  and content(expected / n) != content(actual / n)])


def text(rng: random.Random, size: int) -> bytes:
    """CRLF lines of words from a large vocabulary: matches of many lengths and distances."""
    words = ["".join(rng.choice("etaoinshrdlucmfwyp") for _ in range(rng.randint(1, 9)))
             for _ in range(3000)]
    out = bytearray()
    while len(out) < size:
        out += (" ".join(rng.choice(words) for _ in range(rng.randint(3, 14))) + "\r\n").encode()
    return bytes(out[:size])


def crc16(data: bytes, crc: int = 0) -> int:  # CRC-16/ARC
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = crc >> 1 ^ (0xA001 if crc & 1 else 0)
    return crc


def member(data: bytes, *extended: tuple[int, bytes], method=b"-lh0-", size=None,
           os_id=b"W") -> bytes:
    """A level-2 header (time 1600000000) with the extended headers (type, body) after its header
    CRC, then data."""
    extended = ((0, b"\0\0"), *extended)
    sizes = [len(body) + 3 for _, body in extended] + [0]
    tail = b"".join(bytes([kind]) + body + struct.pack("<H", sizes[i + 1])
                    for i, (kind, body) in enumerate(extended))
    header = bytearray(struct.pack("<H5sIIIBBHBH", 26 + len(tail), method, len(data), len(data)
                                   if size is None else size, 1600000000, 0x20, 2, crc16(data),
                                   ord(os_id), sizes[0]) + tail)
    header[27:29] = struct.pack("<H", crc16(header))
    return bytes(header) + data


def expect(what: str, actual, expected) -> None:
    if actual != expected:
        FOUND.append(f"{what}: got {actual!r}, expected {expected!r}")


SIGNER = "CN=Ombrix Test Publisher, O=Example"  # as info and test name the certificate's subject


def throwaway_certificate(directory: Path) -> tuple[Path, Path]:
    """A self-signed certificate of SIGNER and its key, made for one test."""
    need("openssl", "osslsigncode")
    cert, key = directory / "cert.pem", directory / "key.pem"
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
        "/" + SIGNER.replace(", ", "/"), "-keyout", key, "-out", cert)
    return cert, key


def main(cases: dict[str, Callable], prepare: Callable | None = None) -> None:
    """`FILE --list` names the cases; `FILE CASE` runs one with the arguments that prepare(CASE)
    returns, or else in a new temporary directory."""
    if (name := sys.argv[-1]) == "--list":
        return print(";".join(cases))
    if len(sys.argv) != 2 or name not in cases:
        sys.exit(f"usage: {sys.argv[0]} --list | {' | '.join(cases)}")
    try:
        with tempfile.TemporaryDirectory(prefix=f"ombrix-{name}-") as work:
            cases[name](*(prepare(name) if prepare else [Path(work)]))
        if FOUND:
            raise AssertionError("\n".join(FOUND))
    except Skipped as reason:
        print(f"SKIP {name}: {reason}")
        sys.exit(77)
    except AssertionError as failure:
        sys.exit(f"FAIL {name}\n{failure}")
    print(f"PASS {name}")
