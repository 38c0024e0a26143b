"""The stub's image as DOS, the Windows loader, the dialog manager and packaging see it, read by a
PE reader of our own; the image writer on a fixture and damaged copies of it (image.cmake)."""

import os
import shutil
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
from ombrix_testing import expect, main, need, run  # noqa: E402

SETTINGS, SETTINGS_SIZE, JAPANESE = 512, 603, 1041
STYLES = {name: int(value, 16) for name, value in (pair.split("=") for pair in """
    POPUP=80000000 CHILD=40000000 VISIBLE=10000000 DISABLED=8000000 CAPTION=C00000 BORDER=800000
    VSCROLL=200000 SYSMENU=80000 GROUP=20000 TABSTOP=10000 DS_SETFONT=40 DS_MODALFRAME=80 SS_LEFT=0
    SS_LEFTNOWORDWRAP=C SS_NOPREFIX=80 ES_LEFT=0 ES_AUTOHSCROLL=80 ES_OEMCONVERT=400 BS_PUSHBUTTON=0
    BS_DEFPUSHBUTTON=1 BS_CHECKBOX=2 BS_AUTOCHECKBOX=3 LBS_NOTIFY=1 LBS_SORT=2 LBS_OWNERDRAWFIXED=10
    LBS_HASSTRINGS=40 LBS_DISABLENOSCROLL=1000 CBS_DROPDOWNLIST=3 CBS_OWNERDRAWFIXED=10
    CBS_AUTOHSCROLL=40 CBS_SORT=100 CBS_HASSTRINGS=200""".split())}
SHOWN, HIDDEN = "CHILD VISIBLE ", "CHILD DISABLED "
EDIT = "BORDER TABSTOP ES_LEFT ES_AUTOHSCROLL ES_OEMCONVERT"
LIST = "BORDER VSCROLL LBS_NOTIFY LBS_SORT LBS_OWNERDRAWFIXED LBS_HASSTRINGS LBS_DISABLENOSCROLL"
MAIN_DIALOG = [  # id, class, text, style, x, y, cx, cy, in template order
    (103, "STATIC", "Install directory(&D):", SHOWN + "GROUP SS_LEFT", 10, 7, 157, 8),
    (100, "EDIT", "", SHOWN + EDIT, 10, 18, 135, 12),
    (104, "BUTTON", "Referance(&B)...", SHOWN + "TABSTOP BS_PUSHBUTTON", 148, 17, 48, 14),
    (101, "STATIC", "", SHOWN + "GROUP SS_LEFTNOWORDWRAP", 12, 60, 130, 8),
    (102, "STATIC", "", SHOWN + "GROUP SS_LEFTNOWORDWRAP", 148, 60, 45, 8),
    (1, "BUTTON", "OK(&O)", SHOWN + "TABSTOP BS_DEFPUSHBUTTON", 49, 72, 40, 14),
    (2, "BUTTON", "CANCEL(&C)", SHOWN + "TABSTOP BS_PUSHBUTTON", 114, 72, 40, 14),
    (105, "BUTTON", "Start Menu(&S)", SHOWN + "TABSTOP BS_CHECKBOX", 12, 32, 176, 12),
    (106, "BUTTON", "Set Class(&A)", SHOWN + "TABSTOP BS_CHECKBOX", 12, 44, 176, 12)]
