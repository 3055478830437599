#!/usr/bin/env python3
"""Runs crafted BCF archives through the bcf commands and prints what each did, as a markdown table.

The archives are built in a temporary folder: ZIP tricks (sizes and checksums that lie, entries that
overlap, unknown methods, truncation, unsafe names), XML tricks (entities, deep nesting, many
attributes), amplifiers (huge texts that compress to little, millions of elements, one snapshot
shown thousands of times), invalid values, duplicate entries and unknown elements. Each runs
through `bcf info`, `bcf convert --to 2.1`, `bcf convert --to 3.0` and `bcf report` (PDF, XLSX,
CSV); the table gives the exit code, the first line of stderr, the wall time and the peak memory
(resident set) of each command. A converted archive is checked again with `bcf info` and
`bcf validate` (their exit codes in the last column).

    bench/crafted_archives.py [--build DIR] [--regressions] [--only WORD] [--timeout SECONDS]

--regressions adds the archives of tests/data/regressions; --only keeps the archives whose name
holds WORD. A tool, run by hand: every archive of at most 1 MB should end within 30 s and 1 GiB,
successfully or with a clear refusal.
"""
import argparse
import os
import pathlib
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
TOPIC = "0b8a1f4e-3c2d-4e5f-8a9b-0c1d2e3f4a5b"
NS = 'xmlns:xsd="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"'
MIB = 1 << 20


# --- ZIP writing, with room for lies ---------------------------------------------------------------

class Entry:
    """One entry as the ZIP file will hold it; the fields that may lie can be set apart."""

    def __init__(self, name, data=b"", method=8, chunks=None, **lies):
        self.name = name.encode() if isinstance(name, str) else name
        self.method = method
        if chunks is not None:  # a large entry, deflated piece by piece
            compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
            crc, size, parts = 0, 0, []
            for chunk in chunks:
                crc = zlib.crc32(chunk, crc)
                size += len(chunk)
                parts.append(compressor.compress(chunk))
            parts.append(compressor.flush())
            self.packed, self.crc, self.size = b"".join(parts), crc, size
        else:
            data = data.encode() if isinstance(data, str) else data
            self.crc, self.size = zlib.crc32(data), len(data)
            if method == 8:
                compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
                self.packed = compressor.compress(data) + compressor.flush()
            else:
                self.packed = data
        self.flags = lies.get("flags", 0)
        self.crc = lies.get("crc", self.crc)
        self.size = lies.get("size", self.size)


def zip_bytes(entries, prefix=b"", overlap=None):
    """The ZIP file of `entries`; `overlap` names more central entries that all point at the first
    entry's data."""
    out = bytearray(prefix)
    central = bytearray()
    count = 0

    def central_record(entry, name, offset):
        return struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, entry.flags, entry.method, 0, 0x5867,
                           entry.crc, len(entry.packed), entry.size, len(name), 0, 0, 0, 0, 0, offset) + name

    offsets = []
    for entry in entries:
        offsets.append(len(out))
        out += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, entry.flags, entry.method, 0, 0x5867, entry.crc,
                           len(entry.packed), entry.size, len(entry.name), 0) + entry.name + entry.packed
    for entry, offset in zip(entries, offsets):
        central += central_record(entry, entry.name, offset)
        count += 1
    for name in overlap or []:
        central += central_record(entries[-1], name.encode(), offsets[-1])
        count += 1
    start = len(out)
    out += central
    out += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, len(central), start, 0)
    return bytes(out)


# --- BCF content ------------------------------------------------------------------------------------

def version(text="2.1"):
    return '<?xml version="1.0"?>\n<Version VersionId="%s" />\n' % text


def markup(title="T", topic_extra="", body="", topic_type="Issue", guid=TOPIC, topic_attributes=""):
    return ('<?xml version="1.0"?>\n<Markup %s><Topic Guid="%s" TopicType="%s" TopicStatus="Open"%s>'
            '<Title>%s</Title><CreationDate>2024-03-07T09:05:41Z</CreationDate>'
            '<CreationAuthor>a@b.c</CreationAuthor>%s</Topic>%s</Markup>\n'
            % (NS, guid, topic_type, topic_attributes, title, topic_extra, body))


