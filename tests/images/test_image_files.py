#!/usr/bin/env python3
"""Checks the committed cursor and icon files field by field, and that the
generator still gives the committed bytes."""
import os
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
IMAGES = os.path.join(ROOT, "ui", "images")

# The expected pictures, kept here rather than read from the generator's input
# so that a change to either side shows up. X dark, + mid grey, o light, . clear.
CROSSHAIR = [
    "................................",
    "................................",
    "...............XX...............",
    "..............X++X..............",
    ".............X++++X.............",
    ".............X++++X.............",
    ".............XX+++X.............",
    ".............X++++X.............",
    ".............X++++X.............",
    ".............X++++X.............",
    ".............X++++X.............",
    ".............X+XX+X.............",
    ".............X+++XX.............",
    "...XXXXXXXXXX++ooooXXXXXXXXXX...",
    "..X+++X+++X+oo+X++o++++++X+++X..",
    ".X++++++++X++oX..X+o+X++++++++X.",
    ".X++++++++X+++X..Xoo+X++++++++X.",
    "..X++X+++++++o+XX+o+X+++++X++X..",
    "...XXXXXXXXXX+ooo++XXXXXXXXXX...",
    ".............XX++XX.............",
    ".............X+XX+X.............",
    ".............X++++X.............",
    ".............X++++X.............",
    ".............X++++X.............",
    ".............X++++X.............",
    ".............X++++X.............",
    ".............X++++X.............",
    ".............X++++X.............",
    "..............X++X..............",
    "...............XX...............",
    "................................",
    "................................",
]

# X black, o white, . clear; rows 22 to 31 are clear.
HAND = [
    ".....XX.........................",
    "....XooX........................",
    "....XooX........................",
    "....XooX........................",
    "....XooX........................",
    "....XooXXX......................",
    "....XooXooXXX...................",
    "....XooXooXooXX.................",
    "....XooXooXooXoX................",
    "XXX.XooXooXooXooX...............",
    "XooXXooooooooXooX...............",
    "XoooXoooooooooooX...............",
    ".XooXoooooooooooX...............",
    "..XoXoooooooooooX...............",
    "..XoooooooooooooX...............",
    "...XooooooooooooX...............",
    "...XoooooooooooX................",
    "....XooooooooooX................",
    "....XooooooooooX................",
    ".....XooooooooX.................",
    ".....XooooooooX.................",
    ".....XXXXXXXXXX.................",
] + ["." * 32] * 10

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)

passed = 0
failed = 0


def check(ok, what, found):
    global passed, failed
    if ok:
        passed += 1
    else:
        failed += 1
    print("%s: %s: %s" % ("ok" if ok else "FAIL", what, found))
    return ok


def load(name, size):
    """The file's bytes, padded with zeros to `size` so that a short file
    fails its checks instead of stopping them."""
    with open(os.path.join(IMAGES, name), "rb") as f:
        data = f.read()
    check(len(data) == size, "%s is %d bytes" % (name, size), len(data))
    return data, data + bytes(max(0, size - len(data)))


def compare_fields(name, expected, found):
    for field, want in expected.items():
        check(found.get(field) == want, "%s %s is %r" % (name, field, want), found.get(field))


def bitmap_fields(data, at):
    names = ("biSize", "biWidth", "biHeight", "biPlanes", "biBitCount", "biCompression",
             "biSizeImage", "biXPelsPerMeter", "biYPelsPerMeter", "biClrUsed", "biClrImportant")
    return dict(zip(names, struct.unpack_from("<IiiHHIIiiII", data, at)))


def rgb_table(data, at, count):
    """Colour-table entries as ((R, G, B), reserved)."""
    out = []
    for i in range(count):
        b, g, r, reserved = struct.unpack_from("<BBBB", data, at + 4 * i)
        out.append(((r, g, b), reserved))
    return out


