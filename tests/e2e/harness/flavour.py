"""The two builds an end-to-end run can drive, and which of them this host runs. The i686 stub is
the product and needs 32-bit Wine; a host that runs no i386 programs cannot start that, and
there the x86-64 build of the same sources stands in on 64-bit Wine. Where both can run, both
do, so that the stand-in never rots. OMBRIX_E2E_FLAVOUR=i686 or x86-64 forces one."""

import os
import subprocess
import sys
from dataclasses import dataclass

FORCE_VARIABLE = "OMBRIX_E2E_FLAVOUR"
# What ctest counts as skipped rather than failed (the build sets SKIP_RETURN_CODE to it).
SKIPPED_EXIT_CODE = 77
# The i386 dynamic loader runs only where the kernel runs i386 programs and 32-bit libc is in.
I386_PROBE = ["/lib/ld-linux.so.2", "--version"]


class FlavourError(Exception):
    pass


@dataclass(frozen=True)
class Flavour:
    name: str
    preset: str  # the CMake preset, and build/<preset> the tree, that builds its programs
    wine: str  # the loader that starts its programs, wineboot included
    wine_arch: str
    description: str


FLAVOURS = {flavour.name: flavour for flavour in (
    Flavour("i686", "win32", "wine", "win32", "the i686 stub on 32-bit Wine"),
    # Debian's `wine` starts the 32-bit loader whenever wine32 is installed, so the 64-bit one
    # is named itself.
    Flavour("x86-64", "win64", "/usr/lib/wine/wine64", "win64",
            "the x86-64 build on 64-bit Wine"),
)}


@dataclass(frozen=True)
class Choice:
    flavour: Flavour
    runs: bool
    reason: str

    def __str__(self) -> str:
        return f"{self.flavour.name} {'runs' if self.runs else 'not run'} " \
               f"({self.flavour.description}): {self.reason}"


def i386_refusal() -> str:
    """Why this host runs no i386 program, or "" when it runs them."""
    try:
        result = subprocess.run(I386_PROBE, stdin=subprocess.DEVNULL, capture_output=True,
                                timeout=30, check=False)
    except OSError as error:
        return f"{' '.join(I386_PROBE)}: {error.strerror}"
    except subprocess.TimeoutExpired:
        return f"{' '.join(I386_PROBE)} did not answer"
    if result.returncode != 0:
        return f"{' '.join(I386_PROBE)} ended with exit code {result.returncode}"
    return ""


def choose(flavour: Flavour) -> Choice:
    """Whether a run drives this flavour, and why."""
    forced = os.environ.get(FORCE_VARIABLE, "")
    if forced:
        if forced not in FLAVOURS:
            raise FlavourError(f"{FORCE_VARIABLE}={forced} names no flavour: use one of "
                               + ", ".join(FLAVOURS))
        return Choice(flavour, flavour.name == forced, f"{FORCE_VARIABLE}={forced}")
    refusal = i386_refusal()
    if flavour.name == "i686":
        return Choice(flavour, not refusal, f"this host runs no i386 programs ({refusal})"
                      if refusal else "this host runs i386 programs")
    return Choice(flavour, True, f"it stands in for the i686 stub: this host runs no i386 "
                  f"programs ({refusal})" if refusal else
                  "run beside the i686 stub so that it stays sound")


def chosen() -> list[Choice]:
    """Every flavour's choice, the one a single run should take first."""
    return sorted((choose(flavour) for flavour in FLAVOURS.values()), key=lambda c: not c.runs)


def skip_unless_chosen(flavour: Flavour, what: str) -> Choice:
    """Ends the process as skipped, saying why, when this run leaves the flavour out."""
    choice = choose(flavour)
    if not choice.runs:
        print(f"SKIP {what}: {choice}")
        sys.exit(SKIPPED_EXIT_CODE)
    return choice
