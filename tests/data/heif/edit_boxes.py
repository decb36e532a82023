"""Edits the boxes of a HEIF file where heif-enc has no option for it:

  edit_boxes.py IN OUT primary           makes the file's other top-level image (the
                                         one pitm does not name) the primary image
  edit_boxes.py IN OUT turn ANGLE [MODE] gives the primary image a rotation (irot,
                                         ANGLE x 90 degrees anticlockwise) and, with
                                         MODE, a mirroring after it (imir: 0 top to
                                         bottom, 1 left to right)

The new properties are added at the end of ipco and associated with the primary
image in ipma; the boxes that hold them grow, and the file offsets in iloc move by
as many bytes when the data they point at comes after the meta box.
"""

import struct
import sys


def boxes(data, start, end):
    """(offset, header size, size, type) of each box between start and end."""
    found = []
    while start < end:
        size, kind = struct.unpack(">I4s", data[start:start + 8])
        header = 8
        if size == 1:
            size = struct.unpack(">Q", data[start + 8:start + 16])[0]
            header = 16
        elif size == 0:
            size = end - start
        found.append((start, header, size, kind.decode("latin-1")))
        start += size
    return found


def child(data, parent, kind, full_box=False):
    offset, header, size, _ = parent
    first = offset + header + (4 if full_box else 0)
    for box in boxes(data, first, offset + size):
        if box[3] == kind:
            return box
    raise SystemExit("no %s box" % kind)