def bit(data, at, x):
    return (data[at + x // 8] >> (7 - x % 8)) & 1


# Cursors -------------------------------------------------------------------

def crosshair_class(rgb):
    r, g, b = rgb
    if not r == g == b:
        return "?"  # not a grey
    if r < 96:
        return "X"
    return "+" if r < 208 else "o"


def hand_class(rgb):
    return {BLACK: "X", WHITE: "o"}.get(rgb, "?")


def check_hand_table(table):
    for i, want in enumerate((BLACK, WHITE)):
        check(table[i][0] == want, "Hand.cur colour %d is %02X%02X%02X" % ((i,) + want),
              "%02X%02X%02X" % table[i][0])


def check_crosshair_table(table):
    # Black first, then one descending run of greys ending at 0x1B, then black.
    check(table[0][0] == BLACK, "CrossHair.cur colour 0 is black", "%02X%02X%02X" % table[0][0])
    check(table[1][0] == (0xF5,) * 3, "CrossHair.cur colour 1 is F5F5F5", "%02X%02X%02X" % table[1][0])
    last = max((i for i, (rgb, _) in enumerate(table) if rgb == (0x1B,) * 3), default=None)
    check(last is not None, "CrossHair.cur has the grey 1B1B1B", "index %s" % last)
    if last is None:
        return
    greys = [rgb for rgb, _ in table[1:last + 1]]
    not_grey = [i + 1 for i, (r, g, b) in enumerate(greys) if not r == g == b]
    check(not not_grey, "CrossHair.cur entries 1..%d are greys" % last,
          "not grey at %s" % not_grey if not_grey else "%d greys" % len(greys))
    levels = [r for r, _, _ in greys]
    rising = [i + 2 for i in range(len(levels) - 1) if levels[i + 1] >= levels[i]]
    check(not rising, "CrossHair.cur greys descend from F5 to 1B",
          "not descending at %s" % rising[:8] if rising else "%02X..%02X" % (levels[0], levels[-1]))
    rest = [i for i in range(last + 1, len(table)) if table[i][0] != BLACK]
    check(not rest, "CrossHair.cur entries %d..255 are black" % (last + 1),
          "not black at %s" % rest[:8] if rest else "%d black" % (len(table) - last - 1))


def check_cursor(name, size, colours, hotspot, image_bytes, bits, size_image, entries, check_table, picture, classify):
    file_bytes, data = load(name, size)
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    width, height, colour_count, entry_reserved, hx, hy, nbytes, offset = struct.unpack_from("<BBBBHHII", data, 6)
    compare_fields(name, {"reserved": 0, "type": 2, "image count": 1, "width": 32, "height": 32,
                          "colour count": colours, "entry reserved": 0, "hotspot": hotspot,
                          "image byte count": image_bytes, "image offset": 22},
                   {"reserved": reserved, "type": kind, "image count": count, "width": width,
                    "height": height, "colour count": colour_count, "entry reserved": entry_reserved,
                    "hotspot": (hx, hy), "image byte count": nbytes, "image offset": offset})
    compare_fields(name, {"biSize": 40, "biWidth": 32, "biHeight": 64, "biPlanes": 1, "biBitCount": bits,
                          "biCompression": 0, "biSizeImage": size_image, "biXPelsPerMeter": 0,
                          "biYPelsPerMeter": 0, "biClrUsed": 0, "biClrImportant": 0},
                   bitmap_fields(data, 22))

    table_at = 22 + 40
    table = rgb_table(data, table_at, entries)
    reserved_set = [i for i, (_, r) in enumerate(table) if r != 0]
    check(not reserved_set, "%s colour-table reserved bytes are 0" % name,
          "non-zero at %s" % reserved_set[:8] if reserved_set else "all %d zero" % entries)
    check_table(table)

    # Both bitmaps bottom-up; 32 pixels make whole 4-byte rows at both depths.
    colour_at = table_at + 4 * entries
    colour_row = 32 * bits // 8
    mask_at = colour_at + 32 * colour_row
    check(mask_at + 128 == len(file_bytes), "%s AND mask is the last 128 bytes" % name,
          "ends at %d of %d" % (mask_at + 128, len(file_bytes)))
    clear_wrong, clear_not_black = [], []
    for y, want in enumerate(picture):
        row = 31 - y
        found = ""
        for x in range(32):
            if bits == 8:
                index = data[colour_at + row * colour_row + x]
            else:
                index = bit(data, colour_at + row * colour_row, x)
            rgb = table[index][0] if index < entries else None
            and_bit = bit(data, mask_at + row * 4, x)
            if (and_bit == 1) != (want[x] == "."):
                clear_wrong.append((x, y))
            if and_bit == 1 and rgb != BLACK:
                clear_not_black.append((x, y))
            found += "." if and_bit == 1 else ("?" if rgb is None else classify(rgb))
        check(found == want, "%s row %2d" % (name, y), found)
    check(not clear_wrong, "%s AND bit is 1 exactly at the clear pixels" % name,
          "wrong at (x, y) %s" % clear_wrong[:8] if clear_wrong else "%d clear pixels" % "".join(picture).count("."))
    check(not clear_not_black, "%s clear pixels are black" % name,
          "not black at (x, y) %s" % clear_not_black[:8] if clear_not_black else "all black")


# Icon ----------------------------------------------------------------------

ICON_SIZES = ((16, 1128), (32, 4264))


def check_icon():
    name = "WindowHider.ico"
    end = 6 + 16 * len(ICON_SIZES)
    file_bytes, data = load(name, end + sum(n for _, n in ICON_SIZES))
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    compare_fields(name, {"reserved": 0, "type": 1, "image count": 2},
                   {"reserved": reserved, "type": kind, "image count": count})
    for i, (size, image_bytes) in enumerate(ICON_SIZES):
        width, height, colours, entry_reserved, planes, bpp, nbytes, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        what = "%s entry %d" % (name, i)
        compare_fields(what, {"size": (size, size), "colour count": 0, "reserved": 0, "planes": 1,
                              "bits per pixel": 32, "image byte count": image_bytes, "offset": end},
                       {"size": (width, height), "colour count": colours, "reserved": entry_reserved,
                        "planes": planes, "bits per pixel": bpp, "image byte count": nbytes, "offset": offset})
        if offset + image_bytes > len(data):
            check(False, "%s image inside the file" % what, "offset %s of %d bytes" % (offset, len(data)))
            continue
        info = bitmap_fields(data, offset)
        compare_fields("%s image" % what, {"biSize": 40, "biWidth": size, "biHeight": 2 * size,
                                           "biPlanes": 1, "biBitCount": 32, "biCompression": 0},
                       info)
        pixels_at = offset + 40
        pixels = [data[pixels_at + 4 * p:pixels_at + 4 * p + 4] for p in range(size * size)]
        opaque = sum(1 for p in pixels if p[3] == 255)
        check(opaque == size * size, "%s alpha 255 everywhere" % what, "%d of %d pixels" % (opaque, size * size))
        colours_used = len({p[:3] for p in pixels})
        check(colours_used >= 4, "%s is a drawing, not a flat fill" % what, "%d colours" % colours_used)
        mask = data[pixels_at + 4 * size * size:offset + image_bytes]
        check(len(mask) == size * 4 and not any(mask), "%s AND mask all 0" % what,
              "%d bytes, %d set" % (len(mask), sum(1 for b in mask if b)))
        end += image_bytes
    check(len(file_bytes) == end, "%s ends after its last image" % name,
          "%d bytes, images end at %d" % (len(file_bytes), end))


def check_generator():
    tool = os.path.join(ROOT, "tools", "make_images.py")
    run = subprocess.run([sys.executable, tool, "--check"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         universal_newlines=True)
    output = " | ".join(run.stdout.strip().splitlines())
    check(run.returncode == 0, "make_images.py --check gives the committed bytes",
          "exit %d: %s" % (run.returncode, output))


def main():
    cursors = [
        # name, file bytes, colour count, hotspot, image bytes, bits, biSizeImage, colours, ...
        ("CrossHair.cur", 2238, 0, (15, 16), 2216, 8, 1152, 256, check_crosshair_table, CROSSHAIR, crosshair_class),
        ("Hand.cur", 326, 2, (6, 0), 304, 1, 256, 2, check_hand_table, HAND, hand_class),
    ]
    for row in cursors:
        check_cursor(*row)
    check_icon()
    check_generator()
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
