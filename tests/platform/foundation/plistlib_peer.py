#!/usr/bin/env python3
"""The independent reader and writer for the property-list differential tests.

Python's plistlib reads and writes property lists without any code in common with
this project. This script describes what plistlib reads from files, and writes
files with plistlib (and re-encodes binary ones with every offset and reference
width from 1 to 8 bytes, which plistlib itself never writes), so that the C++ test
can check that both readers agree and that plistlib reads what the store writes.

Values are described in a canonical JSON form that both sides produce:
  ["bool", true]  ["int", "-12"]  ["real", "<IEEE 754 bits as 16 hex digits>"]
  ["date", "<microseconds since 2001-01-01 UTC>"]  ["str", "text"]
  ["data", "<hex>"] (over 4 KiB: "<length> bytes, crc32 <CRC-32 as hex>")
  ["array", [...]]  ["dict", [["key", value], ...]] with keys in UTF-8 byte order.

  plistlib_peer.py describe FILE...       one JSON line a file: {"value": ...} or {"error": ...}
  plistlib_peer.py generate DIR SEED N    writes files into DIR; one JSON line a file:
                                          {"file": NAME, "value": ...}
"""

import datetime
import json
import plistlib
import random
import struct
import sys
import zlib

REFERENCE = datetime.datetime(2001, 1, 1)
MICROSECOND = datetime.timedelta(microseconds=1)


def describe_bytes(data):
    """Up to 4 KiB as hex; more as its length and CRC-32."""
    if len(data) <= 4096:
        return data.hex()
    return "%d bytes, crc32 %08x" % (len(data), zlib.crc32(data))


