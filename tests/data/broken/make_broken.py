#!/usr/bin/env python3
"""Writes the small broken and hostile BCF archives that the archive-layer tests open."""
import io
import os
import random
import struct
import zipfile
import zlib

VERSION_21 = b'<?xml version="1.0"?>\n<Version VersionId="2.1"><DetailedVersion>2.1</DetailedVersion></Version>\n'
GUID = "0b8a1f4e-3c2d-4e5f-8a9b-0c1d2e3f4a5b"
MARKUP = ('<?xml version="1.0"?>\n<Markup><Topic Guid="%s" TopicType="Issue" TopicStatus="Open">'
          '<Title>Hostile</Title><CreationDate>2024-03-07T09:05:41Z</CreationDate>'
          '<CreationAuthor>a</CreationAuthor></Topic></Markup>\n' % GUID).encode()


def archive(entries):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=(2024, 3, 7, 9, 5, 40))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data)
    return buffer.getvalue()


def valid():
    return archive([("bcf.version", VERSION_21), (GUID + "/markup.bcf", MARKUP)])


def patch_central(data, name, field_offset, value, fmt):
    """Overwrites a field of the central directory record of `name`."""
    pos = data.index(b"PK\x01\x02" + b"", data.index(b"PK\x01\x02"))
    while pos >= 0:
        name_len = struct.unpack_from("<H", data, pos + 28)[0]
        if data[pos + 46:pos + 46 + name_len] == name.encode():
            out = bytearray(data)
            struct.pack_into(fmt, out, pos + field_offset, value)
            return bytes(out)
        pos = data.find(b"PK\x01\x02", pos + 4)
    raise KeyError(name)


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


random.seed(7)
write("empty.bcf", b"")
write("random-bytes.bcf", bytes(random.getrandbits(8) for _ in range(1024)))
write("truncated.bcf", valid()[: len(valid()) // 2])
write("no-version.bcf", archive([(GUID + "/markup.bcf", MARKUP)]))
write("version-2.0.bcf", archive([("bcf.version", VERSION_21.replace(b'"2.1"', b'"2.0"'))]))
write("version-unknown.bcf", archive([("bcf.version", VERSION_21.replace(b'"2.1"', b'"4.0"'))]))
write("malformed-markup.bcf", archive([("bcf.version", VERSION_21), (GUID + "/markup.bcf", b"<Markup><Topic")]))
write("malformed-project.bcf", archive([("bcf.version", VERSION_21), ("project.bcfp", b"<ProjectExtension>")]))
# A markup entry whose stored CRC-32 does not match its content.
write("crc-mismatch.bcf", patch_central(valid(), GUID + "/markup.bcf", 16, 0x12345678, "<I"))
# The central directory claims a smaller uncompressed size than the entry inflates to, with the
# CRC-32 of that many bytes: only the deflate stream running on past them tells the lie.
write("size-lie.bcf", patch_central(patch_central(valid(), GUID + "/markup.bcf", 24, 10, "<I"),
                                    GUID + "/markup.bcf", 16, zlib.crc32(MARKUP[:10]), "<I"))
# Entry names that would escape or confuse an extracting tool; reading them is harmless.
write("hostile-names.bcf", archive([("bcf.version", VERSION_21), ("../evil/markup.bcf", MARKUP),
                                    ("/absolute/markup.bcf", MARKUP)]))
write("duplicate-names.bcf", archive([("bcf.version", VERSION_21), (GUID + "/markup.bcf", MARKUP),
                                      (GUID + "/markup.bcf", MARKUP)]))
# Two folders whose markup files carry the same topic GUID: loads, but cannot be saved.
write("duplicate-topic-guids.bcf", archive([("bcf.version", VERSION_21), ("a/markup.bcf", MARKUP),
                                            ("b/markup.bcf", MARKUP)]))
# A snapshot entry that inflates to more than the 256 MiB cap (deflated zeros, about 260 KB).
bomb_markup = MARKUP.replace(b"</Topic>", b"</Topic><Viewpoints Guid=\"" + GUID.encode() +
                             b"\"><Snapshot>s.png</Snapshot></Viewpoints>")
buffer = io.BytesIO()
with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    z.writestr("bcf.version", VERSION_21)
    z.writestr(GUID + "/markup.bcf", bomb_markup)
    with z.open(GUID + "/s.png", "w") as f:
        chunk = bytes(1 << 20)
        for _ in range(257):
            f.write(chunk)
write("zip-bomb.bcf", buffer.getvalue())
# The same bomb, but its directory records claim 1000 bytes: the reader must not trust them.
lying = bytearray(buffer.getvalue())
name = (GUID + "/s.png").encode()
local = lying.index(b"PK\x03\x04" + b"", lying.index(name) - 30)
struct.pack_into("<I", lying, local + 22, 1000)
write("zip-bomb-lying-size.bcf", patch_central(bytes(lying), GUID + "/s.png", 24, 1000, "<I"))
# The central directory cut short: the end record survives but points past the data.
whole = valid()
cut = whole.index(b"PK\x01\x02")
write("cut-central-directory.bcf", whole[:cut + 20] + whole[whole.index(b"PK\x05\x06"):])
