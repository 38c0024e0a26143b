"""The main dialog and the directory chooser as a user meets them."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from harness import Case, run_cases, windows_path  # noqa: E402
from ombrix_testing import write_tree  # noqa: E402

TITLE = "Dialog Test"
MAIN = ("--control", "100", "find", "#32770", TITLE)
BOX = ("--control", "65535", "find", "#32770", TITLE)  # the chooser has 65535 too, not the title
CHOOSER = ("--control", "0", "find", "#32770", "Extracting directory")
OPTIONS = ["--window-title", TITLE, "--dir", "<run>\\target"]
LONG_TEXT = "C:\\" + "d" * 297
INVALID = {"caption": TITLE, "text 65535": "Invalid directory", "buttons": ["OK"],
           "box style": 0x2030}  # MB_TASKMODAL | MB_ICONWARNING
WAITING = {"enabled 1": True, "enabled 104": True, "enabled 100": True, "text 102": ""}  # no pass


def long_directory(run: Path) -> str:  # named with 257 characters, more than the box takes
    name = (("d" * 49 + "/") * 6)[:255 - len(windows_path(run))] + "e"
    assert len(windows_path(run / name)) == 257
    return name


CASES = {
    "template_texts_typing_and_close_box": Case([
        (MAIN + ("dump",), WAITING | {
            "caption": TITLE, "text 103": "Install directory(&D):", "text 100": "<run>\\target",
            "text 105": "Start Menu(&S)", "text 106": "Set Class(&A)", "check 105": 0,
            "check 106": 0, "enabled 105": False, "enabled 106": False, "text 101": "",
            "buttons": ["Referance(&B)...", "OK(&O)", "CANCEL(&C)"]}),
        (MAIN + ("type", "100", LONG_TEXT, "dump"), {"text 100": LONG_TEXT[:255]}),
        MAIN + ("close", "gone")], 0, options=OPTIONS),
    "script_texts_and_toggles": Case([
        (MAIN + ("dump",), {
            "text 103": "Install Viewer into(&D):", "text 105": "Create a program group",
            "text 106": "Open .vwr files with Viewer", "check 105": 1, "check 106": 1,
            "enabled 105": True, "enabled 106": True}),
        (MAIN + ("press", "105", "dump"), {"check 105": 0, "enabled 105": True, "check 106": 1}),
        (MAIN + ("press", "105", "press", "106", "dump"),
         {"check 105": 1, "check 106": 0, "enabled 106": True}),
        MAIN + ("press", "2", "gone")], 0,
        options=OPTIONS + ["--install-title", "Install Viewer into(&D):"],
        script="$GroupTitle=Create a program group\r\n$ClassTitle=Open .vwr files with Viewer\r\n"),
    "quoted_directory_while_the_pass_asks": Case([
        MAIN + ("type", "100", '"<run>\\out dir"', "press", "1"),
        (BOX + ("dump",), {"text 65535": '"<run:/>/out dir/readme.txt" Overwrite?',
                           "buttons": ["&Yes", "&No", "Cancel"],
                           "box style": 0x2023}),  # MB_TASKMODAL | MB_ICONQUESTION | MB_YESNOCANCEL
        (MAIN + ("dump",), {
            "enabled 1": False, "enabled 104": False, "enabled 100": False, "enabled 105": False,
            "enabled 106": False, "enabled 2": True, "default 2": True,
            "text 101": ".../readme.txt", "text 102": "Extract... 0%"}),
        BOX + ("press", "6", "gone")], 1,  # Yes
        ["out dir/readme.txt", "out dir/docs/guide.txt"], options=OPTIONS,  # over an older file:
        prepare=lambda _, run: write_tree(run / "out dir", {"readme.txt": b"old"}, 946684800)),
    "unc_directory_refused_at_auto_start_and_on_ok_a_blank_before_accepted": Case([
        (BOX + ("dump", "press", "1", "gone"), INVALID),
        (MAIN + ("dump", "type", "100", '"\\\\server\\share"', "press", "1"), WAITING),
        (BOX + ("dump", "press", "1", "gone"), INVALID | {"owner": TITLE}),
        (MAIN + ("dump",), WAITING | {"text 100": '"\\\\server\\share"'}),
        MAIN + ("type", "100", " \\\\server\\share", "press", "1", "gone")], 1,
        ["current/ /server/share/readme.txt", "current/ /server/share/docs/guide.txt"],
        options=["--window-title", TITLE, "--dir", "\\\\server\\share"], arguments=["-n"]),
    "cancel_during_a_long_member": Case([MAIN + ("press", "1", "press", "2", "gone")], 1,
                                        options=OPTIONS, files={"big.bin": bytes(20 << 20),
                                                                "after.txt": b"after"}),
    "chooser_opens_on_the_current_directory_ok_quotes_a_blank": Case([
        (MAIN + ("press", "104") + CHOOSER + ("dump",),
         {"buttons": ["OK", "CANCEL"], "text 1088": "<run:lower>\\current dir"}),
        (CHOOSER + ("press", "1", "gone") + MAIN + ("dump", "press", "2", "gone"),
         WAITING | {"text 100": '"<run>\\current dir"'})], 0, options=OPTIONS, cwd="current dir"),
    "chooser_refuses_a_long_directory": Case([
        MAIN + ("press", "104") + CHOOSER + ("press", "1"),
        (BOX + ("dump", "press", "1", "gone"), INVALID | {"owner": "Extracting directory"}),
        (CHOOSER + ("press", "2", "gone") + MAIN + ("dump", "press", "2", "gone"),
         WAITING | {"text 100": "<run>\\target"})], 0, options=OPTIONS, cwd=long_directory),
}

if __name__ == "__main__":
    run_cases(CASES)