CHOOSER = [
    (0xFFFF, "STATIC", "Directory(&D):", SHOWN + "GROUP SS_LEFT", 10, 11, 92, 9),
    (1088, "STATIC", "", SHOWN + "GROUP SS_LEFT SS_NOPREFIX", 10, 22, 92, 9),
    (1121, "LISTBOX", "", SHOWN + "TABSTOP " + LIST, 10, 34, 92, 68),
    (1091, "STATIC", "Drive(&V):", SHOWN + "GROUP SS_LEFT", 10, 106, 92, 9),
    (1137, "COMBOBOX", "", SHOWN + "BORDER VSCROLL TABSTOP CBS_DROPDOWNLIST CBS_OWNERDRAWFIXED "
     "CBS_AUTOHSCROLL CBS_SORT CBS_HASSTRINGS", 10, 116, 92, 68),
    (1, "BUTTON", "OK", SHOWN + "GROUP TABSTOP BS_DEFPUSHBUTTON", 115, 12, 50, 14),
    (2, "BUTTON", "CANCEL", SHOWN + "GROUP TABSTOP BS_PUSHBUTTON", 115, 30, 50, 14),
    (1038, "BUTTON", "HELP(&H)", SHOWN + "GROUP TABSTOP BS_PUSHBUTTON", 115, 55, 50, 14),
    (1090, "STATIC", "Filename(&N):", HIDDEN + "GROUP SS_LEFT", -269, 8, 76, 9),
    (1152, "EDIT", "", HIDDEN + EDIT, -271, 20, 90, 12),
    (1120, "LISTBOX", "", HIDDEN + LIST, -269, 37, 90, 68),
    (1089, "STATIC", "File type(&T):", HIDDEN + "GROUP SS_LEFT", -269, 109, 90, 9),
    (1136, "COMBOBOX", "", HIDDEN + "BORDER VSCROLL CBS_DROPDOWNLIST CBS_AUTOHSCROLL",
     -268, 121, 90, 36),
    (1040, "BUTTON", "Overwrite(&R)", HIDDEN + "GROUP BS_AUTOCHECKBOX", -263, 139, 63, 12)]
FRAME = "POPUP CAPTION SYSMENU DS_MODALFRAME"
DIALOGS = {"SFXDIALOG": (True, {"style": FRAME + " DS_SETFONT", "exstyle": 1, "caption": "Install",
                                "box": (32, 32, 205, 95), "font": (9, 0, 0, 1, "ＭＳ Ｐゴシック")},
                         MAIN_DIALOG),
           "GETDIRDIALOG": (False, {"style": FRAME, "exstyle": 0, "box": (24, 24, 175, 140),
                                    "caption": ""}, CHOOSER)}
CLASSES = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC", 0x83: "LISTBOX", 0x85: "COMBOBOX"}


def style(names: str) -> str:
    return hex(sum(STYLES[name] for name in names.split()))


