"""Runs one named case of a case file as one ctest test: `CASEFILE NAME`, or `CASEFILE --list`
for the names that the build registers."""

import shutil
import sys
import traceback
from collections.abc import Callable
from pathlib import Path

from harness.config import ConfigError, load_config
from harness.flavour import FlavourError, skip_unless_chosen
from harness.session import Session, SessionError, load_session

Case = Callable[[Session, Path], None]


class MismatchError(AssertionError):
    """Differences that speak for themselves, without a traceback."""


class Mismatches:
    """Collects every difference of one run, so that a failure shows all of them at once."""

    def __init__(self):
        self.found: list[str] = []

    def expect(self, what: str, actual, expected) -> None:
        if actual != expected:
            self.found.append(f"{what}: got {actual!r}, expected {expected!r}")

    def report(self) -> None:
        if self.found:
            raise MismatchError("\n".join(self.found))


def main(cases: dict[str, Case]) -> None:
    suite = Path(sys.argv[0]).stem
    if sys.argv[1:] == ["--list"]:
        print(";".join(cases))
        return
    if len(sys.argv) != 2 or sys.argv[1] not in cases:
        sys.exit(f"usage: {sys.argv[0]} --list | {' | '.join(cases)}")
    name = sys.argv[1]
    try:
        config = load_config()
        skip_unless_chosen(config.flavour, f"{suite}.{name}")
        session = load_session(config)
    except (ConfigError, FlavourError, SessionError) as error:
        sys.exit(f"{suite}.{name}: {error}")
    work = config.work_dir(f"{suite}.{name}")
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    try:
        cases[name](session, work)
    except AssertionError as failure:
        print(f"FAIL {suite}.{name}\n{failure}", file=sys.stderr)
        if not isinstance(failure, MismatchError):
            traceback.print_tb(failure.__traceback__, file=sys.stderr)
        sys.exit(1)
    print(f"PASS {suite}.{name}")
