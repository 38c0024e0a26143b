"""Windows programs under Wine: the program under test, started like a user would start it, and
the robot that watches it."""

import subprocess
import tempfile
import time
from pathlib import Path

from harness.config import TIME_SCALE
from harness.robot_report import WindowReport, parse_report
from harness.session import Session

# Generous, because two tests may start Wine processes at the same moment on two cores; a
# passing test never waits this long.
WINDOW_LIMIT_S = 20 * TIME_SCALE
EXIT_LIMIT_S = 20 * TIME_SCALE
# How long the robot may still need, once the program has ended, to notice that its window is
# gone; a robot still waiting after that waits for a window that will never come.
ROBOT_GRACE_S = 5 * TIME_SCALE
ROBOT_START_LIMIT_S = 30 * TIME_SCALE
POLL_S = 0.05


# Robot arguments that find a message box: a dialog with the text control 0xFFFF, which tells
# it from a dialog of the program with the same caption.
FIND_MESSAGE_BOX = ("--control", "65535", "find", "#32770", "")


class ProgramError(AssertionError):
    pass


def windows_path(path: Path) -> str:
    """The path under which Wine shows a Unix file: drive Z: is the root."""
    return "Z:" + str(path.resolve()).replace("/", "\\")


class Program:
    """A program under test, run with the flavour's wine so that its exit code is wine's."""

    def __init__(self, session: Session, exe: Path, arguments: list[str], cwd: Path):
        self.session = session
        self.exe = exe.resolve()
        with open(self.exe.with_suffix(".log"), "wb") as log:
            self.process = subprocess.Popen(
                [session.config.flavour.wine, str(self.exe), *arguments], cwd=cwd,
                env=session.environment(), stdin=subprocess.DEVNULL, stdout=log, stderr=log)

    def __enter__(self) -> "Program":
        return self

    def __exit__(self, *failure) -> None:
        # A program left behind by a failed test would stay on the display for the next one.
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def robot(self, *actions: str, limit_s: float = WINDOW_LIMIT_S) -> WindowReport:
        """Runs the robot on this program's windows; every wait ends after limit_s, and the
        robot is stopped when the program has ended while it still waits."""
        return run_robot(self.session, self.exe, list(actions), limit_s, self.process)

    def wait(self, limit_s: float = EXIT_LIMIT_S) -> int:
        try:
            return self.process.wait(timeout=limit_s)
        except subprocess.TimeoutExpired:
            shown = describe_open_windows(self.session, self.exe)
            raise ProgramError(f"{self.exe.name} did not end within {limit_s} s; "
                               f"on screen: {shown}") from None


def run_robot(session: Session, exe: Path, actions: list[str], limit_s: float,
              program: subprocess.Popen | None = None) -> WindowReport:
    command = [session.config.flavour.wine, str(session.config.robot), "--exe", windows_path(exe),
               "--timeout", str(int(limit_s * 1000)), *actions]
    # Files rather than pipes: the robot's output is read only once it has ended.
    with tempfile.TemporaryFile() as output, tempfile.TemporaryFile() as problems:
        robot = subprocess.Popen(command, env=session.environment(), stdin=subprocess.DEVNULL,
                                 stdout=output, stderr=problems)
        try:
            watch_robot(robot, actions, limit_s * len(actions) + ROBOT_START_LIMIT_S, program)
        finally:
            if robot.poll() is None:
                robot.kill()
                robot.wait()
        output.seek(0)
        problems.seek(0)
        seen = output.read().decode("utf-8", "replace")
        if robot.returncode != 0:
            reasons = [line for line in problems.read().decode("utf-8", "replace").splitlines()
                       if line.startswith("robot:")]
            raise ProgramError(f"robot exit {robot.returncode} on {' '.join(actions)}: "
                               f"{' '.join(reasons)}\n{seen}")
    return parse_report(seen)


def watch_robot(robot: subprocess.Popen, actions: list[str], limit_s: float,
                program: subprocess.Popen | None) -> None:
    deadline = time.monotonic() + limit_s
    program_ended_at = None
    while robot.poll() is None:
        now = time.monotonic()
        if program is not None and program.poll() is not None:
            program_ended_at = program_ended_at or now
            if now - program_ended_at > ROBOT_GRACE_S:
                raise ProgramError(f"the program ended with exit code {program.returncode} "
                                   f"while the robot waited on {' '.join(actions)}")
        if now > deadline:
            raise ProgramError(f"the robot hung on {' '.join(actions)}")
        time.sleep(POLL_S)


def describe_open_windows(session: Session, exe: Path) -> str:
    try:
        report = run_robot(session, exe, ["find", "", "", "dump"], limit_s=2)
    except ProgramError:
        return "no window"
    return f"window {report.caption!r} showing {report.texts()!r}"