def align(value: int, unit: int) -> int:
    return -(-value // unit) * unit


class Image:
    def __init__(self, data: bytes):
        self.data, self.pe = data, struct.unpack_from("<I", data, 0x3C)[0]
        assert data[:2] == b"MZ" and data[self.pe:self.pe + 4] == b"PE\0\0", "no MZ and PE image"
        self.machine, count, _, self.symbols, _, size = self.at("HHIIIH", self.pe + 4)
        o = self.pe + 24
        self.magic, self.section_alignment, self.file_alignment = self.at("H30xII", o)
        self.version, self.image_size, self.headers_size, self.checksum, self.subsystem = (
            self.at("HH", o + 48), *self.at("IIIH", o + 56))
        d = o + (112 if self.magic == 0x20B else 96)
        self.directories = [self.at("II", d + 8 * i) for i in range(self.at("I", d - 4)[0])]
        self.headers_end = o + size + 40 * count
        # name, size in memory, address, size in the file, place in the file
        self.sections = [self.at("8sIIII", o + size + 40 * i) for i in range(count)]

    def at(self, form: str, offset: int) -> tuple:
        return struct.unpack_from("<" + form, self.data, offset)

    def offset(self, rva: int, size: int = 1) -> int:
        for name, _, address, raw_size, raw in self.sections:
            if address <= rva and rva + size <= address + raw_size:
                return raw + rva - address
        raise AssertionError(f"RVA {rva:#x}+{size} lies in no section's file data")

    def text(self, rva: int) -> str:
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode()

    def resources(self) -> dict[tuple, bytes]:
        """Every resource by (type, name, language), names upper-case as stored."""
        root, found = self.offset(self.directories[2][0]), {}

        def walk(at: int, path: tuple):
            for i in range(sum(self.at("HH", root + at + 12))):
                key, child = self.at("II", root + at + 16 + 8 * i)
                if key & 1 << 31:
                    name = root + (key & ~(1 << 31))
                    key = self.data[name + 2:][:2 * self.at("H", name)[0]].decode("utf-16le")
                if child & 1 << 31:
                    walk(child & ~(1 << 31), path + (key,))
                else:
                    rva, size = self.at("II", root + child)
                    found[path + (key,)] = self.data[self.offset(rva, size):][:size]
        walk(0, ())
        return found


def stub() -> Image:
    return Image(Path(os.environ["OMBRIX_STUB"]).read_bytes())


def stub_layout(work: Path) -> None:
    image = stub()
    last, pages, relocs, header, least, most, ss, sp, _, ip, cs, table = image.at("12H", 2)
    dos_end = (pages - 1) * 512 + (last or 512)
    expect("e_cparhdr (the load module at 512), e_crlc, e_lfarlc in the header, e_cs:e_ip",
           (header, relocs, 0x40 <= table <= 512, 512 + cs * 16 + ip),
           (32, 0, True, SETTINGS + SETTINGS_SIZE))
    expect("DOS program between the settings and the PE headers",
           SETTINGS + SETTINGS_SIZE < dos_end <= image.pe and last < 512, True)
    load_end, stack = align(dos_end - 512, 16), ss * 16 + sp
    expect("DOS stack clear of the program, inside what DOS allocates",
           load_end + 128 <= stack <= load_end + least * 16 and most >= least, True)
    expect("bytes set in the settings range",
           SETTINGS_SIZE - image.data[SETTINGS:SETTINGS + SETTINGS_SIZE].count(0), 0)
    expect("section data behind each directory", all(  # offset() fails where there is none
        image.offset(rva, size) for rva, size in image.directories if rva), True)
    expect("certificate table; i386, PE32, Windows 4.0 GUI", (image.directories[4], image.machine,
           image.magic, image.version, image.subsystem), ((0, 0), 0x14C, 0x10B, (4, 0), 2))
    expect("PE headers on 8 bytes, within SizeOfHeaders, which is aligned", (
        image.pe % 8, image.headers_end <= image.headers_size,
        image.headers_size % image.file_alignment), (0, True, 0))
    memory_end = file_end = image.headers_size
    for name, size, address, raw_size, raw in image.sections:
        expect(f"{name} aligned, after the one before", (address % image.section_alignment,
               address >= memory_end, raw % image.file_alignment, raw_size %
               image.file_alignment, raw >= file_end or not raw_size), (0, True, 0, 0, True))
        memory_end = address + align(max(size, 1), image.section_alignment)
        file_end = raw + raw_size if raw_size else file_end
    # Packaging appends the archive to the file, so nothing of the image may follow.
    expect("SizeOfImage, file size", (image.image_size, len(image.data)), (memory_end, file_end))
    imports, rva = [], image.directories[1][0]
    while name := image.at("I", image.offset(rva, 20) + 12)[0]:
        imports, rva = imports + [image.text(name).upper()], rva + 20
    # Every 32-bit Windows has these, Win32s included: CRTDLL rather than MSVCRT.
    expect("KERNEL32.DLL, and imports beyond those", ("KERNEL32.DLL" in imports, sorted(set(
        imports) - {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "COMDLG32.DLL", "ADVAPI32.DLL",
                    "SHELL32.DLL", "CRTDLL.DLL"})), (True, []))


def sz_or_ord(data: bytes, at: int) -> tuple[object, int]:
    """A template's menu, class or text: an ordinal after 0xFFFF, or zero-ended UTF-16."""
    if data[at:at + 2] == b"\xff\xff":
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = next(i for i in range(at, len(data), 2) if data[i:i + 2] == b"\0\0")
    return data[at:end].decode("utf-16le"), end + 2


def template(data: bytes) -> tuple[dict, list[tuple]]:
    """The fields of an extended or a classic dialog template, and of its controls."""
    extended = data[:4] == b"\1\0\xff\xff"
    if extended:
        help_id, exstyle, window_style, count, *box = struct.unpack_from("<IIIHhhhh", data, 4)
    else:
        window_style, exstyle, count, *box = struct.unpack_from("<IIHhhhh", data)
        help_id = 0
    header = {"extended": extended, "help": help_id, "style": hex(window_style),
              "exstyle": exstyle, "box": tuple(box)}
    at = 26 if extended else 18
    for key in ("menu", "class", "caption"):
        header[key], at = sz_or_ord(data, at)
    if window_style & STYLES["DS_SETFONT"]:
        font = struct.unpack_from("<HHBB" if extended else "<H", data, at)
        face, at = sz_or_ord(data, at + (6 if extended else 2))
        header["font"] = (*font, face)
    controls = []
    for _ in range(count):
        at = align(at, 4)
        if extended:
            help_id, exstyle, item_style, *box, item = struct.unpack_from("<IIIhhhhI", data, at)
        else:
            item_style, exstyle, *box, item = struct.unpack_from("<IIhhhhH", data, at)
        kind, at = sz_or_ord(data, at + (24 if extended else 18))
        text, at = sz_or_ord(data, at)
        extra = struct.unpack_from("<H", data, at)[0]
        controls.append((item, CLASSES.get(kind, kind), text, hex(item_style), *box, help_id,
                         exstyle, extra))
        at += 2 + extra
    return header, controls


def stub_resources(work: Path) -> None:
    image = stub()
    found = image.resources()
    expect("dialogs", sorted(key[1:] for key in found if key[0] == 5),  # RT_DIALOG
           [("GETDIRDIALOG", JAPANESE), ("SFXDIALOG", JAPANESE)])
    for name, (extended, expected, table) in DIALOGS.items():
        header, controls = template(found.get((5, name, JAPANESE), bytes(32)))
        expect(f"{name}", header, dict(expected, extended=extended, help=0, menu="", style=style(
            expected["style"]), **{"class": ""}))
        expect(f"{name} controls", len(controls), len(table))
        for control, (i, kind, text, names, *box) in zip(controls, table):
            expect(f"{name} control {i}: id, class, text, style, x, y, cx, cy, help id, extended "
                   "style, creation data", control, (i, kind, text, style(names), *box, 0, 0, 0))
    group = found.get((14, "IDI_ICON1", JAPANESE), bytes(6))  # RT_GROUP_ICON, then RT_ICON
    expect("IDI_ICON1 images: width, height, colours; bitmap width, height with mask, bits",
           sorted(struct.unpack_from("<BBB", group, 6 + 14 * i) + struct.unpack_from(
               "<ii2xH", found.get((3, *struct.unpack_from("<H", group, 18 + 14 * i), JAPANESE),
                                  bytes(16)), 4)
               for i in range(group[4])), [(16, 16, 16, 16, 32, 4), (32, 32, 16, 32, 64, 4)])
    base, _, count, _, names, ordinals = image.at("6I", image.offset(image.directories[0][0]) + 16)
    expect("exports", {image.text(image.at("I", image.offset(names) + 4 * i)[0]):
                       base + image.at("H", image.offset(ordinals) + 2 * i)[0]
                       for i in range(count)}, {"GetDirDlgHookProc": 1})


def dos_text(text: str) -> bytes:
    """A message as the DOS console takes it: CR LF line ends, the last line ended, cp932."""
    text = text.replace("\r\n", "\n")
    return (text + "\n" * (not text.endswith("\n"))).replace("\n", "\r\n").encode("cp932")


def dos_program(work: Path) -> None:
    """Started under DOS, the stub prints its message and ends with exit code 1."""
    need("dosbox")
    shutil.copyfile(os.environ["OMBRIX_STUB"], work / "SFX.EXE")  # an 8.3 name for DOS
    # Redirection truncates its file even when the IF is false, so each level gets its own file.
    run("env", "HOME=.", "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "timeout", "30",
        "dosbox", "-noconsole", "-c", "mount c .", "-c", "c:", "-c", "SFX.EXE > OUT.TXT", "-c",
        "if errorlevel 1 echo 1 > LEVEL1.TXT", "-c", "if errorlevel 2 echo 2 > LEVEL2.TXT",
        "-c", "exit", cwd=work)
    message = Path(os.environ["OMBRIX_DOS_MESSAGE"]).read_text()
    expect("printed", (work / "OUT.TXT").read_bytes(), dos_text(message))
    expect("exit code 1", [(work / f"LEVEL{n}.TXT").read_text()[:1] for n in (1, 2)], ["1", ""])


def rewrite(work: Path, image: bytes, message: str | None = None) -> tuple[int, bytes, str]:
    """The image writer's exit code, image and complaint; the message is the stub's if not given."""
    (work / "image.exe").write_bytes(image)
    (work / "message.txt").write_text(message or Path(os.environ["OMBRIX_DOS_MESSAGE"]).read_text())
    result = run(os.environ["OMBRIX_IMAGEWRITER"], work / "image.exe", work / "message.txt",
                 check=False)
    return result.returncode, (work / "image.exe").read_bytes(), result.stderr.decode()


def image_writer(work: Path) -> None:
    fixture = Image(Path(os.environ["OMBRIX_PE_FIXTURE"]).read_bytes())
    debug = fixture.directories[6]
    assert fixture.symbols and debug[0], "the fixture lost its symbol table or its build id"
    code, data, said = rewrite(work, fixture.data)
    moved = Image(data)
    assert code == 0 and moved.headers_size != fixture.headers_size, f"nothing moved: {said}"
    dos_end = (moved.at("H", 4)[0] - 1) * 512 + (moved.at("H", 2)[0] or 512)
    # The stub, whose DOS program runs under DOSBox, was written with the same message.
    expect("DOS part", (data[:0x3C], data[0x40:dos_end]),
           (stub().data[:0x3C], stub().data[0x40:dos_end]))
    expect("DOS text", dos_text("a\nb\r\n書庫") + b"$" in rewrite(work, data, "a\nb\r\n書庫")[1], True)
    expect("PE headers, SizeOfHeaders, checksum", (moved.pe, moved.headers_size, moved.checksum),
           (align(dos_end, 8), align(moved.headers_end, fixture.file_alignment), 0))
    entries = (fixture.offset(*debug), moved.offset(*debug))
    restored = bytearray(data)  # all the same but the debug entry's file offset
    restored[entries[1] + 24:entries[1] + 28] = fixture.data[entries[0] + 24:entries[0] + 28]
    for before, after in zip(fixture.sections, moved.sections, strict=True):
        expect(f"{before[0]} address and bytes", (after[2], restored[after[4]:][:after[3]]),
               (before[2], fixture.data[before[4]:][:before[3]]))
    expect("symbol and string tables", data[moved.symbols:], fixture.data[fixture.symbols:])
    build_ids = [image.data[image.at("I", at + 24)[0]:][:image.at("I", at + 16)[0]]
                 for image, at in zip((fixture, moved), entries)]
    expect("build id, moved along", (build_ids[0][:4], build_ids[1]), (b"RSDS", build_ids[0]))
    expect("a second rewrite", rewrite(work, data)[1], data)
    pe, size = fixture.pe, len(fixture.data)
    first, directory = fixture.headers_end - 40 * len(fixture.sections), pe + 24 + 96
    for expected, message, pokes in [  # what the writer names, and how the fixture is damaged
            ("no MZ signature", "", [(0, "B", ord("X"))]),
            ("truncated", "", [(0x3C, "I", size - 2)]),
            ("neither an i386 PE32", "", [(pe + 4, "H", 0x8664)]),
            ("neither an i386 PE32", "", [(pe + 24, "H", 0x20B)]),
            ("signed", "", [(directory + 32, "I", size - 8), (directory + 36, "I", 8)]),
            ("past the end of the file", "", [(first + 16, "I", size)]),
            ("inside the headers", "", [(directory + 8, "I", 64)]),
            ("unknown data", "", [(fixture.headers_end + 1, "B", 0xCC)]),
            ("overlap", "", [(first + 12, "I", fixture.headers_size)]),
            ("debug directory size", "", [(directory + 52, "I", 27)]),
            ("cannot be written", "\U0001F600", []),  # no code page 932 form
            ("'$'", "US$", [])]:  # it would end the DOS text early
        damaged = bytearray(fixture.data)
        for offset, form, value in pokes:
            struct.pack_into("<" + form, damaged, offset, value)
        code, _, said = rewrite(work, bytes(damaged), message)
        expect(f"{expected!r} refused and named", (code, expected in said), (1, True))


if __name__ == "__main__":
    main({case.__name__: case for case in (stub_layout, stub_resources, dos_program, image_writer)})
