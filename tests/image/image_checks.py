"""The stub's image as DOS, the Windows loader and packaging see it, read by a PE reader of our own;
the image writer on a fixture and damaged copies of it (image.cmake)."""

import os
import shutil
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
from ombrix_testing import expect, main, need, run  # noqa: E402

SETTINGS, SETTINGS_SIZE, JAPANESE, EXTENDED = 512, 603, 1041, b"\1\0\xff\xff"


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
    # The DOS header, program and stack are dos_program's to run and image_writer's to compare.
    expect("bytes set in the settings range",
           SETTINGS_SIZE - image.data[SETTINGS:SETTINGS + SETTINGS_SIZE].count(0), 0)
    expect("section data behind each directory", all(  # offset() fails where there is none
        image.offset(rva, size) for rva, size in image.directories if rva), True)
    expect("certificate table; i386, PE32, Windows 4.0 GUI", (image.directories[4], image.machine,
           image.magic, image.version, image.subsystem), ((0, 0), 0x14C, 0x10B, (4, 0), 2))
    # The loader refuses sections out of alignment or order: every end-to-end case would fail.
    memory_end = max(address + align(max(size, 1), image.section_alignment)
                     for _, size, address, _, _ in image.sections)
    file_end = max(raw + raw_size for *_, raw_size, raw in image.sections)
    # Packaging appends the archive to the file, so nothing of the image may follow.
    expect("SizeOfImage, file size", (image.image_size, len(image.data)), (memory_end, file_end))
    imports, rva = [], image.directories[1][0]
    while name := image.at("I", image.offset(rva, 20) + 12)[0]:
        imports, rva = imports + [image.text(name).upper()], rva + 20
    # Every 32-bit Windows has these, Win32s included: CRTDLL rather than MSVCRT.
    expect("KERNEL32.DLL, and imports beyond those", ("KERNEL32.DLL" in imports, sorted(set(
        imports) - {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "COMDLG32.DLL", "ADVAPI32.DLL",
                    "SHELL32.DLL", "CRTDLL.DLL"})), (True, []))


def stub_resources(work: Path) -> None:
    """What a build of the resources could get wrong; the controls' texts, ids and states are
    the end-to-end dialog cases'."""
    found = (image := stub()).resources()
    dialogs = {key[1:]: data for key, data in found.items() if key[0] == 5}  # RT_DIALOG
    expect("dialogs", sorted(dialogs), [("GETDIRDIALOG", JAPANESE), ("SFXDIALOG", JAPANESE)])
    chooser, main_dialog = [dialogs.get((n, JAPANESE), b"") for n in ("GETDIRDIALOG", "SFXDIALOG")]
    # The main dialog names its font's charset, which only an extended template holds; the
    # chooser's template is a classic one, as the old-style common dialog takes it.
    font = struct.pack("<HHBB", 9, 0, 0, 1) + "ＭＳ Ｐゴシック\0".encode("utf-16le")
    expect("main extended with its font, chooser classic", (
        main_dialog[:4], font in main_dialog, chooser[:4] == EXTENDED), (EXTENDED, True, False))
    base, _, count, _, names, ordinals = image.at("6I", image.offset(image.directories[0][0]) + 16)
    expect("exports", {image.text(image.at("I", image.offset(names) + 4 * i)[0]):
                       base + image.at("H", image.offset(ordinals) + 2 * i)[0]
                       for i in range(count)}, {"GetDirDlgHookProc": 1})


def dos_program(work: Path) -> None:
    need("dosbox")
    shutil.copyfile(os.environ["OMBRIX_STUB"], work / "SFX.EXE")  # an 8.3 name for DOS
    # Redirection truncates its file even when the IF is false, so each level gets its own file.
    run("env", "HOME=.", "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "timeout", "30",
        "dosbox", "-noconsole", "-c", "mount c .", "-c", "c:", "-c", "SFX.EXE > OUT.TXT", "-c",
        "if errorlevel 1 echo 1 > LEVEL1.TXT", "-c", "if errorlevel 2 echo 2 > LEVEL2.TXT",
        "-c", "exit", cwd=work)
    # The message as the DOS console takes it: CR LF line ends, the last line ended, cp932.
    text = Path(os.environ["OMBRIX_DOS_MESSAGE"]).read_text().replace("\r\n", "\n")
    expect("printed", (work / "OUT.TXT").read_bytes(),
           (text + "\n" * (not text.endswith("\n"))).replace("\n", "\r\n").encode("cp932"))
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
            ("signed", "", [(directory + 32, "I", size - 8), (directory + 36, "I", 8)]),
            ("past the end of the file", "", [(first + 16, "I", size)]),
            ("overlap", "", [(first + 12, "I", fixture.headers_size)]),
            ("cannot be written", "\U0001F600", [])]:  # no code page 932 form
        damaged = bytearray(fixture.data)
        for offset, form, value in pokes:
            struct.pack_into("<" + form, damaged, offset, value)
        code, _, said = rewrite(work, bytes(damaged), message)
        expect(f"{expected!r} refused and named", (code, expected in said), (1, True))


if __name__ == "__main__":
    main({case.__name__: case for case in (stub_layout, stub_resources, dos_program, image_writer)})
