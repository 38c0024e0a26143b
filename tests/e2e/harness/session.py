"""The environment that every end-to-end test of one flavour shares: a virtual X display, a Wine
prefix of the flavour's architecture kept in the build tree, and a persistent wineserver.
Started once before the tests and stopped after them; the tests find it through the session
file."""

import json
import os
import select
import shutil
import signal
import subprocess
import time
from dataclasses import dataclass
from pathlib import Path

from harness.config import TIME_SCALE, Config

PREFIX_CREATION_LIMIT_S = 240 * TIME_SCALE
DISPLAY_START_LIMIT_S = 30
SERVER_STOP_LIMIT_S = 30

REQUIRED_COMMANDS = ("wineserver", "Xvfb")


class SessionError(Exception):
    pass


@dataclass(frozen=True)
class Session:
    config: Config
    display: str

    def environment(self) -> dict[str, str]:
        return wine_environment(self.config, self.display)


def wine_environment(config: Config, display: str) -> dict[str, str]:
    environment = dict(os.environ)
    # A fixed language keeps the box buttons and Wine's own texts the same on every machine.
    environment.pop("LANGUAGE", None)
    environment.update({
        "DISPLAY": display,
        "WINEPREFIX": str(config.prefix),
        "WINEARCH": config.flavour.wine_arch,
        "WINEDEBUG": "-all",
        # Without these a new prefix asks, in a window, to install Mono and Gecko.
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "LC_ALL": "C.UTF-8",
    })
    return environment


def load_session(config: Config) -> Session:
    try:
        state = json.loads(config.session_file.read_text())
    except FileNotFoundError:
        raise SessionError(f"no session in {config.state_dir}: the e2e.session.start test "
                           "sets it up (ctest runs it first)") from None
    return Session(config, state["display"])


def start_session(config: Config) -> Session:
    check_prerequisites(config)
    if config.session_file.exists():
        stop_session(config)
    config.log_dir.mkdir(parents=True, exist_ok=True)
    display, xvfb_pid = start_display(config)
    config.session_file.write_text(json.dumps({"display": display, "xvfbPid": xvfb_pid}))
    session = Session(config, display)
    try:
        start_wine(session)
    except BaseException:
        stop_session(config)
        raise
    return session


def start_wine(session: Session) -> None:
    config = session.config
    # A prefix whose creation was cut short is made again rather than trusted.
    if not config.prefix_ready_mark.exists():
        shutil.rmtree(config.prefix, ignore_errors=True)
    config.prefix.mkdir(parents=True, exist_ok=True)
    run_logged(config, ["wineserver", "-p"], session.environment(), "wineserver", 30)
    # Creates the prefix the first time; later it only starts Wine's own services, so that the
    # first test does not pay for them.
    run_logged(config, [config.flavour.wine, "wineboot", "-i"], session.environment(),
               "wineboot", PREFIX_CREATION_LIMIT_S)
    config.prefix_ready_mark.touch()


def stop_session(config: Config) -> None:
    try:
        state = json.loads(config.session_file.read_text())
    except FileNotFoundError:
        return
    environment = wine_environment(config, state["display"])
    if config.prefix.exists():
        # -k ends every Wine process of the prefix and the server; -w waits until it has gone,
        # so that the next run does not meet a server that is still shutting down.
        for option in ("-k", "-w"):
            subprocess.run(["wineserver", option], env=environment, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=SERVER_STOP_LIMIT_S, check=False)
    stop_display(state["xvfbPid"])
    config.session_file.unlink()


def check_prerequisites(config: Config) -> None:
    missing = [command for command in (config.flavour.wine, *REQUIRED_COMMANDS)
               if shutil.which(command) is None]
    if missing:
        raise SessionError("missing commands: " + ", ".join(missing) +
                           " (scripts/install-deps.sh installs them)")
    build_windows = f"build the {config.flavour.preset} preset"
    for built, how in ((config.stub, build_windows), (config.robot, build_windows),
                       (config.tool, "build the host tool")):
        if not built.exists():
            raise SessionError(f"{built} does not exist: {how} first")


def start_display(config: Config) -> tuple[str, int]:
    """Starts Xvfb on the first free display number, which it reports through a pipe."""
    read_end, write_end = os.pipe()
    with open(config.log_dir / "xvfb.log", "wb") as log:
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
            start_new_session=True)
    os.close(write_end)
    try:
        number = read_line(read_end, DISPLAY_START_LIMIT_S)
    finally:
        os.close(read_end)
    if not number.isdigit():
        xvfb.kill()
        raise SessionError(f"Xvfb did not start; see {config.log_dir / 'xvfb.log'}")
    return ":" + number, xvfb.pid


def read_line(fd: int, limit_s: float) -> str:
    """Reads up to a line feed; the writer fails if the pipe closes before its last byte."""
    deadline = time.monotonic() + limit_s
    text = b""
    while not text.endswith(b"\n"):
        ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.monotonic()))
        chunk = os.read(fd, 64) if ready else b""
        if not chunk:
            break
        text += chunk
    return text.decode().strip()


def stop_display(pid: int) -> None:
    # The number may have been reused since a crashed run wrote it.
    try:
        if b"Xvfb" not in Path(f"/proc/{pid}/cmdline").read_bytes():
            return
        os.kill(pid, signal.SIGTERM)
    except (FileNotFoundError, ProcessLookupError):
        return
    deadline = time.monotonic() + 10
    while is_running(pid) and time.monotonic() < deadline:
        time.sleep(0.05)
    if is_running(pid):
        os.kill(pid, signal.SIGKILL)


def is_running(pid: int) -> bool:
    """False once the process has ended, even while it waits, a zombie, for a parent to reap it."""
    try:
        state = Path(f"/proc/{pid}/stat").read_text().rpartition(")")[2].split()[0]
    except (FileNotFoundError, IndexError):
        return False
    return state not in ("Z", "X")


def run_logged(config: Config, command: list[str], environment: dict[str, str], name: str,
               limit_s: float) -> None:
    log_path = config.log_dir / f"{name}.log"
    with open(log_path, "wb") as log:
        try:
            result = subprocess.run(command, env=environment, stdin=subprocess.DEVNULL,
                                    stdout=log, stderr=log, timeout=limit_s, check=False)
        except subprocess.TimeoutExpired:
            raise SessionError(f"{name} took longer than {limit_s} s; see {log_path}") from None
    if result.returncode != 0:
        raise SessionError(f"{name} failed with {result.returncode}; see {log_path}")
