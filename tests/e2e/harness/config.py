"""Where the pieces of an end-to-end run are: the state directory of one flavour, the stub and
the robot of that flavour's build, and the host tool. The build passes them in the
environment."""

import os
from dataclasses import dataclass
from pathlib import Path

from harness.flavour import FLAVOURS, Flavour

# Every wait of the harness is this many times its usual length: 32-bit Wine under emulation
# (README.md) starts each process in about a minute.
TIME_SCALE = int(os.environ.get("OMBRIX_E2E_TIME_SCALE") or 1)


class ConfigError(Exception):
    pass


@dataclass(frozen=True)
class Config:
    flavour: Flavour
    state_dir: Path
    stub: Path
    robot: Path
    tool: Path

    @property
    def prefix(self) -> Path:
        return self.state_dir / "prefix"

    @property
    def prefix_ready_mark(self) -> Path:
        return self.state_dir / "prefix.ready"

    @property
    def session_file(self) -> Path:
        return self.state_dir / "session.json"

    @property
    def log_dir(self) -> Path:
        return self.state_dir / "logs"

    def work_dir(self, name: str) -> Path:
        return self.state_dir / "work" / name


def load_config() -> Config:
    names = {"state_dir": "OMBRIX_E2E_DIR", "stub": "OMBRIX_STUB",
             "robot": "OMBRIX_ROBOT", "tool": "OMBRIX_TOOL"}
    missing = [variable for variable in [*names.values(), "OMBRIX_STUB_FLAVOUR"]
               if not os.environ.get(variable)]
    if missing:
        raise ConfigError("not set: " + ", ".join(missing) + " (run the tests through ctest)")
    flavour = os.environ["OMBRIX_STUB_FLAVOUR"]
    if flavour not in FLAVOURS:
        raise ConfigError(f"OMBRIX_STUB_FLAVOUR={flavour} names no flavour")
    return Config(FLAVOURS[flavour], **{field: Path(os.environ[variable]).resolve()
                                        for field, variable in names.items()})
