"""Where the pieces of an end-to-end run are: the build tree's state directory, the stub and the
robot of the win32 build, and the host tool. The build passes them in the environment."""

import os
from dataclasses import dataclass
from pathlib import Path


class ConfigError(Exception):
    pass


@dataclass(frozen=True)
class Config:
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
    missing = [variable for variable in names.values() if not os.environ.get(variable)]
    if missing:
        raise ConfigError("not set: " + ", ".join(missing) + " (run the tests through ctest)")
    return Config(**{field: Path(os.environ[variable]).resolve()
                     for field, variable in names.items()})
