"""The stub under Wine on a virtual display, driven and watched by the robot (README.md). `start` or
`stop` sets up or takes down the session of the build's flavour; `flavours` says which run and why;
`flavour`, for scripts, the name, preset, Wine loader, WINEARCH of the one a run takes, and why."""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
from collections.abc import Callable
from dataclasses import dataclass, field
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
from ombrix_testing import FOUND, Skipped, expect, main, run, tree_files, write_tree  # noqa: E402

QUIET = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
# Every wait is this many times its usual length: 32-bit Wine under emulation (README.md).
TIME_SCALE = int(os.environ.get("OMBRIX_E2E_TIME_SCALE") or 1)
WAIT_S = 20 * TIME_SCALE  # two tests may start Wine at the same moment on two cores
FLAVOURS = {  # name: CMake preset, Wine loader, WINEARCH, what runs
    "i686": ("win32", "wine", "win32", "the i686 stub on 32-bit Wine"),  # wine32's loader
    "x86-64": ("win64", "/usr/lib/wine/wine64", "win64", "the x86-64 build on 64-bit Wine")}
WINE_SETTINGS = [  # a key of the user's Software\Wine, name, value
    ("X11 Driver", "Managed", "N"),  # Wine's own captions; a window's end waits for no manager
    ("Fonts\\Replacements", "ＭＳ Ｐゴシック", "IPAPGothic"),  # the dialog's Japanese font
    # A program's log shows the style of each message box and each program started.
    ("Debug", "RelayInclude", "user32.MessageBoxA;user32.PostMessageA;shell32.ShellExecuteA"),
    ("DllOverrides", "progman.exe", ""),  # Wine's Program Manager, whose window outlives a case
    ("AppDefaults\\win32s.exe", "Version", "win31")]  # a program so named sees Win32s


def choose(flavour: str) -> tuple[bool, str]:
    """Whether a run drives the flavour, and why (the x86-64 build runs everywhere; README.md)."""
    if forced := os.environ.get("OMBRIX_E2E_FLAVOUR"):
        if forced not in FLAVOURS:
            sys.exit(f"OMBRIX_E2E_FLAVOUR={forced} names no flavour: use {' or '.join(FLAVOURS)}")
        runs, why = flavour == forced, f"OMBRIX_E2E_FLAVOUR={forced}"
    else:  # the i386 loader runs where the kernel runs i386 programs and 32-bit libc is in
        i386 = not subprocess.run("/lib/ld-linux.so.2 --version", shell=True, **QUIET).returncode
        runs, why = i386 or flavour != "i686", f"this host runs {'' if i386 else 'no '}i386 code"
    return runs, f"{flavour} {'runs' if runs else 'not run'} ({FLAVOURS[flavour][3]}): {why}"


def windows_path(path: Path) -> str:
    return "Z:" + str(path.resolve()).replace("/", "\\")  # Wine's drive Z: is the root


