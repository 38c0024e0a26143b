"""A scan that fails shows one error box, with the program's own path in quotes and the settings'
window title as caption, and ends the program with exit code 0 once the box is answered: no
dialog opens and no file is written."""

from collections.abc import Callable
from dataclasses import dataclass
from functools import reduce
from operator import xor
from pathlib import Path

from harness.case_runner import Mismatches, main
from harness.config import Config
from harness.distributable import (SETTINGS_OFFSET, Layout, copy_stub, pack, patch_u16,
                                   patch_u32)
from harness.programs import FIND_MESSAGE_BOX, Program, windows_path
from harness.session import Session

DEFAULT_CAPTION = "Ombrix V2.60.w32.0023"
LONGEST_TITLE = "Forty Characters Fill This Title Exactly"
SAMPLE_FILES = {"readme.txt": b"Read me first.\r\n", "docs/guide.txt": b"A guide.\r\n" * 40}


@dataclass(frozen=True)
class ErrorBox:
    make: Callable[[Config, Path], None]  # writes the program under test to the path
    message: str
    caption: str = DEFAULT_CAPTION


def title_options(title: str) -> list[str]:
    return [] if title == DEFAULT_CAPTION else ["--window-title", title]


def offset_past_end(title: str) -> Callable[[Config, Path], None]:
    def make(config: Config, exe: Path) -> None:
        pack(config, exe, SAMPLE_FILES, *title_options(title))
        patch_u32(exe, SETTINGS_OFFSET, exe.stat().st_size + 1)
    return make


def damaged_header_crc(title: str) -> Callable[[Config, Path], None]:
    def make(config: Config, exe: Path) -> None:
        pack(config, exe, SAMPLE_FILES, *title_options(title))
        layout = Layout(exe.read_bytes())
        member = layout.members[0]
        assert member.header_crc_at >= 0, "the packed header has no header CRC"
        stored = layout.u16(member.header_crc_at)
        assert stored == layout.computed_header_crc(member), \
            "the packed header's CRC is not right even before the damage"
        patch_u16(exe, member.header_crc_at, stored ^ 0x0100)
    return make


def mismatched_check_value(title: str) -> Callable[[Config, Path], None]:
    def make(config: Config, exe: Path) -> None:
        pack(config, exe, SAMPLE_FILES, "--check-value", *title_options(title))
        layout = Layout(exe.read_bytes())
        right = reduce(xor, (member.data_crc for member in layout.members), 0)
        assert layout.has_check_value and len(layout.members) == len(SAMPLE_FILES) and \
            layout.check_value == right, "the packed check value is not right to begin with"
        patch_u16(exe, layout.archive_offset, right ^ 0x0001)
    return make


CASES = {
    "unpackaged_stub": ErrorBox(copy_stub, "Bad header"),
    "archive_offset_past_end": ErrorBox(offset_past_end(DEFAULT_CAPTION), "Unexpeted EOF"),
    "damaged_header_crc": ErrorBox(damaged_header_crc("Damaged Header"), "Bad header",
                                   "Damaged Header"),
    "mismatched_check_value": ErrorBox(mismatched_check_value("Check Value"), "Tampered DATA",
                                       "Check Value"),
    "longest_window_title": ErrorBox(offset_past_end(LONGEST_TITLE), "Unexpeted EOF",
                                     LONGEST_TITLE),
}


def run(case: ErrorBox, session: Session, work: Path) -> None:
    exe = work / "setup.exe"
    case.make(session.config, exe)
    current_dir = work / "current"
    current_dir.mkdir()
    with Program(session, exe, [], cwd=current_dir) as program:
        box = program.robot(*FIND_MESSAGE_BOX, "dump", "press", "OK", "gone")
        exit_code = program.wait()

    mismatches = Mismatches()
    mismatches.expect("caption", box.caption, case.caption)
    mismatches.expect("message", box.message(), f'"{windows_path(exe)}" {case.message}')
    mismatches.expect("icon", box.icon(), "error")
    mismatches.expect("exit code", exit_code, 0)
    mismatches.expect("files written", list(current_dir.iterdir()), [])
    mismatches.report()


if __name__ == "__main__":
    main({name: lambda session, work, case=case: run(case, session, work)
          for name, case in CASES.items()})
