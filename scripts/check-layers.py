#!/usr/bin/env python3
"""Fails when a source folder includes a folder above it. The folders of src/ depend one way,
from the top down: startup, ui, setup, archive, decode, base, platform."""

import re
import sys
from pathlib import Path

ORDER = ["platform", "base", "decode", "archive", "setup", "ui", "startup"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/', re.MULTILINE)


def main() -> int:
    src = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent.parent / "src")
    wrong = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".rc"):
            continue
        folder = path.relative_to(src).parts[0]
        if folder not in ORDER:
            continue
        for included in INCLUDE.findall(path.read_text(errors="replace")):
            if included in ORDER and ORDER.index(included) > ORDER.index(folder):
                wrong.append(f"{path.relative_to(src)} includes {included}/, which lies above "
                             f"{folder}/")
    print("\n".join(wrong) or f"folders depend one way: {' <- '.join(ORDER)}")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
