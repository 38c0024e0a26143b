"""The shipped stub decodes -lh5- and -lh7- members that `lha` compressed: the notice it shows and
the script whose window title the later boxes carry are only right when every bit of the stream
was read as the encoder wrote it."""

import random
from dataclasses import dataclass
from pathlib import Path

from harness.case_runner import Mismatches, main
from harness.peer_archive import PeerMember, pack_peer_archive
from harness.programs import FIND_MESSAGE_BOX, Program, windows_path
from harness.session import Session

NOTICE_LIMIT = 1023  # the notice sink keeps this much text before its terminator
PROGRAM_PATH = "<program>"
YES_NO = ["&Yes", "&No"]
WORDS = ("archive", "member", "window", "install", "folder", "program", "licence", "terms",
         "use", "copy", "any", "the", "of", "and", "to", "for", "without", "warranty", "files",
         "setup", "reader", "agree", "question", "answer", "machine", "version", "notice",
         "display", "written", "permission", "system", "data", "right", "holder", "author")


def prose(size: int, seed: int) -> str:
    """Numbered CRLF lines of varied words: literals and matches of many lengths and distances,
    unlike a repeated line that a handful of codes would cover."""
    generator = random.Random(seed)
    lines: list[str] = []
    while sum(len(line) + 2 for line in lines) < size:
        words = " ".join(generator.choice(WORDS) for _ in range(generator.randint(5, 12)))
        lines.append(f"{len(lines) + 1:03d} {words.capitalize()}.")
    return "\r\n".join(lines) + "\r\n"


LONG_NOTICE = prose(3000, seed=1)
SHORT_NOTICE = prose(600, seed=2)
SCRIPT = prose(1500, seed=3) + "$WindowTitle=Scripted Title\r\n" + prose(200, seed=4)


@dataclass(frozen=True)
class Box:
    text: str  # PROGRAM_PATH stands for the program's Windows path
    caption: str
    icon: str
    buttons: list[str]
    answer: str


@dataclass(frozen=True)
class CompressedCase:
    members: list[PeerMember]
    options: list[str]
    boxes: list[Box]  # every box the program shows, in order, and how each is answered
    check_value_damage: int = 0


CASES = {
    "compressed_notice_declined": CompressedCase(
        [PeerMember("!", LONG_NOTICE.encode(), "lh5")],
        ["--window-title", "Long Notice"],
        [Box(LONG_NOTICE[:NOTICE_LIMIT], "Long Notice", "question", YES_NO, "no")]),
    "compressed_script_sets_caption": CompressedCase(
        [PeerMember("!", SHORT_NOTICE.encode(), "lh7"), PeerMember("$", SCRIPT.encode(), "lh5")],
        ["--window-title", "Packed Title", "--check-value"],
        [Box(SHORT_NOTICE, "Packed Title", "question", YES_NO, "yes"),
         Box(f'"{PROGRAM_PATH}" Tampered DATA', "Scripted Title", "error", ["OK"], "OK")],
        check_value_damage=0x0001),
}


def run(case: CompressedCase, session: Session, work: Path) -> None:
    exe = work / "setup.exe"
    pack_peer_archive(session.config, exe, case.members, *case.options,
                      check_value_damage=case.check_value_damage)
    current_dir = work / "current"
    current_dir.mkdir()
    mismatches = Mismatches()
    with Program(session, exe, [], cwd=current_dir) as program:
        for number, expected in enumerate(case.boxes, 1):
            box = program.robot(*FIND_MESSAGE_BOX, "dump", "press", expected.answer, "gone")
            mismatches.expect(f"box {number} caption", box.caption, expected.caption)
            mismatches.expect(f"box {number} text", box.message(),
                              expected.text.replace(PROGRAM_PATH, windows_path(exe)))
            mismatches.expect(f"box {number} icon", box.icon(), expected.icon)
            mismatches.expect(f"box {number} buttons", box.buttons(), expected.buttons)
        # A window after the last box keeps the program from ending, and the wait fails.
        mismatches.expect("exit code", program.wait(), 0)
    mismatches.expect("files written", list(current_dir.iterdir()), [])
    mismatches.report()


if __name__ == "__main__":
    main({name: lambda session, work, case=case: run(case, session, work)
          for name, case in CASES.items()})
