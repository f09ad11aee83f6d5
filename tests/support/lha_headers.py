"""Walks the member headers of a level-1 LHA archive as the installer reads
it, for the test fixtures, checks and views (Python standard library only).

A member is a basic header and then its packed size's worth of extended
headers and data; a 0 header-size byte ends the archive. The basic header:

    0   1   header size H (bytes of body after the sum byte)
    1   1   header sum (low 8 bits of the body's sum)
    2   H   body: method (5), packed size (4), unpacked size (4), time
            stamp (4), attribute (1), level (1), name length N (1), name (N),
            CRC-16 (2), OS id (1), size of the first extended header (2)

Multi-byte numbers are little-endian.

    import lha_headers
    for member in lha_headers.members(data):
        print(member.name, member.packed_size)
"""

import struct

# The body bytes around the name: 20 before it, 5 after it.
FIELDS_BEFORE_NAME = 20
FIELDS_AFTER_NAME = 5


class Member:
    """One member: where its header and data lie, and its fields as stored."""

    def __init__(self, data, offset):
        self.offset = offset
        self.header_size = data[offset]
        self.header_sum = data[offset + 1]
        self.body = data[offset + 2:offset + 2 + self.header_size]
        if len(self.body) != self.header_size or self.header_size < FIELDS_BEFORE_NAME:
            raise ValueError("member header at %d is cut short" % offset)
        body = self.body
        self.method = bytes(body[0:5])
        self.packed_size, self.unpacked_size, self.stamp = struct.unpack_from("<III", body, 5)
        self.attribute, self.level, self.name_length = body[17], body[18], body[19]
        self.name = bytes(body[FIELDS_BEFORE_NAME:FIELDS_BEFORE_NAME + self.name_length])
        size = self.header_size
        self.crc, = struct.unpack_from("<H", body, size - 5) if size >= 5 else (0,)
        self.os_id = body[size - 3] if size >= 3 else 0
        self.next_size, = struct.unpack_from("<H", body, size - 2) if size >= 2 else (0,)
        self.data_start = offset + 2 + self.header_size
        self.data_end = self.data_start + self.packed_size

    @property
    def text_name(self):
        return self.name.decode("latin-1")


def members(data):
    """The members of the archive in data, in order. Raises ValueError for a
    header cut short or an archive that ends without its 0 byte."""
    found = []
    offset = 0
    while True:
        if offset >= len(data):
            raise ValueError("the archive ends without its 0 byte")
        if data[offset] == 0:
            return found
        member = Member(data, offset)
        found.append(member)
        offset = member.data_end


def end_mark_offset(data):
    """Where the archive's 0 byte lies."""
    found = members(data)
    return found[-1].data_end if found else 0
