#!/usr/bin/env bash
# Lets the 32-bit programs of the build run on a Debian 12 amd64 machine whose
# kernel cannot execute 32-bit code ("Exec format error"), or on any machine
# when VR_FORCE_EMULATION=1. Run as root; non-interactive and idempotent: a
# second run only checks. On a machine whose kernel runs 32-bit programs (and
# without the switch) it does nothing.
#   1. installs Wine's static 32-bit preloader and what building qemu needs,
#   2. builds qemu-i386 (user mode only) from Debian 12's qemu 7.2 source
#      with qemu-7.2-i386-wine.patch into /usr/local/lib/wine-nonia32/ (once:
#      a checksum of the patch decides whether to rebuild),
#   3. diverts /usr/lib/wine/wine-preloader to a script that runs the real
#      preloader under that qemu (so every 32-bit Wine process uses it),
#   4. registers that qemu in binfmt_misc for i386 ELF files when no entry
#      handles them yet (the -m32 host tests start through it).
# The patch: leaves the gap between two ELF segments free as the kernel does
# (Wine's preloader needs it), and raises unmasked x87 exceptions as the
# hardware does, so that vectored handlers and SEH see them.
# `setup.sh --remove` undoes steps 3 and 4. Environment: JOBS (build jobs).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
dest=/usr/local/lib/wine-nonia32
qemu=$dest/qemu-i386
patch_file=$here/qemu-7.2-i386-wine.patch
jobs=${JOBS:-$(nproc)}
binfmt=/proc/sys/fs/binfmt_misc
entry=wine-nonia32-i386

[ "$(id -u)" -eq 0 ] || { echo "emulation: run as root" >&2; exit 1; }

. "$here/../machine-kind.sh"

if [ "${1:-}" = --remove ]; then
    # Back to the kernel's own 32-bit loader on a machine that has one.
    [ ! -e "$binfmt/$entry" ] || echo -1 > "$binfmt/$entry"
    rm -f /etc/binfmt.d/$entry.conf
    if dpkg-divert --list /usr/lib/wine/wine-preloader | grep -q wine-nonia32; then
        rm -f /usr/lib/wine/wine-preloader
        dpkg-divert --package wine-nonia32 --remove --rename /usr/lib/wine/wine-preloader
    fi
    echo "emulation: removed"
    exit 0
fi

if vr_kernel_runs_i386 && [ "${VR_FORCE_EMULATION:-0}" != 1 ]; then
    exit 0
fi
# ---------------------------------------------------------------- packages
packages=(wine wine32:i386 wine64 wine32-preloader:i386 xvfb
          gcc make pkg-config meson ninja-build libglib2.0-dev python3 dpkg-dev patch)
dpkg --print-foreign-architectures | grep -qx i386 || { dpkg --add-architecture i386; need_update=1; }
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ] || [ -n "${need_update:-}" ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

# ---------------------------------------------------------------- qemu-i386
stamp=$dest/patch.sha256
want=$(sha256sum < "$patch_file" | cut -d' ' -f1)
if [ ! -x "$qemu" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$want" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    # Debian 12's qemu source through a private deb-src list (system apt
    # configuration untouched)
    mkdir -p "$work/lists/partial"
    cat > "$work/src.sources" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    apt_src=(-o Dir::Etc::SourceList="$work/src.sources" -o Dir::Etc::SourceParts=/dev/null
             -o Dir::State::Lists="$work/lists")
    apt-get -qq "${apt_src[@]}" update
    (cd "$work" && apt-get -qq "${apt_src[@]}" source qemu/bookworm >/dev/null 2>&1)
    src=$(find "$work" -maxdepth 1 -type d -name 'qemu-7.2*' | head -n1)
    [ -n "$src" ] || { echo "emulation: could not fetch qemu 7.2 source" >&2; exit 1; }
    patch -d "$src" -p1 --fuzz=0 < "$patch_file"
    mkdir "$src/build"
    (cd "$src/build" &&
        ../configure --target-list=i386-linux-user --disable-system --disable-tools \
            --disable-docs --disable-guest-agent --disable-werror --disable-capstone \
            --disable-gnutls --disable-nettle --disable-gcrypt --disable-linux-io-uring \
            --disable-numa --disable-libudev --disable-plugins >/dev/null &&
        ninja -j"$jobs" qemu-i386 >/dev/null)
    mkdir -p "$dest"
    install -m 755 "$src/build/qemu-i386" "$qemu.new"
    mv -f "$qemu.new" "$qemu"
    echo "$want" > "$stamp"
    rm -rf "$work"
    trap - EXIT
    rebuilt=1
fi

# ---------------------------------------------------------------- Wine's preloader
preloader=/usr/lib/wine/wine-preloader
wrapper="#!/bin/sh
# wine-nonia32: run Wine's 32-bit preloader (and so the whole process) under qemu-i386
exec $qemu /usr/lib/wine/wine-preloader.static \"\$@\""
if ! dpkg-divert --list "$preloader" | grep -q wine-nonia32; then
    dpkg-divert --package wine-nonia32 --add --rename --divert "$preloader.distrib" "$preloader"
fi
if [ "$(cat "$preloader" 2>/dev/null)" != "$wrapper" ]; then
    rm -f "$preloader"
    printf '%s\n' "$wrapper" > "$preloader"
    chmod 755 "$preloader"
fi

# ---------------------------------------------------------------- binfmt_misc
# The first exec of /usr/lib/wine/wine (before it re-executes itself through
# the preloader) needs some binfmt_misc entry for i386 ELF files.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
rule=":$entry:M::$magic:$mask:$qemu:F"
mkdir -p /etc/binfmt.d
[ "$(cat /etc/binfmt.d/$entry.conf 2>/dev/null)" = "$rule" ] || printf '%s\n' "$rule" > /etc/binfmt.d/$entry.conf
[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
# binfmt_misc is global to the machine: leave any other i386 entry alone
other=$(grep -l '^magic 7f454c4601010100000000000000000002000300' "$binfmt"/* 2>/dev/null |
        grep -v "/$entry\$" | head -n1 || true)
if [ -n "$other" ]; then
    echo "emulation: i386 programs start through the existing binfmt_misc entry $other"
else
    if [ -e "$binfmt/$entry" ] && [ -n "${rebuilt:-}" ]; then
        echo -1 > "$binfmt/$entry"      # re-register: flag F holds the old file open
    fi
    [ -e "$binfmt/$entry" ] || echo "$rule" > "$binfmt/register"
fi
vr_run_i386_through_binfmt || { echo "emulation: i386 programs still do not run" >&2; exit 1; }
echo "emulation: ready ($("$qemu" --version | head -n1); preloader wrapper $preloader)"
