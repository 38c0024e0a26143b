"""Before its dialog the stub walks its archive: a walk that fails shows one error box and ends with
exit code 0; a notice and a script that `lha` compressed with -lh5- and -lh7- come out right only
when every bit is read as written. Which damage says what is archive_pass_test.cpp's catalogue."""

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


def offset_past_end(session, exe: Path) -> None:  # the host tool says what the stub shows
    data = bytearray(pack(session, exe, SAMPLE_FILES, "--window-title", LONGEST_TITLE).read_bytes())
    struct.pack_into("<I", data, 512, len(data) + 1)
    exe.write_bytes(data)
    host = run(session.tool, "info", exe, check=False)
    expect("ombrix's exit code, message", (host.returncode, host.stderr.decode()),
           (1, f'ombrix: "{exe}" Unexpeted EOF\n'))


CASES = {
    "unpackaged_stub": Case([box('"<program>" Bad header', DEFAULT_CAPTION)], 0,
                            make=lambda session, exe: shutil.copyfile(session.stub, exe)),
    "archive_offset_past_end_longest_title": Case(
        [box('"<program>" Unexpeted EOF', LONGEST_TITLE)], 0, make=offset_past_end),
    "compressed_notice_declined": Case(
        [box(NOTICE[:1023], "Long Notice", QUESTION, "7")], 0,  # No
        make=peer_archive("Long Notice", [("!", NOTICE, "lh5")])),
    "compressed_script_sets_caption": Case(
        [box(SHORT_NOTICE, "Packed Title", QUESTION, "6"),  # Yes
         (("--control", "100", "find", "#32770", "", "dump", "press", "2", "gone"),
          {"caption": "Scripted Title"})], 0,
        make=peer_archive("Packed Title", [("!", SHORT_NOTICE, "lh7"), ("$", SCRIPT, "lh5")])),
}

if __name__ == "__main__":
    run_cases(CASES)
