"""Rows of the catalogue of damaged archives (archive_pass_test.cpp) under Wine: the stub shows
the message that the host tool, walking the same file with the same core, reports."""

import struct
import subprocess
import sys
from pathlib import Path

sys.path[:0] = [str(Path(__file__).resolve().parents[1]), str(Path(__file__).resolve().parent)]
from harness import SAMPLE_FILES, Case, pack, run_cases  # noqa: E402
from scan_boxes import QUESTION, box  # noqa: E402


def damaged(message: str, exit_code: int, kind: str, at: int, value=0, notice=b"", **case):
    """Packed, then cut ("cut"), flipped ("xor") or overwritten ("H") at byte at of readme.txt's
    data, or of its header when overwritten; its message ends the scan, or the extraction."""
    def make(session, exe: Path) -> None:
        (exe.parent / "notice").write_bytes(notice)
        data = bytearray(pack(session, exe, SAMPLE_FILES, "--window-title", "Catalogue",
                              *["--notice", exe.parent / "notice"] * bool(notice)).read_bytes())
        start = struct.unpack_from("<I", data, 512)[0]
        where = start + at + struct.unpack_from("<H", data, start)[0] * (kind != "H")
        if kind == "cut":
            del data[where:]
        elif kind == "xor":
            data[where] ^= value
        elif kind == "H":
            struct.pack_into("<H", data, where, value)
        exe.write_bytes(data)
        command = ["extract", "-d", exe.parent / "host"] if exit_code else ["info"]
        host = subprocess.run([session.tool, *command, exe], capture_output=True)
        said = message.replace("<program>", str(exe)).replace("<run:/>", str(exe.parent / "host"))
        assert (host.returncode, host.stderr.decode()) == (int(bool(kind)), f"ombrix: {said}\n"
                                                           * bool(kind)), host.stderr
    style = {"style": QUESTION, "answer": "7"} if notice else {}  # No
    return Case([box(message, "Catalogue", **style)], exit_code, make=make, **case)


CASES = {
    "cut_inside_a_member": damaged('"<program>" Unexpeted EOF', 0, "cut", 5),
    "header_size_32768": damaged("Not enough memory", 0, "H", 0, 32768),
    "extended_header_of_size_1": damaged('"<program>" Bad header', 0, "H", 24, 1),
    "flipped_data_bit": damaged('"<run:/>/readme.txt" CRC ERROR', 1, "xor", 3, 4,
                                arguments=["-n", "<run>"]),
    "notice_holding_a_zero_byte": damaged("Before", 0, "", 0, notice=b"Before\0After"),
}

if __name__ == "__main__":
    run_cases(CASES)
