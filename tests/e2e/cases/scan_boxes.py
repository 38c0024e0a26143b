"""Before its dialog the stub walks its archive: a walk that fails shows one error box and ends with
exit code 0; a notice and a script that `lha` compressed with -lh5- and -lh7- come out right only
when every bit is read as written. Which damage says what is archive_pass_test.cpp's catalogue."""

import random
import shutil
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from harness import Case, pack, run_cases  # noqa: E402
from ombrix_testing import lha, text  # noqa: E402

DEFAULT_CAPTION = "Ombrix V2.60.w32.0023"
NOTICE = text(random.Random(1), 3000).decode()
SCRIPT = text(random.Random(3), 1500).decode() + "\r\n$WindowTitle=Scripted Title\r\n" + \
    text(random.Random(4), 200).decode()
ERROR, QUESTION = 0x2010, 0x2024  # MB_TASKMODAL with MB_ICONERROR, or MB_ICONQUESTION | MB_YESNO


def box(message: str, caption: str, style=ERROR, answer="1") -> tuple:
    return (("--control", "65535", "find", "#32770", "", "dump", "press", answer, "gone"),
            {"caption": caption, "text 65535": message, "box style": style,
             "buttons": ["&Yes", "&No"] if style == QUESTION else ["OK"]})


def notice_and_script(session, exe: Path) -> None:
    """Our settings, then `lha`'s archive of a notice and a script in place of our end mark."""
    pack(session, exe, {}, "--window-title", "Packed Title")
    (tree := exe.parent / "lha").mkdir()
    for name, content, method in (("!", NOTICE, "lh7"), ("$", SCRIPT, "lh5")):
        (tree / name).write_text(content, newline="")
        archive = lha(exe.parent / "members.lzh", tree, method, name).read_bytes()
    exe.write_bytes(exe.read_bytes()[:struct.unpack_from("<I", exe.read_bytes(), 512)[0]] + archive)


CASES = {
    "unpackaged_stub": Case([box('"<program>" Bad header', DEFAULT_CAPTION)], 0,
                            make=lambda session, exe: shutil.copyfile(session.stub, exe)),
    "compressed_notice_and_script": Case(  # Yes
        [box(NOTICE[:1023], "Packed Title", QUESTION, "6"),
         (("--control", "100", "find", "#32770", "", "dump", "press", "2", "gone"),
          {"caption": "Scripted Title"})], 0,
        make=notice_and_script),
}

if __name__ == "__main__":
    run_cases(CASES)
