"""What an extraction leaves: a tree on a drive, path macros, attributes, overwriting, damage, a
Japanese name; then file classes, groups and the command."""

import random
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from harness import QUIET, WAIT_S, WITNESS, Case, pack, run_cases, windows_path  # noqa: E402
from ombrix_testing import SIGNER, expect, text, throwaway_certificate, write_tree  # noqa: E402

TITLE, PROGRAM = "Extraction Test", "Viewer Program\\witness.exe"
BOX = ("--control", "65535", "find", "#32770", TITLE, "dump", "press")
TIME, OLD, NEW = 1234567891, 946684800, 1900000000  # an odd second, 2000, 2030
TREE = {"Program Files/Read Me First.text": text(random.Random(5), 9000),
        "Program Files/Sub Dir/a.b.c": b"abc", "Program Files/Sub Dir/.profile": b"set",
        "docs/guide.txt": b"A guide.\r\n" * 40, "empty/": b""}
STEPS = {"a.txt": b"a", "c.txt": b"c", "b.txt": text(random.Random(6), 20000)}
ATTRIBUTES = {"ro.txt": b"read-only, archive", "plain.txt": b"archive"}
JAPANESE = "ポート能力/ソフト表.txt"  # in code page 932 trail bytes '|', '[' and '\\'
MACROS = {"%WinDir%/ombrix-e2e.txt": b"windir", "%WORK%/ombrix-e2e.txt": b"temp",
          "D:/ombrix-e2e.txt": b"drive"}
SETUP = {"Viewer Program/witness.exe": WITNESS, "readme.txt": b"Read me."}
WRITTEN = {"target/Viewer Program/witness.exe": "Viewer Program/witness.exe",
           "target/Viewer Program/witness.txt": None, "target/readme.txt": "readme.txt"}
KEY60 = "Ombrix." + "K" * 53
CLASSES = (".oma", "Ombrix.Alpha", ".ombx", "Ombrix.File", ".omby", KEY60, ".ombz", ".ombl",
           "Ombrix.Long", ".ombn", "Ombrix.None")
EXTENSIONS = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Extensions"  # WIN.INI's, as on NT
PROGMANS = {}  # the witness as Program Manager, by run directory


def row(steps: list, written, *lines: str, **fields) -> Case:  # script lines end in the command
    script = "".join(f"{line}\r\n" for line in (*lines, f'$Command="{PROGRAM}" /open "two words"'))
    return Case(steps, 1, written, **{"options": ["--window-title", TITLE], "arguments": [
        "-n", "<run>\\target"]} | ({"script": script, "files": SETUP} if lines else {}) | fields)


def read_only(session, exe: Path) -> None:  # ro.txt read-only: a member with attributes 0x21
    write_tree(exe.parent / "payload", {"ro.txt": b""}).joinpath("ro.txt").chmod(0o444)
    pack(session, exe, ATTRIBUTES, "--window-title", TITLE, "--keep-attributes", "--overwrite")


def attributes_shown(session, run: Path) -> None:
    listing = session.output("cmd", "/c", "attrib", windows_path(run / "target") + "\\*")
    expect("attributes", {line.rsplit("\\", 1)[1]: "".join(line[:11].split())
                          for line in listing.splitlines()}, {"ro.txt": "AR", "plain.txt": "A"})


def listed_and_extracted(session, run: Path) -> None:  # by ombrix, as the stub wrote it
    exe, out = run.parent / "setup.exe", run.parent / "by-ombrix"
    listing = subprocess.run([session.tool, "info", exe], capture_output=True, check=True).stdout
    subprocess.run([session.tool, "extract", "-d", out, exe], **QUIET, check=True)
    expect("listed, extracted by ombrix", (JAPANESE in listing.decode(), (
        out / JAPANESE).read_bytes()), (True, b"Japanese"))


def carried(archive) -> callable:  # archive: (directory) -> an archive made there
    def make(session, exe: Path) -> None:
        made = archive(exe.parent)
        (payload := exe.parent / "payload").mkdir()
        subprocess.run(["lhasa", "x", made], cwd=payload, **QUIET, check=True)
        subprocess.run([session.tool, "pack", "--stub", session.stub, "-o", exe, "--window-title",
                        TITLE, "--from-lzh", made], **QUIET, check=True)
        subprocess.run([session.tool, "test", exe], **QUIET, check=True)
    return make


def level1(directory: Path) -> Path:
    write_tree(directory / "level1", {"guide.txt": b"A guide.\r\n" * 400}, TIME)
    subprocess.run(["lha", "a1q", "../level1.lzh", "guide.txt"], cwd=directory / "level1",
                   **QUIET, check=True)
    return directory / "level1.lzh"


