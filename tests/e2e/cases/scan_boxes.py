"""Before its dialog the stub walks its archive: a walk that fails shows one error box and ends with
exit code 0, having written nothing (an extraction that fails ends with 1); a notice and a script that `lha` compressed with -lh5- and
-lh7- come out right only when every bit is read as written. Which damage says what is
archive_pass_test.cpp's catalogue; here are the members that the passes once saw apart."""

import random
import shutil
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from harness import Case, pack, run_cases  # noqa: E402
from ombrix_testing import expect, lha, member, text  # noqa: E402

DEFAULT_CAPTION, TITLE = "Ombrix V2.60.w32.0023", "Packed Title"
AUTO = ["-n", "<run>\\target"]  # extract at once
NOTICE = text(random.Random(1), 3000).decode()
SCRIPT = text(random.Random(3), 1500).decode() + "\r\n$WindowTitle=Scripted Title\r\n" + \
    text(random.Random(4), 200).decode()
ERROR, QUESTION = 0x2010, 0x2024  # MB_TASKMODAL with MB_ICONERROR, or MB_ICONQUESTION | MB_YESNO


def box(message: str, caption: str, style=ERROR, answer="1") -> tuple:
    return (("--control", "65535", "find", "#32770", "", "dump", "press", answer, "gone"),
            {"caption": caption, "text 65535": message, "box style": style,
             "buttons": ["&Yes", "&No"] if style == QUESTION else ["OK"]})


def replaced(archive: bytes, *options: str):
    """Our settings, then the archive in place of ours."""
    def make(session, exe: Path) -> None:
        data = pack(session, exe, {"x": b""}, "--window-title", TITLE, *options).read_bytes()
        exe.write_bytes(data[:struct.unpack_from("<I", data, 512)[0]] + archive)
    return make


def notice_and_script(session, exe: Path) -> None:  # as `lha` compressed them
    (tree := exe.parent / "lha").mkdir()
    for name, content, method in (("!", NOTICE, "lh7"), ("$", SCRIPT, "lh5")):
        (tree / name).write_text(content, newline="")
        archive = lha(exe.parent / "members.lzh", tree, method, name).read_bytes()
    replaced(archive)(session, exe)


CASES = {
    "unpackaged_stub": Case([box('"<program>" Bad header', DEFAULT_CAPTION)], 0,
                            make=lambda session, exe: shutil.copyfile(session.stub, exe)),
    "compressed_notice_and_script": Case(  # Yes
        [box(NOTICE[:1023], TITLE, QUESTION, "6"),
         (("--control", "100", "find", "#32770", "", "dump", "press", "2", "gone"),
          {"caption": "Scripted Title"})], 0,
        make=notice_and_script),
    # A stored member that would hide another in its data, or a name leading out of the folder.
    "stored_sizes_apart": Case([box('"<program>" Bad header', TITLE)], 0, arguments=AUTO,
                               make=replaced(member(b"x" * 40, (1, b"a.txt"), size=10) + b"\0")),
    "a_name_leading_up": Case([box('"<program>" Bad header', TITLE)], 0, arguments=AUTO, make=replaced(
        member(b"escape", (1, b"escape.txt"), (2, b"..\xff")) + b"\0")),
    "cut_at_its_check_value": Case([box('"<program>" Unexpeted EOF', TITLE)], 0,
                                   make=replaced(b"", "--check-value")),
    # A file named by its directory header alone; data that runs out is not made up.
    "named_by_its_directory_then_data_running_out": Case(
        [box('"<program>" Unexpeted EOF', TITLE)], 1, ["target/only"], arguments=AUTO,
        make=replaced(member(b"only data", (2, b"only")) + member(
            b"", (1, b"big"), method=b"-lh5-", size=10**6) + b"\0"),
        after=lambda session, run: expect("only", (run / "target/only").read_bytes(), b"only data")),
}

if __name__ == "__main__":
    run_cases(CASES)