class Session:
    """A flavour's display, Wine prefix and wineserver, which all of its cases share."""

    def __init__(self):
        self.flavour, self.state, self.stub, self.robot_exe, self.tool = (  # set by ctest
            os.environ["OMBRIX_STUB_FLAVOUR"], *(Path(os.environ[f"OMBRIX_{name}"]).resolve()
                                                 for name in ("E2E_DIR", "STUB", "ROBOT", "TOOL")))
        self.wine, self.prefix, self.file, self.witness = FLAVOURS[self.flavour][1], self.state / \
            "prefix", self.state / "session.json", self.robot_exe.with_name("witness.exe")
        self.display = json.loads(self.file.read_text())["display"] if self.file.exists() else ""
        if not (chosen := choose(self.flavour))[0]:
            raise Skipped(chosen[1])

    def environment(self, debug: str = "-all") -> dict[str, str]:
        return {name: value for name, value in os.environ.items() if name != "LANGUAGE"} | {
            "DISPLAY": self.display, "WINEPREFIX": str(self.prefix), "WINEDEBUG": debug,
            "WINEARCH": FLAVOURS[self.flavour][2], "LC_ALL": "C.UTF-8",  # the same texts anywhere
            "LOCPATH": str(self.state / "locales"),  # with C.UTF-8 built in, and Japanese (start)
            "WINEDLLOVERRIDES": "mscoree,mshtml="}  # else a new prefix offers Mono and Gecko

    def run(self, *command, limit_s: float = 60) -> None:
        with open(self.state / "session.log", "ab") as log:
            if subprocess.run(command, env=self.environment(), stdin=subprocess.DEVNULL, stdout=log,
                              stderr=log, timeout=limit_s * TIME_SCALE).returncode:
                raise AssertionError(f"{' '.join(map(str, command))} failed; see {log.name}")

    def output(self, *command) -> str:  # what a Wine program prints, whatever its exit code
        return subprocess.run([self.wine, *map(str, command)], env=self.environment(),
                              capture_output=True, text=True).stdout

    def start(self) -> None:
        self.stop()
        (self.state / "locales").mkdir(parents=True, exist_ok=True)
        read, write = os.pipe()  # Xvfb writes there the number of the display it takes
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp", "-noreset"], pass_fds=(write,),
                                start_new_session=True, **QUIET)
        os.close(write)  # then the pipe is closed without a number when Xvfb fails
        self.display = ":" + os.fdopen(read).readline().strip()
        self.file.write_text(json.dumps({"display": self.display, "xvfb": xvfb.pid}))
        try:
            assert self.display[1:].isdigit(), "Xvfb did not start: run scripts/install-deps.sh"
            if not (self.state / "prefix.ready").exists():  # a prefix cut short is made again
                shutil.rmtree(self.prefix, ignore_errors=True)
            self.prefix.mkdir(exist_ok=True)
            self.run("wineserver", "-p")
            self.run(self.wine, "wineboot", "-i", limit_s=240)
            (self.state / "settings.reg").write_text("Windows Registry Editor Version 5.00\n" +
                "".join(f'\n[HKEY_CURRENT_USER\\Software\\Wine\\{key}]\n"{name}"="{value}"\n'
                        for key, name, value in WINE_SETTINGS), "utf-16")
            self.run(self.wine, "regedit", "/S", self.state / "settings.reg")
            for option in ("-k", "-w", "-p"):  # the services start again with the settings
                self.run("wineserver", option)
            self.run(self.wine, "wineboot")  # the services, writing to the session's log
            # LC_ALL=ja_JP.UTF-8 gives code page 932, and UTF-8 file names where it exists.
            if not (locale := self.state / "locales/ja_JP.UTF-8").exists():
                self.run("localedef", "-i", "ja_JP", "-f", "UTF-8", locale)
            # Debian's Wine finds the font of the caption's buttons only in the prefix.
            if (marlett := Path("/usr/share/wine/fonts/marlett.ttf")).exists():
                shutil.copy(marlett, self.prefix / "drive_c/windows/Fonts")
            (self.state / "prefix.ready").touch()
            print(f"e2e flavour {choose(self.flavour)[1]}, display {self.display}")
        except BaseException:
            self.stop()
            raise

    def robot(self, *actions: str, check: bool = True) -> list[dict]:
        """The windows that the robot found; every wait ends after WAIT_S."""
        # A file, not a pipe: a Wine service that the robot happens to start keeps it open.
        with tempfile.TemporaryFile() as output:
            code = subprocess.run([self.wine, self.robot_exe, "--timeout", str(WAIT_S * 1000),
                                   *actions], env=self.environment(), **QUIET | {"stdout": output},
                                  timeout=WAIT_S * len(actions) + 60).returncode
            output.seek(0)
            report = output.read().decode("utf-8", "replace")
        if check and code:
            raise AssertionError(f"robot exit {code} on {' '.join(actions)}:\n{report}")
        return parse(report)

    def stop(self) -> None:
        if not self.file.exists():
            return
        for option in ("-k", "-w") if self.prefix.exists() else ():  # every Wine process ends
            subprocess.run(["wineserver", option], env=self.environment(), timeout=30, **QUIET)
        pid = json.loads(self.file.read_text())["xvfb"]
        if (command := Path(f"/proc/{pid}/cmdline")).exists() and b"Xvfb" in command.read_bytes():
            os.kill(pid, signal.SIGTERM)  # unless the number has been reused since a crash
        self.file.unlink()


def parse(report: str) -> list[dict]:
    """Of each window the robot found, the facts a case may expect: "caption", "owner" (its
    caption), "buttons" (the visible push buttons' texts), and per control "text ID", "enabled
    ID", "check ID", "default ID" (drawn as the default)."""
    windows = []
    for tag, _, rest in (line.partition(" ") for line in report.splitlines()):
        rest = re.sub(r"\\(.)", lambda c: {"n": "\n", "r": "\r", "t": "\t"}.get(c[1], c[1]), rest)
        if tag == "window":
            windows.append({"buttons": []})
        elif tag in ("caption", "owner"):
            windows[-1][tag] = rest
        elif tag == "item":
            id, kind, style, check, text = (rest.split(" ", 4) + [""])[:5]
            style, button = int(style), kind == "Button"
            windows[-1] |= {f"text {id}": text, f"enabled {id}": not style & 0x08000000,  # DISABLED
                            f"check {id}": int(check)} | (  # BS_DEFPUSHBUTTON, then WS_VISIBLE
                {f"default {id}": style & 0xF == 1} if button else {})
            windows[-1]["buttons"] += [text] * (button and style & 0x10000000 and style & 0xF <= 1)
    return windows


WITNESS = b"(the witness program)"  # stands for its bytes among the files of a case