class HeifFile:
    def __init__(self, data):
        self.data = bytearray(data)
        top = boxes(self.data, 0, len(self.data))
        self.meta = next(b for b in top if b[3] == "meta")

    def box(self, *path):
        box = self.meta
        for kind in path:
            box = child(self.data, box, kind, full_box=box[3] == "meta")
        return box

    def primary(self):
        offset, header, _, _ = self.box("pitm")
        version = self.data[offset + header]
        form = ">H" if version == 0 else ">I"
        return struct.unpack_from(form, self.data, offset + header + 4)[0], offset + header + 4, form

    def top_level_images(self):
        """Item IDs of coded or derived images that no other image uses."""
        offset, header, size, _ = self.box("iinf")
        version = self.data[offset + header]
        entries = boxes(self.data, offset + header + 4 + (2 if version == 0 else 4), offset + size)
        ids = []
        for entry_offset, entry_header, _, _ in entries:
            body = entry_offset + entry_header
            item_id = struct.unpack_from(">H", self.data, body + 4)[0]
            item_type = bytes(self.data[body + 8:body + 12]).decode("latin-1")
            if item_type in ("hvc1", "av01", "grid", "iden", "iovl"):
                ids.append(item_id)
        used = set()
        offset, header, size, _ = self.box("iref")
        for ref_offset, ref_header, _, kind in boxes(self.data, offset + header + 4, offset + size):
            if kind in ("dimg", "auxl", "thmb"):
                body = ref_offset + ref_header
                count = struct.unpack_from(">H", self.data, body + 2)[0]
                used.update(struct.unpack_from(">%dH" % count, self.data, body + 4))
        return [i for i in ids if i not in used]

    def make_other_primary(self):
        current, where, form = self.primary()
        others = [i for i in self.top_level_images() if i != current]
        if len(others) != 1:
            raise SystemExit("expected two top-level images, found %s" % (others + [current]))
        struct.pack_into(form, self.data, where, others[0])

    def add_properties(self, properties):
        """Appends property boxes to ipco and associates them with the primary image."""
        item, _, _ = self.primary()
        ipco = self.box("iprp", "ipco")
        first_index = len(boxes(self.data, ipco[0] + ipco[1], ipco[0] + ipco[2])) + 1
        added = b"".join(properties)
        ipma_offset, ipma_header, _, _ = self.box("iprp", "ipma")
        version, flags = self.data[ipma_offset + ipma_header], self.data[ipma_offset + ipma_header + 3]
        if version != 0 or flags & 1:
            raise SystemExit("only ipma version 0 with 7-bit indexes is handled")
        # Find the primary image's entry and add the associations (marked essential).
        position = ipma_offset + ipma_header + 4
        count = struct.unpack_from(">I", self.data, position)[0]
        position += 4
        for _ in range(count):
            entry_item = struct.unpack_from(">H", self.data, position)[0]
            associations = self.data[position + 2]
            if entry_item == item:
                new = bytes(0x80 | (first_index + i) for i in range(len(properties)))
                self.data[position + 2] = associations + len(properties)
                insert_at = position + 3 + associations
                self.data[insert_at:insert_at] = new
                break
            position += 3 + associations
        else:
            raise SystemExit("the primary image has no ipma entry")
        grown_ipma = len(properties)
        # The properties go at the end of ipco, which lies before ipma.
        ipco_end = ipco[0] + ipco[2]
        self.data[ipco_end:ipco_end] = added
        self.grow(["iprp", "ipco"], len(added))
        self.grow(["iprp", "ipma"], grown_ipma)
        self.grow(["iprp"], len(added) + grown_ipma)
        self.grow([], len(added) + grown_ipma)
        self.move_iloc(len(added) + grown_ipma)

    def grow(self, path, amount):
        """Adds amount to the size of the box at path, the boxes inside out: each is
        found through the sizes of the ones around it, grown or not yet."""
        box = self.meta
        for kind in path:
            box = child(self.data, box, kind, full_box=box[3] == "meta")
        offset, header = box[0], box[1]
        if header != 8:
            raise SystemExit("64-bit box sizes are not handled")
        size = struct.unpack_from(">I", self.data, offset)[0]
        struct.pack_into(">I", self.data, offset, size + amount)

    def move_iloc(self, amount):
        offset, header, _, _ = self.box("iloc")
        meta_end = self.meta[0] + self.meta[2]  # before the change
        body = offset + header
        version = self.data[body]
        sizes = self.data[body + 4]
        offset_size, length_size = sizes >> 4, sizes & 15
        more = self.data[body + 5]
        base_offset_size = more >> 4
        index_size = (more & 15) if version in (1, 2) else 0
        position = body + 6
        count_form = ">H" if version < 2 else ">I"
        count = struct.unpack_from(count_form, self.data, position)[0]
        position += struct.calcsize(count_form)
        forms = {0: None, 4: ">I", 8: ">Q"}
        for _ in range(count):
            position += 2 if version < 2 else 4
            method = 0
            if version in (1, 2):
                method = struct.unpack_from(">H", self.data, position)[0] & 15
                position += 2
            position += 2  # data reference index
            base = 0
            base_at = position
            if base_offset_size:
                base = struct.unpack_from(forms[base_offset_size], self.data, position)[0]
                position += base_offset_size
            extents = struct.unpack_from(">H", self.data, position)[0]
            position += 2
            for _ in range(extents):
                position += index_size
                extent_at = position
                extent = 0
                if offset_size:
                    extent = struct.unpack_from(forms[offset_size], self.data, position)[0]
                position += offset_size + length_size
                if method == 0 and not base_offset_size and offset_size and extent >= meta_end:
                    struct.pack_into(forms[offset_size], self.data, extent_at, extent + amount)
            if method == 0 and base_offset_size and base >= meta_end:
                struct.pack_into(forms[base_offset_size], self.data, base_at, base + amount)


def main():
    source, target, command = sys.argv[1:4]
    with open(source, "rb") as f:
        heif = HeifFile(f.read())
    if command == "primary":
        heif.make_other_primary()
    elif command == "turn":
        properties = [struct.pack(">I4sB", 9, b"irot", int(sys.argv[4]) & 3)]
        if len(sys.argv) > 5:
            properties.append(struct.pack(">I4sB", 9, b"imir", int(sys.argv[5]) & 1))
        heif.add_properties(properties)
    else:
        raise SystemExit("unknown command " + command)
    with open(target, "wb") as f:
        f.write(heif.data)


if __name__ == "__main__":
    main()