def markup_chunks(head, repeated, count, tail, per_chunk=MIB):
    """A markup given as its head, `count` times `repeated` and its tail, in pieces."""
    yield head.encode()
    unit = repeated.encode()
    batch = max(1, per_chunk // max(1, len(unit)))
    while count > 0:
        n = min(batch, count)
        yield unit * n
        count -= n
    yield tail.encode()


def split_markup(title="T", where="title", guid=TOPIC):
    """The head and tail of a markup around a text that is repeated in between."""
    marker = "\0"
    text = markup(title=marker, guid=guid) if where == "title" else \
        markup(topic_extra="<Description>%s</Description>" % marker, guid=guid) if where == "description" else \
        markup(topic_type=marker, guid=guid)
    head, tail = text.split(marker)
    return head, tail


def png(width, height):
    raw_row = b"\x00" + b"\x00" * (width * 3)
    compressor = zlib.compressobj(9)
    data = b"".join(compressor.compress(raw_row) for _ in range(height)) + compressor.flush()

    def chunk(kind, payload):
        return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", data) + chunk(b"IEND", b""))


def guid(i):
    return "%08x-0000-4000-8000-000000000000" % i


def plain(entries):
    return zip_bytes([Entry(name, data) for name, data in entries])


def crafted():
    """(name, bytes) of every crafted archive."""
    m = TOPIC + "/markup.bcf"
    words = ("lorem ipsum dolor sit amet " * 400)[:10000]
    comment = ('<Comment Guid="c"><Date>2024-03-07T09:05:41Z</Date><Author>a</Author><Comment>%s</Comment>'
               '</Comment>')
    yield "plain", plain([("bcf.version", version()), (m, markup())])
    # ZIP tricks
    yield "zip-size-lie", zip_bytes([Entry("bcf.version", version()), Entry(m, markup(), size=10)])
    yield "zip-crc-wrong", zip_bytes([Entry("bcf.version", version()), Entry(m, markup(), crc=1234)])
    yield "zip-stored-size-lie", zip_bytes([Entry("bcf.version", version()),
                                            Entry(m, markup(), method=0, size=100000)])
    yield "zip-unknown-method", zip_bytes([Entry("bcf.version", version()), Entry(m, markup(), method=99)])
    yield "zip-encrypted", zip_bytes([Entry("bcf.version", version()), Entry(m, markup(), flags=1)])
    whole = plain([("bcf.version", version()), (m, markup(topic_extra="<Description>%s</Description>" % words))])
    yield "zip-truncated", whole[:len(whole) // 2]
    yield "zip-prefix-junk", b"MZ" + os.urandom(2046) + whole
    yield "zip-empty", zip_bytes([])
    yield "not-a-zip", os.urandom(4096)
    yield "zip-no-version", plain([(m, markup())])
    head, tail = split_markup(where="description")
    big = Entry("x/markup.bcf", chunks=markup_chunks(head, "x" * 1024, 10 * 1024, tail))
    yield "zip-overlapping-1000x10MiB", zip_bytes(
        [Entry("bcf.version", version()), big], overlap=["%s/markup.bcf" % guid(i) for i in range(1000)])
    yield "zip-bomb-1GiB-markup", zip_bytes([Entry("bcf.version", version()), Entry(
        m, chunks=markup_chunks(head, " " * 1024, 1024 * 1024, tail))])
    yield "zip-unsafe-names", plain([("bcf.version", version()), (m, markup()), ("../evil.txt", "x"),
                                     ("/abs.txt", "x"), ("C:drive.txt", "x"), ("a\\b.txt", "x")])
    yield "zip-8000-entries", plain([("bcf.version", version()), (m, markup())] +
                                    [("k/%d" % i, "") for i in range(8000)])
    yield "duplicate-version-differing", plain([("bcf.version", version()), ("bcf.version", version("3.0")),
                                                (m, markup())])
    yield "duplicate-markup-differing", plain([("bcf.version", version()), (m, markup("A")), (m, markup("B"))])
    yield "duplicate-topic-guid", plain([("bcf.version", version()), ("a/markup.bcf", markup("A")),
                                         ("b/markup.bcf", markup("B"))])
    # XML tricks
    laughs = "".join('<!ENTITY l%d "&l%d;&l%d;&l%d;&l%d;&l%d;&l%d;&l%d;&l%d;&l%d;&l%d;">' %
                     ((i,) + (i - 1,) * 10) for i in range(1, 10))
    yield "xml-billion-laughs", plain([("bcf.version", version()), (m, markup("&l9;").replace(
        '<?xml version="1.0"?>\n', '<?xml version="1.0"?>\n<!DOCTYPE Markup [<!ENTITY l0 "lol">%s]>\n' % laughs))])
    yield "xml-external-entity", plain([("bcf.version", version()), (m, markup("&x;").replace(
        '<?xml version="1.0"?>\n', '<?xml version="1.0"?>\n<!DOCTYPE Markup [<!ENTITY x SYSTEM "/etc/passwd">]>\n'))])
    yield "xml-nesting-1M", plain([("bcf.version", version()),
                                   (m, markup(topic_extra="<a>" * 1000000 + "</a>" * 1000000))])
    yield "xml-100k-attributes", plain([("bcf.version", version()), (m, markup(topic_attributes="".join(
        ' v%d="x"' % i for i in range(100000))))])
    yield "xml-utf16", plain([("bcf.version", version()), (m, markup("Grüße").replace(
        '<?xml version="1.0"?>', '<?xml version="1.0" encoding="UTF-16"?>').encode("utf-16"))])
    yield "xml-nul-reference", plain([("bcf.version", version()), (m, markup("a&#0;b"))])
    yield "xml-control-byte", plain([("bcf.version", version()), (m, markup("a\x01b"))])
    yield "xml-not-well-formed", plain([("bcf.version", version()), (m, markup("<b>"))])
    # amplifiers
    for name, where, unit, count in [("topic-type-100MiB", "type", "x" * 1024, 100 * 1024),
                                     ("title-250MiB", "title", "y" * 1024, 250 * 1024),
                                     ("title-250MiB-quotes", "title", '"' * 1024, 250 * 1024),
                                     ("description-250MiB-amp", "description", "&amp;" * 200, 250 * 1024)]:
        head, tail = split_markup(where=where)
        yield name, zip_bytes([Entry("bcf.version", version()), Entry(m, chunks=markup_chunks(head, unit, count, tail))])
    head, tail = split_markup(where="description")
    yield "descriptions-4x120MiB", zip_bytes([Entry("bcf.version", version())] + [
        Entry(guid(i) + "/markup.bcf", chunks=markup_chunks(head.replace(TOPIC, guid(i)), "x" * 1024, 120 * 1024,
                                                           tail)) for i in range(4)])
    head, tail = markup().split("</Markup>")
    yield "comments-4M-empty", zip_bytes([Entry("bcf.version", version()), Entry(
        m, chunks=markup_chunks(head, "<Comment/>", 4000000, "</Markup>\n"))])
    yield "comments-100k", zip_bytes([Entry("bcf.version", version()), Entry(
        m, chunks=markup_chunks(head, comment % "x", 100000, "</Markup>\n"))])
    yield "comments-1180x10k", zip_bytes([Entry("bcf.version", version()), Entry(
        m, chunks=markup_chunks(head, comment % words, 1180, "</Markup>\n"))])
    head, tail = split_markup(where="title")
    yield "labels-300k", zip_bytes([Entry("bcf.version", version()), Entry(m, chunks=markup_chunks(
        head + "T</Title>", "<Labels>label</Labels>", 300000, tail.replace("</Title>", "", 1)))])
    yield "topics-2500", plain([("bcf.version", version())] + [
        (guid(i) + "/markup.bcf", markup("Topic %d" % i, guid=guid(i), body=comment % words[:600]))
        for i in range(2500)])
    viewpoints = "".join('<Viewpoints Guid="%s"><Snapshot>s.png</Snapshot></Viewpoints>' % guid(i)
                         for i in range(5000))
    yield "snapshot-shown-5000-times", plain([("bcf.version", version()), (m, markup(body=viewpoints)),
                                              (TOPIC + "/s.png", png(4000, 4000))])
    yield "snapshot-16000x16000-png", plain([("bcf.version", version()),
                                             (m, markup(body=viewpoints[:viewpoints.index("</Viewpoints>") + 13])),
                                             (TOPIC + "/s.png", png(16000, 16000))])
    # invalid values and unknown elements
    yield "invalid-values", plain([("bcf.version", version()), (m, markup(
        topic_extra="<ModifiedDate>yesterday</ModifiedDate><DueDate>2024-13-45</DueDate><Index>x</Index>",
        body='<Comment Guid="not a guid"><Date>never</Date><Author>a</Author><Comment>c</Comment></Comment>'
             '<Viewpoints Guid="v"><Viewpoint>v.bcfv</Viewpoint></Viewpoints>')),
        (TOPIC + "/v.bcfv", '<?xml version="1.0"?>\n<VisualizationInfo Guid="bad"><PerspectiveCamera>'
                            '<CameraViewPoint><X>NaN</X><Y>1e999</Y><Z>-</Z></CameraViewPoint><CameraDirection>'
                            '<X>0</X><Y>0</Y><Z>0</Z></CameraDirection><CameraUpVector><X>0</X><Y>0</Y><Z>0</Z>'
                            '</CameraUpVector><FieldOfView>-5</FieldOfView></PerspectiveCamera>'
                            '</VisualizationInfo>\n')])
    yield "unknown-elements", plain([("bcf.version", version().replace("/>", "><Vendor/></Version>")),
                                     (m, markup(topic_extra="<VendorThing a='1'><b/></VendorThing>",
                                                body="<Extra>x</Extra>").replace("<Markup ", "<Markup x='y' "))])


# --- running the commands ---------------------------------------------------------------------------

def run(command, timeout):
    """(exit code or "timeout", first stderr line, seconds, peak MiB) of `command`."""
    with tempfile.TemporaryFile() as err:
        start = time.monotonic()
        process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=err)
        killed = []

        def kill():
            killed.append(True)
            os.kill(process.pid, signal.SIGKILL)
        timer = threading.Timer(timeout, kill)
        timer.start()
        _, status, usage = os.wait4(process.pid, 0)
        timer.cancel()
        process.returncode = os.waitstatus_to_exitcode(status)  # reaped here, not by Popen
        seconds = time.monotonic() - start
        err.seek(0)
        first = err.read(4000).decode("utf-8", "replace").splitlines()
    code = "timeout" if killed else process.returncode
    return code, first[0] if first else "", seconds, usage.ru_maxrss / 1024


def cell(text, width=110):
    text = text.replace("|", "\\|")
    return text if len(text) <= width else text[:width - 1] + "…"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=str(ROOT / "build"), help="the build folder (default: build/)")
    parser.add_argument("--regressions", action="store_true", help="add tests/data/regressions/*.bcf")
    parser.add_argument("--only", help="only the archives whose name holds this")
    parser.add_argument("--timeout", type=float, default=120, help="seconds before a command is killed")
    args = parser.parse_args()
    bcf = pathlib.Path(args.build) / "apps" / "bcf" / "bcf"
    if not bcf.exists():
        sys.exit("no %s: build the project first (scripts/build.sh)" % bcf)
    with tempfile.TemporaryDirectory(prefix="bcf-crafted-") as folder:
        folder = pathlib.Path(folder)
        archives = []
        for name, data in crafted():
            if args.only and args.only not in name:
                continue
            path = folder / (name + ".bcf")
            path.write_bytes(data)
            archives.append(path)
        if args.regressions:
            # Archives only: some regression files are single markup files.
            archives += [p for p in sorted((ROOT / "tests" / "data" / "regressions").glob("*.bcf"))
                         if (not args.only or args.only in p.name) and p.read_bytes()[:2] == b"PK"]
        print("| archive | KB | command | exit | s | MiB | first line of stderr | output: info, validate |")
        print("|---|---:|---|---|---:|---:|---|---|")
        for path in archives:
            out = folder / "out"
            out.mkdir(exist_ok=True)
            commands = [("info", [str(path)], None),
                        ("convert --to 2.1", [str(path), str(out / "o21.bcf"), "--to", "2.1"], out / "o21.bcf"),
                        ("convert --to 3.0", [str(path), str(out / "o30.bcf"), "--to", "3.0"], out / "o30.bcf"),
                        ("report pdf", [str(path), str(out / "r.pdf")], None),
                        ("report xlsx", [str(path), str(out / "r.xlsx")], None),
                        ("report csv", [str(path), str(out / "r.csv")], None)]
            for label, arguments, converted in commands:
                verb = label.split()[0]
                code, first, seconds, peak = run([str(bcf), verb] + arguments, args.timeout)
                checked = ""
                if converted is not None and code == 0:
                    info = run([str(bcf), "info", str(converted)], args.timeout)[0]
                    valid = run([str(bcf), "validate", str(converted)], args.timeout)[0]
                    checked = "%s, %s" % (info, valid)
                first = first.replace(str(path.parent) + "/", "").replace(str(out) + "/", "")
                print("| %s | %d | %s | %s | %.2f | %.0f | %s | %s |" % (
                    path.stem, path.stat().st_size // 1024, label, code, seconds, peak, cell(first), checked))
                sys.stdout.flush()
                for leftover in out.iterdir():
                    leftover.unlink()


if __name__ == "__main__":
    main()
