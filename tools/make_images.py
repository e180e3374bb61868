#!/usr/bin/env python3
"""Writes ui/images/CrossHair.cur, Hand.cur and WindowHider.ico from the text
pictures beside them.

    python3 tools/make_images.py          regenerate the three files in place
    python3 tools/make_images.py --check  compare with the committed files; exit 1 if any differs

Cross-hair greys: colour-table index 0 is black, index i in 1..219 is the grey
246 - i (0xF5 at index 1 down to 0x1B at index 219, one entry per level), and
indexes 220..255 are black. A pixel of grey g therefore uses index 246 - g.
"""
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
IMAGES = os.path.join(ROOT, "ui", "images")

GREY_FIRST, GREY_LAST = 0xF5, 0x1B
DARK = 0x3C  # the outline
LIGHT = 0xE8  # the ring at the crossing
# Mid greys across an arm, lit from the top left: index = place across the arm.
MID = (0xCC, 0xBE, 0xB0, 0xA2, 0x94, 0x86)
ARM_FIRST, ARM_LAST = 13, 18  # the rows (and columns) of the horizontal (vertical) arm

# The icon's colours, (R, G, B) by picture letter.
ICON_COLOURS = {
    "K": (0x1C, 0x2A, 0x44),  # window frame
    "b": (0x5A, 0x92, 0xE6),  # title bar highlight
    "B": (0x2F, 0x6F, 0xD0),  # title bar
    "w": (0xF0, 0xF4, 0xFA),  # close mark, eye highlight
    "W": (0xFA, 0xFB, 0xFD),  # window body
    "E": (0x26, 0x2E, 0x3A),  # eye outline
    "I": (0x3A, 0x7B, 0xC8),  # iris
    "P": (0x10, 0x10, 0x18),  # pupil
    "R": (0xD8, 0x2C, 0x2C),  # the slash
}


def read_picture(name, size, letters):
    path = os.path.join(IMAGES, name)
    with open(path, encoding="ascii") as f:
        rows = f.read().splitlines()
    if len(rows) != size or any(len(r) != size for r in rows):
        sys.exit("%s: expected %d rows of %d characters" % (path, size, size))
    bad = set("".join(rows)) - set(letters)
    if bad:
        sys.exit("%s: unknown characters %s" % (path, "".join(sorted(bad))))
    return rows


def bitmap_info(width, height, bits, size_image):
    # BITMAPINFOHEADER with the height doubled for the AND mask.
    return struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, bits, 0, size_image, 0, 0, 0, 0)


def pack_bits(bits):
    """One row of 1-bit pixels, leftmost in the high bit, padded to 4 bytes."""
    out = bytearray((len(bits) + 31) // 32 * 4)
    for x, bit in enumerate(bits):
        if bit:
            out[x // 8] |= 0x80 >> (x % 8)
    return bytes(out)


def and_mask(rows, clear):
    """Bottom-up AND mask: 1 where the pixel is `clear`."""
    return b"".join(pack_bits([ch == clear for ch in row]) for row in reversed(rows))


def cursor_file(width, height, colours, hotspot, image):
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", width, height, colours, 0, hotspot[0], hotspot[1], len(image), 22)
    return header + entry + image


def crosshair_grey(ch, row, col):
    if ch == "X":
        return DARK
    if ch == "o":
        return LIGHT
    in_vertical = ARM_FIRST <= col <= ARM_LAST
    in_horizontal = ARM_FIRST <= row <= ARM_LAST
    if in_vertical and in_horizontal:
        across = (col - ARM_FIRST + row - ARM_FIRST) // 2
    elif in_vertical:
        across = col - ARM_FIRST
    else:
        across = row - ARM_FIRST
    return MID[across]


def crosshair():
    rows = read_picture("crosshair.txt", 32, ".X+o")
    table = [(0, 0, 0)] + [(g, g, g) for g in range(GREY_FIRST, GREY_LAST - 1, -1)]
    table += [(0, 0, 0)] * (256 - len(table))
    colour_table = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in table)
    pixels = bytearray()
    for y in reversed(range(32)):
        for x, ch in enumerate(rows[y]):
            # Transparent pixels stay black (index 0), so nothing inverts.
            pixels.append(0 if ch == "." else GREY_FIRST + 1 - crosshair_grey(ch, y, x))
    mask = and_mask(rows, ".")
    image = bitmap_info(32, 32, 8, len(pixels) + len(mask)) + colour_table + bytes(pixels) + mask
    return cursor_file(32, 32, 0, (15, 16), image)


def hand():
    rows = read_picture("hand.txt", 32, ".Xo")
    colour_table = struct.pack("BBBB", 0, 0, 0, 0) + struct.pack("BBBB", 255, 255, 255, 0)
    colour = b"".join(pack_bits([ch == "o" for ch in row]) for row in reversed(rows))
    mask = and_mask(rows, ".")
    image = bitmap_info(32, 32, 1, len(colour) + len(mask)) + colour_table + colour + mask
    return cursor_file(32, 32, 2, (6, 0), image)


def icon_image(size):
    rows = read_picture("icon%d.txt" % size, size, "".join(ICON_COLOURS))
    pixels = bytearray()
    for row in reversed(rows):
        for ch in row:
            r, g, b = ICON_COLOURS[ch]
            pixels += bytes((b, g, r, 255))
    mask = pack_bits([False] * size) * size  # opaque everywhere
    return bitmap_info(size, size, 32, len(pixels) + len(mask)) + bytes(pixels) + mask


def icon():
    images = [(size, icon_image(size)) for size in (16, 32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(image for _, image in images)


def generate():
    return {"CrossHair.cur": crosshair(), "Hand.cur": hand(), "WindowHider.ico": icon()}


def describe_difference(old, new):
    if len(old) != len(new):
        return "committed %d bytes, generated %d" % (len(old), len(new))
    at = next(i for i in range(len(old)) if old[i] != new[i])
    count = sum(1 for a, b in zip(old, new) if a != b)
    return "%d bytes differ, first at offset %d (committed 0x%02X, generated 0x%02X)" % (count, at, old[at], new[at])


def main(argv):
    check = argv[1:] == ["--check"]
    if argv[1:] and not check:
        sys.exit("usage: make_images.py [--check]")
    differing = 0
    for name, data in generate().items():
        path = os.path.join(IMAGES, name)
        if check:
            try:
                with open(path, "rb") as f:
                    old = f.read()
            except OSError as e:
                print("%s: cannot read: %s" % (name, e.strerror))
                differing += 1
                continue
            if old == data:
                print("%s: same (%d bytes)" % (name, len(data)))
            else:
                print("%s: %s" % (name, describe_difference(old, data)))
                differing += 1
        else:
            with open(path, "wb") as f:
                f.write(data)
            print("wrote %s (%d bytes)" % (os.path.relpath(path, ROOT), len(data)))
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