def signed(session, exe: Path) -> None:  # which test and info see before Wine runs it
    cert, key = throwaway_certificate(exe.parent)
    pack(session, exe, STEPS, "--window-title", TITLE, "--sign-cert", cert, "--sign-key", key)
    said = [subprocess.run([session.tool, command, exe], capture_output=True, check=True).stdout
            for command in ("test", "info")]
    expect("test and info name the signer", [SIGNER.encode() in out for out in said], [True] * 2)


def flip_a_bit(session, exe: Path) -> None:  # in the compressed data of the last member
    (script := exe.parent / "setup.txt").write_text(
        f"$ClassTitle=x\r\n$Class=.omc,Crc,{PROGRAM},Ombrix.Crc\r\n$Command={PROGRAM}\r\n")
    data = pack(session, exe, STEPS, "--window-title", TITLE, "--method", "lh7", "--script",
                script).read_bytes()
    # Most flips in a prefix-coded stream break its codes instead; the host tool, which decodes
    # with the same core, finds the first from 1000 bytes before the end that decodes wrongly.
    for offset in range(len(data) - 1000, len(data)):
        exe.write_bytes(data[:offset] + bytes([data[offset] ^ 0x10]) + data[offset + 1:])
        told = subprocess.run([session.tool, "test", exe], capture_output=True).stderr
        if b'"b.txt" CRC ERROR' in told:
            return
    raise AssertionError("no flip of a bit near the end gives a CRC error")


def after_a_failed_pass(session, run: Path) -> None:  # setup actions run, the command does not
    log = (run.parent / "setup.log").read_bytes()
    expect("class, WM_WININICHANGE broadcast, command started", (
        registry(session, ".omc"), bool(re.search(rb"PostMessageA\(0*ffff,0*1a,", log)),
        b"Call shell32.ShellExecuteA(" in log), ({".omc": "Ombrix.Crc"}, True, False))


def landed(session, run: Path) -> list[Path]:  # in the Windows directory and in TEMP
    return [session.prefix / "drive_c/windows/ombrix-e2e.txt",
            *session.prefix.glob("drive_c/users/*/**/Temp/ombrix-e2e.txt")]


def drive_d(session, run: Path) -> None:  # the run's d, where nothing has landed yet
    (run / "d").mkdir()
    (link := session.prefix / "dosdevices/d:").unlink(missing_ok=True)
    link.symlink_to(run / "d")
    for path in landed(session, run):
        path.unlink(missing_ok=True)


def testimony(run: Path, arguments=("/open", "two words")) -> str:  # its short path, once started
    record, end = run / "target/Viewer Program/witness.txt", time.monotonic() + WAIT_S
    while not record.exists():
        assert time.monotonic() < end, "the command was not started"
        time.sleep(0.1)
    lines = record.read_text(encoding="utf-16-le").splitlines()
    expect("directory, arguments", lines[:1] + lines[2:],
           [windows_path(run / "target"), *arguments])
    return lines[1]


def without_parameters(session, run: Path) -> None:  # ShellExecuteA is given NULL, not ""
    testimony(run, [])
    expect("parameters NULL", bool(re.search(rb'ShellExecuteA\([0-9a-f]+,0+,[0-9a-f]+ "[^"]*",0+,',
                                             (run.parent / "setup.log").read_bytes())), True)


def registry(session, *keys: str, root: str = "HKCR") -> dict[str, str]:  # a default by its key
    listing = "".join(session.output("reg", "query", f"{root}\\{key}", "/s") for key in keys)
    return {key + ("" if name == "(Default)" else f"\\{name}"): value
            for key, values in re.findall(r"^HKEY_\w+\\(.+)\n((?: {4}.*\n)*)", listing, re.M)
            for name, value in re.findall(r" {4}(.+?) {4}REG_SZ {4}(.*)", values)}


def forget(*keys: str, root: str = "HKCR"):  # what an earlier run left passes for nothing
    return lambda session, run: [session.output("reg", "delete", f"{root}\\{key}", "/f")
                                 for key in keys]


def registered(keys: tuple, *classes: tuple):  # (extension, key, title[, program not there])
    def step(session, run: Path) -> None:
        short, expected = testimony(run), {}
        for extension, key, title, *missing in classes:  # which has no short path
            path = f"{windows_path(run / 'target')}\\{missing[0]}" if missing else short
            expected |= {extension: key, key: title, f"{key}\\DefaultIcon": f"{path},0",
                         f"{key}\\shell\\open\\command": f'"{path}" "%1"'}
        expect("classes", registry(session, *keys), expected)
    return step


