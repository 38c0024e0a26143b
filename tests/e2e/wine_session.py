"""Starts or stops the shared end-to-end environment of a build tree: `wine_session.py start`
before the tests, `wine_session.py stop` after them."""

import sys

from harness.config import ConfigError, load_config
from harness.session import SessionError, start_session, stop_session


def main() -> None:
    if sys.argv[1:] not in (["start"], ["stop"]):
        sys.exit(f"usage: {sys.argv[0]} start|stop")
    try:
        config = load_config()
        if sys.argv[1] == "start":
            session = start_session(config)
            print(f"Wine session on display {session.display}, prefix {config.prefix}")
        else:
            stop_session(config)
    except (ConfigError, SessionError) as error:
        sys.exit(f"wine session: {error}")


if __name__ == "__main__":
    main()
