#!/bin/sh
# Installs everything the build and the tests need on Debian 12. Safe to run again:
# each step checks first and does nothing when its work is already done.
set -eu

if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then exec sudo -E sh "$0" "$@"; fi
    echo "setup: run as root" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive

PACKAGES="mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix cmake ninja-build make \
 wine wine32 wine64 wine32-preloader wine64-preloader qemu-user-static fonts-wine xvfb xdotool x11-utils imagemagick locales fonts-wqy-microhei \
 googletest clang libclang-rt-14-dev python3 binutils-mingw-w64-i686 gcc libx11-dev libxfixes-dev"

missing=""
for p in $PACKAGES; do
    case "$p" in
        wine32|wine32-preloader) q="$p:i386" ;;
        *) q="$p" ;;
    esac
    if ! dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    # wine32 must come from the i386 architecture.
    list=""
    for p in $missing; do
        case "$p" in
            wine32|wine32-preloader) list="$list $p:i386" ;;
            *) list="$list $p" ;;
        esac
    done
    apt-get install -y -qq --no-install-recommends $list
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
    sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi

# Some machines (this sandbox among them) run a kernel that cannot execute 32-bit
# x86 code. Wine's 32-bit side then runs under qemu's user-mode emulator instead.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    fi
    if [ ! -e /proc/sys/fs/binfmt_misc/wh-qemu-i386 ]; then
        printf '%s' ':wh-qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            >/proc/sys/fs/binfmt_misc/register
    fi
    /lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "setup: cannot run 32-bit x86 code" >&2; exit 1; }
fi

echo "setup: ready"
