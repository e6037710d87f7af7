#!/usr/bin/env bash
# What the Windows builds and the end-to-end stages need beyond g++, cmake, GoogleTest
# and Google Benchmark: the two mingw-w64 cross compilers (the -win32 thread model, so
# the DLL needs no winpthread), wine64 and a virtual display, for the release zip, NSIS
# and 7-Zip (to look inside the installer), and for running the 32-bit DLL itself,
# Debian's 32-bit Wine with the 32-bit Linux parts emulated by qemu-i386-static.
# Runs apt only when something is missing.
set -euo pipefail

packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 xvfb xauth zip nsis p7zip-full
          qemu-user-static binfmt-support)
# A command each package brings; present means nothing to install.
commands=(i686-w64-mingw32-g++-win32 x86_64-w64-mingw32-g++-win32 /usr/lib/wine/wine64 Xvfb xauth zip makensis 7z
          /usr/bin/qemu-i386-static update-binfmts)
# The 32-bit Wine loader, brought by wine32:i386 once i386 is a foreign architecture.
wine32_loader=/usr/lib/wine/wine

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo=sudo; fi
export DEBIAN_FRONTEND=noninteractive

missing=()
for i in "${!packages[@]}"; do
    if ! command -v "${commands[$i]}" >/dev/null 2>&1; then missing+=("${packages[$i]}"); fi
done
if [ ! -x "$wine32_loader" ]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "adding i386 as a foreign architecture (for wine32)"
        $sudo dpkg --add-architecture i386
    fi
    missing+=(wine32:i386)
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    $sudo apt-get update
    $sudo apt-get install -y "${missing[@]}"
fi

# The kernel runs no 32-bit Linux program itself: i386 ELF files go to qemu-i386-static.
# Kernel state, gone after a reboot: checked on every run. Flag F opens the emulator
# now, so it serves programs in any mount namespace later. Trouble here is reported,
# not fatal: the other stages need none of it, and the 32-bit stage fails saying why.
binfmt=/proc/sys/fs/binfmt_misc
i386_entry=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F'
if [ ! -e "$binfmt/register" ]; then
    $sudo mount -t binfmt_misc binfmt_misc "$binfmt" ||
        echo "could not mount binfmt_misc: 32-bit programs will not run" >&2
fi
if [ -e "$binfmt/register" ] && [ ! -e "$binfmt/qemu-i386" ]; then
    echo "registering qemu-i386-static for i386 programs"
    printf '%s\n' "$i386_entry" | $sudo tee "$binfmt/register" >/dev/null ||
        echo "could not register qemu-i386-static with binfmt_misc: 32-bit programs will not run" >&2
fi
if [ -e "$binfmt/qemu-i386" ] && ! head -n 1 "$binfmt/qemu-i386" | grep -qx enabled; then
    echo 1 | $sudo tee "$binfmt/qemu-i386" >/dev/null || true
fi
