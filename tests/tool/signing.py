"""Signatures: `ombrix pack --sign-cert --sign-key` signs with osslsigncode, whose own verify
agrees; `info` names the signer and `test` fails where the signature no longer covers the file. A
signing that cannot be done leaves the earlier output and nothing else."""

import os
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
from ombrix_testing import (SIGNER, Skipped, expect, main, run,  # noqa: E402
                            throwaway_certificate, write_tree)

OMBRIX = os.environ.get("OMBRIX", "ombrix")
SIGNED = f"signed by {SIGNER} (not checked against trusted roots)"
NOT_COVERING = "but the signature no longer covers the file: "
DIGEST = f"signed by {SIGNER}, {NOT_COVERING}the file's SHA256 digest is not the signed one"


def forged(data: bytes) -> bytes:  # a bit of the signature value, the last field of its DER
    table, = struct.unpack_from("<I", data, struct.unpack_from("<I", data, 0x3C)[0] + 152)
    end = table + 8 + 4 + int.from_bytes(data[table + 10:table + 12], "big")
    return data[:end - 9] + bytes([data[end - 9] ^ 1]) + data[end - 8:]


def pack(*options, env=None):  # with the stub built into the tool
    result = run(OMBRIX, "pack", *options, env=env, check=False)
    if b"built without a stub" in result.stderr:
        raise Skipped("ombrix was built without a stub")
    return result


def signatures(work: Path) -> None:
    cert, key = throwaway_certificate(work)
    tree, signed = write_tree(work / "tree", {"a.txt": b"a"}), work / "signed.exe"
    for options in (["--sign-cert", cert, "--sign-key", key, "-o", signed],
                    ["-o", work / "unsigned.exe"], ["--stub", signed, "-o", work / "repacked.exe"]):
        expect(f"pack {options}", pack(*options, tree).returncode, 0)
    expect("osslsigncode verifies", run("osslsigncode", "verify", "-CAfile", cert, "-in", signed,
                                        check=False).returncode, 0)
    data = signed.read_bytes()
    rows = {  # file: its bytes (None: as packed), what info says of its signature, test's status
        "unsigned.exe": (None, "none", 0),
        "signed.exe": (None, SIGNED, 0),
        "changed.exe": (data[:520] + b"X" + data[521:], DIGEST, 1),  # in the window title
        "repacked.exe": (None, DIGEST, 1),  # with the signed file as its stub
        "extended.exe": (data + bytes(8), DIGEST, 1),  # past the certificate table
        "cut.exe": (data[:-100], f"signed, {NOT_COVERING}its certificate table lies outside", 1),
        "forged.exe": (forged(data), "the signed digest does not verify with the signer's", 1)}
    for name, (content, said, status) in rows.items():
        content is None or (work / name).write_bytes(content)
        info, test = (run(OMBRIX, verb, work / name, check=False) for verb in ("info", "test"))
        line = next((line for line in info.stdout.decode().splitlines()
                     if line.startswith("signature ")), "")
        told = (test.stdout + test.stderr).decode()
        expect(f"{name}: info's status and signature; test's status, and what it tells", (
            info.returncode, said in line, test.returncode, "signature" in told, said in told),
            (0, True, status, said != "none", said != "none"))


def refused(work: Path) -> None:
    (work / "other").mkdir()
    cert, own_key = throwaway_certificate(work)
    other_key = throwaway_certificate(work / "other")[1]
    tree = write_tree(work / "tree", {"a.txt": b"a"})
    (output := work / "setup.exe").write_bytes(b"earlier")
    for path, key, message in [  # PATH, the key, what is said
            ("/nonexistent", own_key, "ombrix: osslsigncode is needed to sign: apt-get install "
             "osslsigncode"),
            (os.environ["PATH"], other_key, "ombrix: osslsigncode could not sign \"")]:
        result = pack("-o", output, "--sign-cert", cert, "--sign-key", key, tree,
                      env=dict(os.environ, PATH=path))
        expect(f"{message}: status, message, output, files", (
            result.returncode, message in result.stderr.decode(), output.read_bytes(),
            sorted(os.listdir(work))), (1, True, b"earlier",
                                        ["cert.pem", "key.pem", "other", "setup.exe", "tree"]))


if __name__ == "__main__":
    main({"signatures": signatures, "refused": refused})