@dataclass
class Case:
    """A program that `ombrix pack` (or `make`) makes, run in the run directory, and its steps:
    functions (session, run directory), or robot actions with the facts expected of the last window
    found and "box style" of the last message box. In texts "<run>" is the run directory as Windows
    names it ("<run:lower>" in lower case, "<run:/>" with '/'), "<program>" the program."""
    steps: list
    exit_code: int
    # The files and empty directories ('/' at the end) left in the run directory, or a dict of
    # them to the members whose bytes and time they hold (where the stub changes the name).
    written: list[str] | dict[str, str | None] = field(default_factory=list)
    make: Callable | None = None  # (session, program path)
    options: list[str] = field(default_factory=list)
    script: str = ""
    files: dict[str, bytes] = field(default_factory=lambda: {
        "readme.txt": b"Read me first.\r\n", "docs/guide.txt": b"A guide.\r\n" * 40})
    mtime: int | None = None  # of the files packed
    arguments: list[str] = field(default_factory=list)
    cwd: str | Callable = "current"  # or a function (run directory) -> the current directory
    prepare: Callable = lambda session, run: None  # before the program starts
    after: Callable = lambda session, run: None  # once the program has ended
    name: str = "setup.exe"
    environment: dict[str, str] = field(default_factory=dict)


def pack(session: Session, exe: Path, files: dict[str, bytes], *options: str,
         mtime: int | None = None) -> Path:
    payload = write_tree(exe.parent / "payload", {
        name: session.witness.read_bytes() if data is WITNESS else data
        for name, data in files.items()}, mtime)
    tops = [payload / top for top in dict.fromkeys(n.split("/")[0] for n in files)]  # in order
    run(session.tool, "pack", "--stub", session.stub, "-o", exe, *options, "--base", payload, *tops)
    return exe


def run_case(case: Case, session: Session, work: Path) -> None:
    shutil.rmtree(work, ignore_errors=True)
    run, exe = work / "run", work / case.name
    (cwd := run / (case.cwd(run) if callable(case.cwd) else case.cwd)).mkdir(parents=True)
    places = {"<run>": windows_path(run), "<run:/>": f"Z:{run}", "<program>": windows_path(exe),
              "<run:lower>": windows_path(run).lower()}
    fill = lambda text: re.sub(r"<run(?::/|:lower)?>|<program>", lambda m: places[m[0]],
                               text) if isinstance(text, str) else text
    if case.make:
        case.make(session, exe)
    else:
        (work / "setup.txt").write_text(case.script, newline="")
        pack(session, exe, case.files, *map(fill, case.options),
             *(["--script", work / "setup.txt"] if case.script else []), mtime=case.mtime)
    case.prepare(session, run)
    with open(work / "setup.log", "wb") as log:  # Wine traces each MessageBoxA call there
        program = subprocess.Popen([session.wine, exe, *map(fill, case.arguments)], cwd=cwd,
                                   stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                   env=session.environment("-all,+relay") | case.environment)
    try:
        for step in case.steps:
            if callable(step):
                step(session, run)
                continue
            actions, expected = (step, {}) if isinstance(step[0], str) else step
            windows = session.robot(*map(fill, actions))
            styles = re.findall(rb"Call user32\.MessageBoxA\(.*,([0-9a-f]{8})\) ret=",
                                (work / "setup.log").read_bytes())  # before its box showed
            facts = windows[-1] | {"box style": int(styles[-1], 16) if styles else None}
            for what, value in expected.items():
                expect(what, facts.get(what, "absent"), fill(value))
        expect("exit code", program.wait(timeout=3 * WAIT_S), case.exit_code)
        case.after(session, run)
    except subprocess.TimeoutExpired:
        shown = session.robot("--timeout", "2000", "find", "", "", "dump", check=False)
        raise AssertionError(f"{exe.name} did not end; on screen {shown}; {FOUND}") from None
    finally:
        if program.poll() is None:  # it would stay on the display for the next case
            program.kill()
            program.wait()
    expected = case.written if isinstance(case.written, dict) else {name: next(
        (f for f in case.files if name.endswith("/" + f)), None) for name in case.written}
    written = [name for name in tree_files(run) if not name.endswith("/") or (
        name in expected and not any((run / name).iterdir()))]
    expect("files written", written, sorted(expected))
    for name in set(written) & set(expected):  # to the 2-second grain of DOS times
        if (member := expected[name]) and not name.endswith("/"):
            out, source = run / name, work / "payload" / member
            expect(f"{name} holds its member, time", (out.read_bytes() == source.read_bytes(
                ), out.stat().st_mtime), (True, source.stat().st_mtime // 2 * 2))


def run_cases(cases: dict[str, Case]) -> None:
    def prepare(name: str) -> tuple:
        return (session := Session()), session.state / "work" / f"{Path(sys.argv[0]).stem}.{name}"
    main({name: lambda session, work, case=case: run_case(case, session, work)
          for name, case in cases.items()}, prepare)


if __name__ == "__main__":
    if sys.argv[1:] == ["flavours"]:
        print("\n".join(f"e2e flavour {choose(flavour)[1]}" for flavour in FLAVOURS))
    elif sys.argv[1:] == ["flavour"]:
        flavour = min(FLAVOURS, key=lambda f: not choose(f)[0])
        print(flavour, *FLAVOURS[flavour][:3], end=f"\n{choose(flavour)[1]}\n")
    elif sys.argv[1:] in (["start"], ["stop"]):
        main({"start": Session.start, "stop": Session.stop}, lambda name: (Session(),))
    else:
        sys.exit(__doc__)
