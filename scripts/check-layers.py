#!/usr/bin/env python3
"""Fails when a source folder includes a folder above it. The folders of src/ depend one way,
from the top down: startup, ui, setup, archive, decode, base, platform. The host programs in
tools/ stand on the archive floor and below: they never include the stub's start-up or its
windows."""

import re
import sys
from pathlib import Path

ORDER = ["platform", "base", "decode", "archive", "setup", "ui", "startup"]
STUB_ONLY = ["startup", "ui"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/', re.MULTILINE)


def includes(folder: Path):
    for path in sorted(folder.rglob("*")):
        if path.suffix in (".h", ".cpp", ".rc"):
            yield path, INCLUDE.findall(path.read_text(errors="replace"))


def main() -> int:
    root = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent.parent)
    wrong = []
    for path, included in includes(root / "src"):
        folder = path.relative_to(root / "src").parts[0]
        above = ORDER[ORDER.index(folder) + 1:] if folder in ORDER else []
        wrong += [f"{path.relative_to(root)} includes {name}/, which lies above {folder}/"
                  for name in included if name in above]
    for path, included in includes(root / "tools"):
        wrong += [f"{path.relative_to(root)} includes {name}/, which only the stub may use"
                  for name in included if name in STUB_ONLY]
    print("\n".join(wrong) or f"folders depend one way: {' <- '.join(ORDER)}; tools/ stand below "
          f"{' and '.join(STUB_ONLY)}")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
