"""Distributables whose archive Debian's `lha` compresses, so that the stub decodes members that
no code of ours has encoded: our settings block from `ombrix pack`, their archive behind it."""

import shutil
import subprocess
from dataclasses import dataclass
from functools import reduce
from operator import xor
from pathlib import Path

from harness.config import Config
from harness.distributable import Layout, crc16, pack, patch_u16

# lha's switches: a add, 2 level-2 headers, q quiet, then the method.
LHA_ADD = {"lh5": "a2qo5", "lh7": "a2qo7"}
METHOD_OFFSET = 2


@dataclass(frozen=True)
class PeerMember:
    name: str  # top-level file name, "!" and "$" included
    data: bytes
    method: str  # a key of LHA_ADD


def make_lha_archive(work: Path, members: list[PeerMember]) -> bytes:
    """One `lha` run per member, so that each keeps its own method, in the order given."""
    if shutil.which("lha") is None:
        raise AssertionError("lha is not installed (Debian package jlha-utils)")
    tree = work / "lha_tree"
    shutil.rmtree(tree, ignore_errors=True)
    tree.mkdir()
    archive = work / "members.lzh"
    archive.unlink(missing_ok=True)
    for member in members:
        (tree / member.name).write_bytes(member.data)
        result = subprocess.run(["lha", LHA_ADD[member.method], str(archive), member.name],
                                cwd=tree, stdin=subprocess.DEVNULL, capture_output=True,
                                check=False)
        if result.returncode != 0:
            raise AssertionError(f"lha failed on {member.name!r}: "
                                 f"{result.stderr.decode(errors='replace')}")
    return archive.read_bytes()


def pack_peer_archive(config: Config, target: Path, members: list[PeerMember], *options: str,
                      check_value_damage: int = 0) -> Path:
    """Packs the settings alone, then puts lha's archive, end mark included, in place of the
    packed end mark. With --check-value among the options the check value is the right one
    XOR check_value_damage."""
    pack(config, target, {}, *options)
    packed = Layout(target.read_bytes())
    assert not packed.members, "the settings-only pack holds members"
    archive_start = packed.archive_offset + (2 if packed.has_check_value else 0)
    target.write_bytes(packed.data[:archive_start] + make_lha_archive(target.parent, members))

    layout = Layout(target.read_bytes())
    found = [(layout.data[member.offset + METHOD_OFFSET:member.offset + METHOD_OFFSET + 5],
              member.data_crc, member.packed_size < len(source.data))
             for member, source in zip(layout.members, members)]
    expected = [(f"-{source.method}-".encode(), crc16(source.data), True) for source in members]
    assert found == expected, \
        f"lha's members (method, data CRC, compressed) are {found}, expected {expected}"
    if packed.has_check_value:
        right = reduce(xor, (member.data_crc for member in layout.members), 0)
        patch_u16(target, layout.archive_offset, right ^ check_value_damage)
    return target
