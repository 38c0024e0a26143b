"""Before its dialog the stub walks its archive: a walk that fails shows one error box and ends with
exit code 0, nothing written; a notice and a script that `lha` compressed with -lh5- and -lh7-
come out right only when every bit is read as written. Rows of the catalogue of damaged archives
(archive_pass_test.cpp): the stub shows the message that the host tool, walking the same file with
the same core, reports."""

import random
import shutil
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from harness import SAMPLE_FILES, Case, pack, run_cases  # noqa: E402
from ombrix_testing import expect, lha, run, text  # noqa: E402

DEFAULT_CAPTION, LONGEST_TITLE = "Ombrix V2.60.w32.0023", "Forty Characters Fill This Title Exactly"
NOTICE, SHORT_NOTICE = text(random.Random(1), 3000).decode(), text(random.Random(2), 600).decode()
SCRIPT = text(random.Random(3), 1500).decode() + "\r\n$WindowTitle=Scripted Title\r\n" + \
    text(random.Random(4), 200).decode()
ERROR, QUESTION = 0x2010, 0x2024  # MB_TASKMODAL with MB_ICONERROR, or MB_ICONQUESTION | MB_YESNO


def box(message: str, caption: str, style=ERROR, answer="1") -> tuple:
    return (("--control", "65535", "find", "#32770", "", "dump", "press", answer, "gone"),
            {"caption": caption, "text 65535": message, "box style": style,
             "buttons": ["&Yes", "&No"] if style == QUESTION else ["OK"]})


def peer_archive(title: str, notices: list[tuple[str, str, str]]):
    """Our settings, then `lha`'s archive of (name, text, method) in place of our end mark."""
    def make(session, exe: Path) -> None:
        pack(session, exe, {}, "--window-title", title)
        (tree := exe.parent / "lha").mkdir()
        for name, content, method in notices:
            (tree / name).write_text(content, newline="")
            archive = lha(exe.parent / "members.lzh", tree, method, name).read_bytes()
        assert all(f"-{m}-".encode() in archive for *_, m in notices) and \
            len(archive) < sum(len(content) for _, content, _ in notices), "lha did not compress"
        exe.write_bytes(exe.read_bytes()[:struct.unpack_from("<I", exe.read_bytes(), 512)[0]] +
                        archive)
    return make


def damaged(message: str, exit_code: int, kind: str, at: int = 0, value=0, notice=b"",
            title="Catalogue", options=(), **case):
    """Packed, then cut ("cut"), flipped ("xor") or overwritten ("H") at byte at of readme.txt's
    data, or of its header when overwritten, flipped at byte at of the archive ("X"), or with the
    archive's offset past the end ("EOF"); its message ends the scan, or the extraction."""
    def make(session, exe: Path) -> None:
        (exe.parent / "notice").write_bytes(notice)
        data = bytearray(pack(session, exe, SAMPLE_FILES, "--window-title", title, *options,
                              *["--notice", exe.parent / "notice"] * bool(notice)).read_bytes())
        start = struct.unpack_from("<I", data, 512)[0]
        where = start + at + struct.unpack_from("<H", data, start)[0] * (kind in ("cut", "xor"))
        if kind == "cut":
            del data[where:]
        elif kind in ("xor", "X"):
            data[where] ^= value
        elif kind == "H":
            struct.pack_into("<H", data, where, value)
        elif kind == "EOF":
            struct.pack_into("<I", data, 512, len(data) + 1)
        exe.write_bytes(data)
        command = ["extract", "-d", exe.parent / "host"] if exit_code else ["info"]
        host = run(session.tool, *command, exe, check=False)
        said = message.replace("<program>", str(exe)).replace("<run:/>", str(exe.parent / "host"))
        expect("ombrix's exit code, message", (host.returncode, host.stderr.decode()),
               (int(bool(kind)), f"ombrix: {said}\n" * bool(kind)))
    style = {"style": QUESTION, "answer": "7"} if notice else {}  # No
    return Case([box(message, title, **style)], exit_code, make=make, **case)


CASES = {
    "unpackaged_stub": Case([box('"<program>" Bad header', DEFAULT_CAPTION)], 0,
                            make=lambda session, exe: shutil.copyfile(session.stub, exe)),
    "archive_offset_past_end_longest_title": damaged('"<program>" Unexpeted EOF', 0, "EOF",
                                                     title=LONGEST_TITLE),
    "mismatched_check_value": damaged('"<program>" Tampered DATA', 0, "X", 0, 1,
                                      title="Check Value", options=["--check-value"]),
    "compressed_notice_declined": Case(
        [box(NOTICE[:1023], "Long Notice", QUESTION, "7")], 0,  # No
        make=peer_archive("Long Notice", [("!", NOTICE, "lh5")])),
    "compressed_script_sets_caption": Case(
        [box(SHORT_NOTICE, "Packed Title", QUESTION, "6"),  # Yes
         (("--control", "100", "find", "#32770", "", "dump", "press", "2", "gone"),
          {"caption": "Scripted Title"})], 0,
        make=peer_archive("Packed Title", [("!", SHORT_NOTICE, "lh7"), ("$", SCRIPT, "lh5")])),
    "cut_inside_a_member": damaged('"<program>" Unexpeted EOF', 0, "cut", 5),
    "header_size_32768": damaged("Not enough memory", 0, "H", 0, 32768),
    "extended_header_of_size_1": damaged('"<program>" Bad header', 0, "H", 24, 1),
    "flipped_data_bit": damaged('"<run:/>/readme.txt" CRC ERROR', 1, "xor", 3, 4,
                                arguments=["-n", "<run>"]),
    "notice_holding_a_zero_byte": damaged("Before", 0, "", 0, notice=b"Before\0After"),
}

if __name__ == "__main__":
    run_cases(CASES)
