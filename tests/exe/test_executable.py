#!/usr/bin/env python3
"""The built executable, read back from the file itself: a 32-bit GUI program that imports only
DLLs every Windows ships, hardened (ASLR, DEP, no section both writable and executable), with the
program icon group and its images, the manifest and the version.

    python3 test_executable.py WindowHider.exe 1.0.0.0
"""
import struct
import sys

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
passed = failed = 0


def check(condition, message):
    global passed, failed
    if condition:
        passed += 1
        print("ok: " + message)
    else:
        failed += 1
        print("FAIL: " + message)


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, sections, _, _, _, opt_size, self.characteristics = struct.unpack_from(
            "<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, opt + 68)
        dirs = opt + 96  # PE32: the data directories start here
        self.import_rva = struct.unpack_from("<I", data, dirs + 1 * 8)[0]
        self.resource_rva, self.resource_size = struct.unpack_from("<II", data, dirs + 2 * 8)
        self.reloc_rva, self.reloc_size = struct.unpack_from("<II", data, dirs + 5 * 8)
        self.sections = []
        at = opt + opt_size
        for k in range(sections):
            name, vsize, va, rsize, raw = struct.unpack_from("<8sIIII", data, at + 40 * k)
            flags = struct.unpack_from("<I", data, at + 40 * k + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode(), va, vsize, raw, rsize, flags))

    def offset(self, rva):
        for _, va, vsize, raw, rsize, _ in self.sections:
            if va <= rva < va + max(vsize, rsize):
                return raw + rva - va
        raise ValueError("rva 0x%x outside every section" % rva)

    def imports(self):
        names = []
        at = self.offset(self.import_rva)
        while True:
            name_rva = struct.unpack_from("<I", self.data, at + 12)[0]
            if name_rva == 0:
                return names
            start = self.offset(name_rva)
            names.append(self.data[start:self.data.index(b"\0", start)].decode().lower())
            at += 20

    def resources(self):
        """{type: {name: {language: bytes}}}; names are ints or strings."""
        base = self.offset(self.resource_rva)

        def directory(at):
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for k in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, at + 16 + 8 * k)
                if name & 0x80000000:
                    s = base + (name & 0x7FFFFFFF)
                    n = struct.unpack_from("<H", self.data, s)[0]
                    name = self.data[s + 2:s + 2 + 2 * n].decode("utf-16-le")
                yield name, target

        tree = {}
        for rtype, t in directory(base):
            for name, n in directory(base + (t & 0x7FFFFFFF)):
                for lang, leaf in directory(base + (n & 0x7FFFFFFF)):
                    rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset(rva)
                    tree.setdefault(rtype, {}).setdefault(name, {})[lang] = self.data[start:start + size]
        return tree


def version_info(block):
    """(fixed file info words, {string name: value}) of a VS_VERSIONINFO resource."""
    def node(at):
        length, value_length, kind = struct.unpack_from("<HHH", block, at)
        end_key = at + 6
        while block[end_key:end_key + 2] != b"\0\0":
            end_key += 2
        key = block[at + 6:end_key].decode("utf-16-le")
        value_at = (end_key + 2 + 3) & ~3
        value_bytes = value_length * 2 if kind == 1 else value_length
        children_at = (value_at + value_bytes + 3) & ~3
        return key, block[value_at:value_at + value_bytes], children_at, at + length

    def children(start, end):
        at = start
        while at < end:
            key, value, inner, after = node(at)
            yield key, value, inner, after
            at = (after + 3) & ~3

    key, fixed, inner, end = node(0)
    if key != "VS_VERSION_INFO":
        raise ValueError("version resource key %r" % key)
    words = struct.unpack_from("<13I", fixed)
    strings = {}
    for k, _, table_start, table_end in children(inner, end):
        if k == "StringFileInfo":
            for _, _, entries_start, entries_end in children(table_start, table_end):
                for name, value, _, _ in children(entries_start, entries_end):
                    strings[name] = value.decode("utf-16-le").rstrip("\0")
    return words, strings


def check_hardening(pe):
    dynamic_base, nx_compat = 0x40, 0x100
    check(pe.dll_characteristics & dynamic_base,
          "DllCharacteristics 0x%x marks ASLR (dynamic base)" % pe.dll_characteristics)
    check(pe.dll_characteristics & nx_compat,
          "DllCharacteristics 0x%x marks DEP (NX compatible)" % pe.dll_characteristics)
    # A dynamic base without relocations cannot be moved, and old linkers dropped them.
    check(pe.reloc_rva != 0 and pe.reloc_size > 0,
          "base relocations at 0x%x, %d bytes" % (pe.reloc_rva, pe.reloc_size))
    check(not pe.characteristics & 0x0001,
          "characteristics 0x%x: relocations not stripped" % pe.characteristics)
    write, execute = 0x80000000, 0x20000000
    both = [name for name, _, _, _, _, flags in pe.sections if flags & write and flags & execute]
    check(not both, "sections both writable and executable: %r" % both)