def canon(value):
    if isinstance(value, bool):
        return ["bool", value]
    if isinstance(value, int):
        return ["int", str(value)]
    if isinstance(value, float):
        return ["real", struct.pack(">d", value).hex()]
    if isinstance(value, datetime.datetime):
        return ["date", str((value - REFERENCE) // MICROSECOND)]
    if isinstance(value, (bytes, bytearray)):
        return ["data", describe_bytes(bytes(value))]
    if isinstance(value, str):
        return ["str", value]
    if isinstance(value, list):
        return ["array", [canon(v) for v in value]]
    if isinstance(value, dict):
        entries = [[k, canon(v)] for k, v in value.items()]
        entries.sort(key=lambda entry: entry[0].encode("utf-8"))
        return ["dict", entries]
    if isinstance(value, plistlib.UID):
        return ["uid", str(value.data)]
    raise TypeError("cannot describe %r" % type(value))


def describe(paths):
    for path in paths:
        try:
            with open(path, "rb") as file:
                value = plistlib.load(file)
            print(json.dumps({"value": canon(value)}, ensure_ascii=False))
        except Exception as error:  # every failure is an answer, not a crash
            print(json.dumps({"error": "%s: %s" % (type(error).__name__, error)}))


# ---------------------------------------------------------------- generation

INTEGER_EDGES = [0, 1, -1, 14, 15, 16, 127, 128, 255, 256, 65535, 65536, 2**31 - 1, 2**31,
                 2**32 - 1, 2**32, 2**63 - 1, -2**63, 2**63, 2**64 - 1, -2**31, -129]
ALPHABETS = [
    "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_",
    "éèêàçñöüßÆøå",
    "αβγδεζηθικλμνξοπρστυφχψωΕλληνικά",
    "日本語中文한국어",
    "\U0001F600\U0001F680\U0001D11E\U00010348",
    "e\u0301a\u0300o\u0308",
    "\t\n\r",
]


def random_text(rng, xml):
    alphabet = "".join(rng.sample(ALPHABETS, rng.randint(1, 3)))
    if not xml and rng.random() < 0.1:
        alphabet += "\x00\x01\x1f"
    return "".join(rng.choice(alphabet) for _ in range(rng.choice([0, 1, 3, 8, 14, 15, 16, 40])))


def random_date(rng, xml):
    # From year 1 to 9999 (all plistlib has), 2038 and 2100 among them.
    seconds = rng.choice([0, -1, 1, 2**31, -2**31, 3124137600, -63113904000, 252423993599,
                          rng.randint(-63113904000, 252423993598)])
    moment = REFERENCE + datetime.timedelta(seconds=seconds)
    if not xml and moment.year < 9999:
        moment += MICROSECOND * rng.randint(0, 999999)
    return moment


def random_real(rng):
    return rng.choice([0.0, -0.0, 1.5, -2.25, float("inf"), float("-inf"), float("nan"), 5e-324,
                       1.7976931348623157e308, rng.uniform(-1e6, 1e6), rng.random() * 10 ** rng.randint(-300, 300)])


def random_value(rng, depth, xml):
    kinds = ["bool", "int", "real", "date", "data", "str"]
    if depth < 4:
        kinds += ["array", "dict"] * 2
    kind = rng.choice(kinds)
    if kind == "bool":
        return rng.random() < 0.5
    if kind == "int":
        return rng.choice(INTEGER_EDGES) if rng.random() < 0.6 else rng.randint(-2**63, 2**64 - 1)
    if kind == "real":
        return random_real(rng)
    if kind == "date":
        return random_date(rng, xml)
    if kind == "data":
        return bytes(rng.getrandbits(8) for _ in range(rng.choice([0, 1, 14, 15, 16, 100])))
    if kind == "str":
        return random_text(rng, xml)
    if kind == "array":
        return [random_value(rng, depth + 1, xml) for _ in range(rng.choice([0, 1, 2, 5, 15, 16]))]
    return {random_text(rng, xml): random_value(rng, depth + 1, xml) for _ in range(rng.choice([0, 1, 3, 15]))}


def large_values():
    """Values whose files cross the offset and reference width boundaries."""
    yield "strings-255", {"a": "x" * 250, "b": "y" * 10}
    yield "strings-65536", {"a": "x" * 65530, "b": "é" * 20}
    yield "references-256", ["item-%d" % i for i in range(300)]
    yield "references-65536", ["item-%d" % i for i in range(70000)]
    yield "data-16MiB", {"blob": bytes(range(256)) * (65536 + 16), "after": "kept"}


def encoded_object_length(data, offset, reference_size):
    marker = data[offset]
    kind, info = marker >> 4, marker & 0xF
    header = 1
    count = info
    if kind in (0x4, 0x5, 0x6, 0xA, 0xB, 0xC, 0xD) and info == 0xF:
        width = 1 << (data[offset + 1] & 0xF)
        count = int.from_bytes(data[offset + 2:offset + 2 + width], "big")
        header = 2 + width
    if kind == 0x0:
        return 1, []
    if kind in (0x1, 0x2):
        return 1 + (1 << info), []
    if kind == 0x3:
        return 9, []
    if kind in (0x4, 0x5):
        return header + count, []
    if kind == 0x6:
        return header + 2 * count, []
    if kind == 0x8:
        return 1 + info + 1, []
    references = count * (2 if kind == 0xD else 1)
    start = offset + header
    refs = [int.from_bytes(data[start + i * reference_size:start + (i + 1) * reference_size], "big")
            for i in range(references)]
    return header, refs


def reencode(data, offset_size, reference_size):
    """The same binary property list with other offset and reference widths."""
    trailer = data[-32:]
    old_offset_size, old_reference_size = trailer[6], trailer[7]
    count, root, table = (int.from_bytes(trailer[8:16], "big"), int.from_bytes(trailer[16:24], "big"),
                          int.from_bytes(trailer[24:32], "big"))
    offsets = [int.from_bytes(data[table + i * old_offset_size:table + (i + 1) * old_offset_size], "big")
               for i in range(count)]
    out = bytearray(b"bplist00")
    new_offsets = []
    for offset in offsets:
        new_offsets.append(len(out))
        length, refs = encoded_object_length(data, offset, old_reference_size)
        out += data[offset:offset + length]
        for ref in refs:
            out += ref.to_bytes(reference_size, "big")
    new_table = len(out)
    for offset in new_offsets:
        out += offset.to_bytes(offset_size, "big")
    out += bytes(6) + bytes([offset_size, reference_size])
    out += count.to_bytes(8, "big") + root.to_bytes(8, "big") + new_table.to_bytes(8, "big")
    return bytes(out)


def fits(data, offset_size, reference_size):
    trailer = data[-32:]
    count = int.from_bytes(trailer[8:16], "big")
    return count - 1 < 1 << (8 * reference_size) and len(data) + count * 8 < 1 << (8 * offset_size)


def generate(directory, seed, count):
    rng = random.Random(seed)
    cases = []
    for n in range(count):
        xml = n % 3 == 0
        value = {random_text(rng, xml): random_value(rng, 1, xml) for _ in range(rng.randint(0, 6))}
        cases.append(("random-%d" % n, value, xml))
    for name, value in large_values():
        cases.append((name, value, False))
    for name, value, xml in cases:
        if xml:
            data = plistlib.dumps(value, fmt=plistlib.FMT_XML)
            variants = [(name + ".xml", data)]
        else:
            data = plistlib.dumps(value, fmt=plistlib.FMT_BINARY)
            variants = [(name + ".plist", data)]
            big = len(data) > 1 << 20
            widths = [(w, w) for w in range(1, 9)] + [(3, 1), (5, 2), (2, 7)]
            for offset_size, reference_size in widths if not big else [(4, 2), (5, 4)]:
                if fits(data, offset_size, reference_size):
                    variants.append(("%s-o%d-r%d.plist" % (name, offset_size, reference_size),
                                     reencode(data, offset_size, reference_size)))
        for file_name, file_data in variants:
            with open("%s/%s" % (directory, file_name), "wb") as file:
                file.write(file_data)
            # What plistlib reads back is the expectation, so both readers face the same file.
            read_back = plistlib.loads(file_data)
            print(json.dumps({"file": file_name, "value": canon(read_back)}, ensure_ascii=False))


if __name__ == "__main__":
    if len(sys.argv) >= 2 and sys.argv[1] == "describe":
        describe(sys.argv[2:])
    elif len(sys.argv) == 5 and sys.argv[1] == "generate":
        generate(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
    else:
        sys.exit(__doc__)
