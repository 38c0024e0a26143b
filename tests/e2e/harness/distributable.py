"""Making distributables for a test with the host tool, and finding and damaging the parts of
one that the stub must check: the archive offset, a member's header CRC and the check value."""

import shutil
import struct
import subprocess
from dataclasses import dataclass
from pathlib import Path

from harness.config import Config

SETTINGS_OFFSET = 512
FLAGS_OFFSET = SETTINGS_OFFSET + 601
FLAG_CHECK_VALUE = 0x04
HEADER_CRC_TYPE = 0x00
FIRST_EXT_SIZE_OFFSET = 24
PACKED_SIZE_OFFSET = 7
DATA_CRC_OFFSET = 21


def copy_stub(config: Config, target: Path) -> Path:
    shutil.copyfile(config.stub, target)
    return target


def pack(config: Config, target: Path, files: dict[str, bytes], *options: str) -> Path:
    """Packs files (relative name to contents) with the given `ombrix pack` options."""
    payload = target.parent / (target.stem + ".payload")
    shutil.rmtree(payload, ignore_errors=True)
    for name, contents in files.items():
        (payload / name).parent.mkdir(parents=True, exist_ok=True)
        (payload / name).write_bytes(contents)
    command = [str(config.tool), "pack", "--stub", str(config.stub), "-o", str(target),
               *options, "--base", str(payload), *(str(payload / name) for name in files)]
    result = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, check=False)
    if result.returncode != 0:
        raise AssertionError(f"ombrix pack failed: {result.stderr.decode(errors='replace')}")
    return target


def crc16(data: bytes) -> int:
    """CRC-16/ARC, bit by bit: an oracle independent of the table-driven one under test."""
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


@dataclass(frozen=True)
class Member:
    offset: int
    header_size: int
    packed_size: int
    data_crc: int
    header_crc_at: int  # file offset of the two stored header CRC bytes, or -1


class Layout:
    """The settings block and the member headers of a distributable's bytes."""

    def __init__(self, data: bytes):
        self.data = data
        self.archive_offset = self.u32(SETTINGS_OFFSET)
        self.has_check_value = bool(data[FLAGS_OFFSET] & FLAG_CHECK_VALUE)
        first = self.archive_offset + (2 if self.has_check_value else 0)
        self.members = list(self.walk_members(first))

    def u16(self, offset: int) -> int:
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset: int) -> int:
        return struct.unpack_from("<I", self.data, offset)[0]

    @property
    def check_value(self) -> int:
        return self.u16(self.archive_offset)

    def walk_members(self, offset: int):
        while offset + 2 <= len(self.data) and (size := self.u16(offset)) != 0:
            yield Member(offset, size, self.u32(offset + PACKED_SIZE_OFFSET),
                         self.u16(offset + DATA_CRC_OFFSET), self.find_header_crc(offset, size))
            offset += size + self.u32(offset + PACKED_SIZE_OFFSET)

    def find_header_crc(self, header: int, header_size: int) -> int:
        end = header + header_size
        position = header + FIRST_EXT_SIZE_OFFSET + 2
        size = self.u16(header + FIRST_EXT_SIZE_OFFSET)
        while size >= 3 and position + size <= end:
            if self.data[position] == HEADER_CRC_TYPE:
                return position + 1
            position, size = position + size, self.u16(position + size - 2)
        return -1

    def computed_header_crc(self, member: Member) -> int:
        header = bytearray(self.data[member.offset:member.offset + member.header_size])
        at = member.header_crc_at - member.offset
        header[at:at + 2] = b"\0\0"
        return crc16(header)


def patch(path: Path, offset: int, replacement: bytes) -> None:
    data = bytearray(path.read_bytes())
    data[offset:offset + len(replacement)] = replacement
    path.write_bytes(data)


def patch_u16(path: Path, offset: int, value: int) -> None:
    patch(path, offset, struct.pack("<H", value))


def patch_u32(path: Path, offset: int, value: int) -> None:
    patch(path, offset, struct.pack("<I", value))
