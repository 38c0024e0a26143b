"""Starts or stops the shared end-to-end environment of one flavour, which the build passes in
the environment: `wine_session.py start` before its tests, `wine_session.py stop` after them.
`wine_session.py flavours` says which flavours this host runs and why; `wine_session.py flavour`
prints, for scripts, the name, preset, Wine loader and WINEARCH of the one a single run takes,
and on a second line why."""

import sys

from harness.config import ConfigError, load_config
from harness.flavour import FlavourError, chosen, skip_unless_chosen
from harness.session import SessionError, start_session, stop_session

COMMANDS = ("start", "stop", "flavours", "flavour")


def main() -> None:
    if len(sys.argv) != 2 or sys.argv[1] not in COMMANDS:
        sys.exit(f"usage: {sys.argv[0]} {'|'.join(COMMANDS)}")
    command = sys.argv[1]
    try:
        if command == "flavours":
            print("\n".join(f"e2e flavour {choice}" for choice in chosen()))
        elif command == "flavour":
            choice = chosen()[0]
            flavour = choice.flavour
            print(flavour.name, flavour.preset, flavour.wine, flavour.wine_arch)
            print(choice)
        elif command == "start":
            config = load_config()
            choice = skip_unless_chosen(config.flavour, "e2e session")
            session = start_session(config)
            print(f"e2e flavour {choice}\nWine session on display {session.display}, "
                  f"prefix {config.prefix}")
        else:
            stop_session(load_config())
    except (ConfigError, FlavourError, SessionError) as error:
        sys.exit(f"wine session: {error}")


if __name__ == "__main__":
    main()
