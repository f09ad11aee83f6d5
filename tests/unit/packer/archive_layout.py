#!/usr/bin/env python3
"""Checks that an archive has exactly the layout the installer reads:
level-1 basic headers with a right header sum, attribute 0x20, OS id 0x20,
no extended headers, names that are plain file names, method "-lh5-" (or
"-lh0-" where allowed), packed data that fills exactly the packed size, and
one 0 byte at the end. With --crc-from FOLDER the stored CRC-16 and sizes
are compared with the files of FOLDER (CRC-16/ARC computed here, from its
definition). Prints one line per member; exits 1 on the first fault.

usage: archive_layout.py ARCHIVE [--members N] [--allow-stored] [--crc-from FOLDER]
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import lha_headers  # noqa: E402


def make_crc_table():
    table = []
    for i in range(256):
        r = i
        for _ in range(8):
            r = (r >> 1) ^ 0xA001 if r & 1 else r >> 1
        table.append(r)
    return table


CRC_TABLE = make_crc_table()


def crc16_arc(data):
    crc = 0
    table = CRC_TABLE
    for byte in data:
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8)
    return crc


def fail(message):
    print("archive_layout: " + message)
    sys.exit(1)


def main():
    args = sys.argv[1:]
    path = args.pop(0)
    expected_members = None
    allow_stored = False
    crc_folder = None
    while args:
        option = args.pop(0)
        if option == "--members":
            expected_members = int(args.pop(0))
        elif option == "--allow-stored":
            allow_stored = True
        elif option == "--crc-from":
            crc_folder = args.pop(0)
        else:
            fail("unknown option " + option)
    data = open(path, "rb").read()
    try:
        found = lha_headers.members(data)
    except ValueError as error:
        fail(str(error))
    end = lha_headers.end_mark_offset(data)
    if end + 1 != len(data):
        fail("%d bytes follow the end mark" % (len(data) - end - 1))
    members = 0
    for member in found:
        size = member.header_size
        if sum(member.body) & 0xFF != member.header_sum:
            fail("header sum wrong at offset %d" % member.offset)
        if size != member.name_length + 25:
            fail("header size %d does not fit a name of %d bytes" % (size, member.name_length))
        method, packed, unpacked, stamp = (member.method, member.packed_size,
                                           member.unpacked_size, member.stamp)
        allowed = (b"-lh5-", b"-lh0-") if allow_stored else (b"-lh5-",)
        if method not in allowed:
            fail("method %r" % method)
        if member.attribute != 0x20 or member.level != 1 or member.os_id != 0x20 \
                or member.next_size != 0:
            fail("attribute %#x level %d os %#x extended %d" % (
                member.attribute, member.level, member.os_id, member.next_size))
        text = member.text_name
        if not text or any(c in text for c in '\\/:*?"<>|') or text in (".", ".."):
            fail("name %r is not a plain file name" % text)
        day = (stamp >> 16) & 0x1F
        month = (stamp >> 21) & 0x0F
        if not (1 <= day <= 31 and 1 <= month <= 12):
            fail("time stamp %#x is not an MS-DOS date" % stamp)
        if method == b"-lh0-" and packed != unpacked:
            fail("stored member with %d bytes for %d" % (packed, unpacked))
        if member.data_end > len(data):
            fail("packed data of %s reaches past the end" % text)
        if crc_folder is not None:
            original = open(os.path.join(crc_folder, text), "rb").read()
            if len(original) != unpacked:
                fail("%s: unpacked size %d, file has %d" % (text, unpacked, len(original)))
            if crc16_arc(original) != member.crc:
                fail("%s: stored CRC %#06x, file's is %#06x" % (text, member.crc,
                                                                crc16_arc(original)))
        print("%-20s %s %9d %9d %04x" % (text, method.decode(), unpacked, packed, member.crc))
        members += 1
    if expected_members is not None and members != expected_members:
        fail("%d members, expected %d" % (members, expected_members))


main()