def on_win32s(session, run: Path) -> None:  # Wine writes WIN.INI no sooner than at the end
    expect("WIN.INI", registry(session, EXTENSIONS, root="HKCU"),
           {f"{EXTENSIONS}\\{ext}": f"{testimony(run)} ^.{ext}" for ext in ("w3s", "w3k")})
    expect("classes", registry(session, ".w3s"), {})
    member, written = (run.parent / "payload/readme.txt", run / "target/readme.txt")
    expect("TZ=JST-9", written.stat().st_mtime - member.stat().st_mtime // 2 * 2, 9 * 3600)


def progmans(mode: str, number: int):  # the witnesses, each ending after 2 of what it counts
    def start(session, run: Path) -> None:
        forget(".omn")(session, run)
        PROGMANS[run] = []
        for log in (run.parent / f"progman{i}.log" for i in range(number)):
            PROGMANS[run].append(subprocess.Popen([session.wine, session.witness, mode,
                                                   windows_path(log), "2", str(3000 * WAIT_S)],
                                                  env=session.environment(), **QUIET))
            session.robot("find", "Progman", "")
            while not log.exists():
                time.sleep(0.1)
    return start


def given_up(session, run: Path) -> None:  # an execute unacknowledged after its wait, then no one
    command = b'execute [CreateGroup("Viewer",0)]\n[AddItem(%s,Viewer 1.0)]' % testimony(run).encode()
    expect("exit code", PROGMANS.pop(run)[0].wait(timeout=4 * WAIT_S), 0)
    expect("conversation", (run.parent / "progman0.log").read_bytes().split(b"\0")[:-1],
           [b"initiate", command, b"initiate"])
    # Wine's shell, had it still served, would have made the second group in the Start menu.
    made = list(session.prefix.glob("drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start Menu"
                                    "/Programs/Unanswered"))
    expect("groups made", [shutil.rmtree(path) for path in made], [])


def conversed(session, run: Path) -> None:
    short = testimony(run).encode()
    expect("exit codes", [witness.wait(timeout=4 * WAIT_S) for witness in PROGMANS.pop(run)], [0] * 2)
    logs = sorted(((run.parent / f"progman{i}.log").read_bytes().split(b"\0")[:-1] for i in (0, 1)),
                  key=lambda log: any(record.startswith(b"execute") for record in log))
    # Posted messages keep their order; a sent initiate may overtake those posted before it.
    expect("the other server's conversations", logs[0], [b"initiate", b"terminate"] * 2)
    expect("conversations", (logs[1][0], logs[1].count(b"initiate")), (b"initiate", 2))
    expect("commands", [record for record in logs[1] if record != b"initiate"], [
        b'execute [CreateGroup("Viewer",0)]\n[AddItem(%s,Viewer 1.0)]' % short, b"terminate",
        b'execute [CreateGroup("Tools",0)]\n[AddItem(%s,Witness, (x),%s)]' % (short, short),
        b"terminate"])
    expect("classes", registry(session, ".omn"), {})  # without $ClassTitle= none


CASES = {
    "tree_of_long_names_path_macros_and_a_drive": row(
        [], {f"d/Install Here/{name}": name for name in TREE} | {
            "d/ombrix-e2e.txt": "D:/ombrix-e2e.txt"}, files=TREE | MACROS, mtime=TIME,
        arguments=["-n", "D:\\Install Here"], prepare=drive_d,
        after=lambda session, run: expect("landed", [path.read_bytes() for path in landed(
            session, run)], [b"windir", b"temp"])),
    "attributes_kept_over_a_read_only_file": row(
        [], ["target/ro.txt", "target/plain.txt"], files=ATTRIBUTES, make=read_only,
        after=attributes_shown, prepare=lambda _, run: write_tree(
            run / "target", {"ro.txt": b"old"}, OLD).joinpath("ro.txt").chmod(0o444)),
    "overwrite_newer_skipped_older_asked": row(  # Yes, No, Cancel; the command is not started
        [(BOX + (answer, "gone"), {"text 65535": f'"<run:/>/target/{name}.txt" Overwrite?',
                                   "box style": 0x2023})  # Yes/No/Cancel, task-modal
         for name, answer in (("b", "6"), ("c", "7"), ("d", "2"))],
        {"target/bin/witness.exe": "bin/witness.exe", "target/b.txt": "b.txt"} | {
            f"target/{name}.txt": None for name in "acd"}, script="$Command=bin\\witness.exe\n",
        files={"bin/witness.exe": WITNESS} | {f"{name}.txt": b"new" for name in "abcde"},
        mtime=TIME, prepare=lambda _, run: [write_tree(run / "target", {f"{n}.txt": b"old"},
                                                       OLD if n > "a" else NEW) for n in "abcd"],
        after=lambda session, run: expect("as they were, started", (
            [(run / "target" / f"{name}.txt").read_bytes() for name in "acd"],
            b"Call shell32.ShellExecuteA(" in (run.parent / "setup.log").read_bytes()),
            ([b"old"] * 3, False))),
    "crc_error_in_a_compressed_member": row(
        [(BOX + ("1", "gone"), {"text 65535": '"<run:/>/target/b.txt" CRC ERROR',
                                "box style": 0x2010})],  # error, task-modal
        ["target/a.txt", "target/c.txt"], files=STEPS, make=flip_a_bit, prepare=forget(".omc"),
        after=after_a_failed_pass),
    "signed_by_a_throwaway_certificate": row([], [f"target/{name}" for name in STEPS], files=STEPS,
                                             make=signed),
    "carried_level0_lh1": row([], {"target/gpl-2": "gpl-2"}, make=carried(
        lambda _: Path(__file__).resolve().parents[2] / "data/lzh-corpus/lha_amiga_212/lh1.lzh")),
    "carried_level1_lh5": row([], {"target/guide.txt": "guide.txt"}, make=carried(level1)),
    "shift_jis_name": row([], {f"target/{JAPANESE}": JAPANESE}, files={JAPANESE: b"Japanese"},
                          environment={"LC_ALL": "ja_JP.UTF-8"}, after=listed_and_extracted),
    "file_classes_asked_and_a_quoted_command": row([  # No, then Yes; too long a key or path: none
        (BOX + ("7", "gone"), {"text 65535": '"Alpha file" Set Class?', "buttons": ["&Yes", "&No"],
                               "box style": 0x2024}),  # task-modal, question, Yes and No
        *[(BOX + ("6", "gone"), {"text 65535": f'"{title}" Set Class?'})
          for title in ("Ombrix file", "Sixty", "Not there")],
        registered(CLASSES, (".ombx", "Ombrix.File", "Ombrix file"), (".ombz", KEY60, "Sixty"),
                   (".ombn", "Ombrix.None", "Not there", "bin\\none.exe"))], WRITTEN,
        "$ClassTitle=Register", "$AskRegist=0", f"$Class=.oma,Alpha file,{PROGRAM},Ombrix.Alpha",
        f"$Class=.OMBX,Ombrix file,{PROGRAM},Ombrix.File", f"$Class=.ombz,Sixty,{PROGRAM},{KEY60}",
        f"$Class=.omby,Sixty-one,{PROGRAM},{KEY60}1", f"$Class=.ombl,Long,{'x' * 200},Ombrix.Long",
        "$Class=.ombn,Not there,bin/none.exe,Ombrix.None", prepare=forget(*CLASSES)),
    "command_without_parameters": row([], WRITTEN, script=f'$Command="{PROGRAM}"\r\n',
                                      files=SETUP, after=without_parameters),
    "file_class_on_win32s": row(  # every time TZ hours later
        [], dict.fromkeys(WRITTEN), "$ClassTitle=Register",
        f"$Class=.W3S,Win32s file,{PROGRAM},Ombrix.W3S", f"$Class=.w3k,Key,{PROGRAM},{KEY60}1",
        name="win32s.exe",
        environment={"TZ": "JST-9"}, after=on_win32s, prepare=lambda session, run: (
            forget(".w3s")(session, run), forget(EXTENSIONS, root="HKCU")(session, run))),
    "program_groups_with_the_witness_as_program_manager": row(
        [conversed], WRITTEN, "$GroupTitle=Groups", f"$Group=Viewer,Viewer 1.0,{PROGRAM}",
        f"$Group=Long,Long,{'x' * 200}", f'$Group=Tools,"Witness, (x)",{PROGRAM},{PROGRAM}',
        f"$Class=.omn,Untitled,{PROGRAM},x", prepare=progmans("progman", 2)),
    "program_groups_unanswered": row(
        [given_up], WRITTEN, "$GroupTitle=Groups", f"$Group=Viewer,Viewer 1.0,{PROGRAM}",
        f"$Group=Unanswered,Tools,{PROGRAM}", prepare=progmans("heedless", 1)),
}

if __name__ == "__main__":
    run_cases(CASES)