def check_version(res, expected):
    versions = res.get(RT_VERSION, {})
    check(list(versions) == [1], "version resource ids %r" % list(versions))
    block = versions.get(1, {}).get(0)
    check(block is not None, "version resource is language neutral")
    if block is None:
        return
    words, strings = version_info(block)
    check(words[0] == 0xFEEF04BD, "fixed file info signature 0x%x" % words[0])
    numbers = tuple(int(n) for n in expected.split("."))
    file_version = (words[2] >> 16, words[2] & 0xFFFF, words[3] >> 16, words[3] & 0xFFFF)
    check(file_version == numbers, "file version %r is %s" % (file_version, expected))
    check(words[9] == 1, "file type %d is an application" % words[9])
    wanted = {"ProductName": "WindowHider", "FileVersion": expected, "ProductVersion": expected,
              "OriginalFilename": "WindowHider.exe"}
    for name, value in wanted.items():
        check(strings.get(name) == value, "%s is %r" % (name, strings.get(name)))
    description = strings.get("FileDescription", "")
    check("F1" in description and "F2" in description,
          "FileDescription %r says what the file does" % description)


def main():
    data = open(sys.argv[1], "rb").read()
    check(len(data) <= 64 * 1024, "the file is %d bytes, at most 64 KiB" % len(data))
    pe = Pe(data)
    check(pe.machine == 0x14C, "machine 0x%x is Intel 80386" % pe.machine)
    check(pe.magic == 0x10B, "optional header magic 0x%x is PE32" % pe.magic)
    check(pe.subsystem == 2, "subsystem %d is the Windows GUI" % pe.subsystem)
    shipped = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll"}
    imported = pe.imports()
    check(set(imported) <= shipped, "imports %r: only DLLs that Windows ships" % imported)
    check_hardening(pe)
    res = pe.resources()
    check_version(res, sys.argv[2])

    groups = res.get(RT_GROUP_ICON, {})
    names = list(groups)
    check(names[:1] == ["DEFAULT_ICON"], "icon groups %r: DEFAULT_ICON is the first" % names)
    group = groups.get("DEFAULT_ICON", {})
    check(list(group) == [0], "DEFAULT_ICON languages %r: neutral only" % list(group))
    icons = res.get(RT_ICON, {})
    if 0 in group:
        g = group[0]
        reserved, gtype, count = struct.unpack_from("<HHH", g, 0)
        check((reserved, gtype, count) == (0, 1, 2), "group header %r" % ((reserved, gtype, count),))
        seen = []
        for k in range(count):
            w, h, colours, _, planes, bits, size, ident = struct.unpack_from("<BBBBHHIH", g, 6 + 14 * k)
            seen.append((w, h, bits, size))
            image = icons.get(ident, {}).get(0)
            check(image is not None and len(image) == size,
                  "icon %d (%dx%d) is there with %d bytes" % (ident, w, h, size))
            if image is not None:
                bi_size, bi_w, bi_h, _, bi_bits = struct.unpack_from("<IiiHH", image, 0)
                check((bi_w, bi_h, bi_bits) == (w, 2 * h, 32),
                      "icon %d header %dx%d, %d bits" % (ident, bi_w, bi_h, bi_bits))
                pixels = image[40:40 + 4 * w * h]
                check(all(pixels[i] == 255 for i in range(3, len(pixels), 4)),
                      "icon %d is fully opaque" % ident)
        check(sorted(seen) == [(16, 16, 32, 1128), (32, 32, 32, 4264)],
              "images (w, h, bits, bytes) %r" % sorted(seen))

    manifests = res.get(RT_MANIFEST, {})
    check(list(manifests) == [1], "manifest ids %r" % list(manifests))
    manifest = manifests.get(1, {})
    check(list(manifest) == [0], "manifest languages %r: neutral only" % list(manifest))
    text = manifest.get(0, b"").decode("utf-8", "replace")
    for needle in ['manifestVersion="1.0"', 'type="win32"', 'version="5.1.0.0"',
                   'processorArchitecture="x86"', 'name="Microsoft.Windows.Common-Controls"',
                   'version="6.0.0.0"', 'publicKeyToken="6595b64144ccf1df"', 'language="*"']:
        check(needle in text, "manifest has %s" % needle)
    check(text.lstrip().startswith('<?xml version="1.0" encoding="UTF-8"'), "manifest is UTF-8 XML")

    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
