"""The benchmark's corpus: about 64 MiB in files of the kinds an installer carries, made by code
from a fixed seed, so that every run and every machine compresses the same bytes.

  text    prose and source-like lines from a vocabulary with a few common and many rare words
  tables  fixed-size binary records: small counters, flags, offsets, floats
  program machine-code-like bytes: short repeated instruction patterns, zero-padded sections
  media   bytes that do not compress, as images or archives inside a package are
"""
import random
import struct

MIB = 1 << 20


def make_vocabulary(rng, count):
    letters = "etaoinshrdlcumwfgypbvkjxqz"
    weights = [26 - i for i in range(26)]
    return ["".join(rng.choices(letters, weights, k=rng.randint(1, 10))) for _ in range(count)]


def text(rng, size, vocabulary):
    # Word ranks drawn so that a few words are very common: what real text looks like to an LZ
    # coder.
    top = len(vocabulary) - 1
    lines = []
    length = 0
    while length < size:
        if rng.random() < 0.3:
            line = "    " * rng.randint(0, 3) + "{} = {}({}, {});".format(
                *(vocabulary[int(top * rng.random() ** 3)] for _ in range(4)))
        else:
            words = (vocabulary[int(top * rng.random() ** 4)] for _ in range(rng.randint(4, 16)))
            line = " ".join(words).capitalize() + "."
        lines.append(line)
        length += len(line) + 2
    return "\r\n".join(lines).encode()[:size]


def tables(rng, size):
    out = bytearray()
    record = struct.Struct("<IHHIf")
    serial = 0
    while len(out) < size:
        serial += rng.randint(1, 3)
        out += record.pack(serial, rng.randrange(16), rng.choice((0, 1, 0x8000)),
                           rng.randrange(1 << rng.randint(4, 20)), rng.random())
    return bytes(out[:size])


def program(rng, size):
    patterns = [rng.randbytes(rng.randint(2, 12)) for _ in range(200)]
    out = bytearray()
    while len(out) < size:
        if rng.random() < 0.05:
            out += bytes(rng.randint(16, 4096))
        else:
            out += rng.choice(patterns) + rng.randbytes(rng.randint(0, 4))
    return bytes(out[:size])


def media(rng, size):
    return rng.randbytes(size)


def corpus():
    """(name, bytes) pairs, 64 MiB in all."""
    rng = random.Random(64)
    vocabulary = make_vocabulary(rng, 30000)
    files = []
    for i in range(6):
        files.append((f"docs/text{i}.txt", text(rng, 4 * MIB, vocabulary)))
    for i in range(4):
        files.append((f"data/table{i}.dat", tables(rng, 4 * MIB)))
    for i in range(3):
        files.append((f"bin/program{i}.bin", program(rng, 4 * MIB)))
    for i in range(3):
        files.append((f"media/blob{i}.bin", media(rng, 4 * MIB)))
    return files
