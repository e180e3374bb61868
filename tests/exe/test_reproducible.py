#!/usr/bin/env python3
"""Two clean builds of the same sources, in two different directories, give byte-identical
executables: no time stamps and no build paths in the file.

    python3 test_reproducible.py SOURCE_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile


def sources(root):
    """The files Git tracks or would track, otherwise the tree without builds."""
    try:
        out = subprocess.run(["git", "-C", root, "ls-files", "-z", "--cached", "--others",
                              "--exclude-standard"], check=True,
                             capture_output=True).stdout
        return [f for f in out.decode().split("\0") if f]
    except (OSError, subprocess.CalledProcessError):
        files = []
        for here, dirs, names in os.walk(root):
            dirs[:] = [d for d in dirs if d not in ("build", ".git")]
            files += [os.path.relpath(os.path.join(here, n), root) for n in names]
        return files


def build(root, files, where):
    tree = os.path.join(where, "src")
    for f in files:
        if os.path.isfile(os.path.join(root, f)):
            os.makedirs(os.path.dirname(os.path.join(tree, f)), exist_ok=True)
            shutil.copy2(os.path.join(root, f), os.path.join(tree, f))
    out = os.path.join(where, "out")
    subprocess.run(["cmake", "-S", tree, "-B", out, "-G", "Ninja",
                    "-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(tree, "cmake", "mingw-i686.cmake"),
                    "-DCMAKE_BUILD_TYPE=MinSizeRel"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", out, "--target", "WindowHider"], check=True,
                   stdout=subprocess.DEVNULL)
    return open(os.path.join(out, "WindowHider.exe"), "rb").read()


def main():
    root = os.path.abspath(sys.argv[1])
    files = sources(root)
    # Different path lengths, so that an embedded path would also shift what follows it.
    with tempfile.TemporaryDirectory(prefix="wh-a-") as a, \
            tempfile.TemporaryDirectory(prefix="wh-build-b-longer-") as b:
        first, second = build(root, files, a), build(root, files, b)
    print("first build %d bytes, second build %d bytes" % (len(first), len(second)))
    if first == second:
        print("ok: the two executables are byte-identical")
        return 0
    at = next((k for k in range(min(len(first), len(second))) if first[k] != second[k]),
              min(len(first), len(second)))
    print("FAIL: the executables differ, first at offset 0x%x" % at)
    return 1


if __name__ == "__main__":
    sys.exit(main())
