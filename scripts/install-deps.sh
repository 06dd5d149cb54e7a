#!/usr/bin/env bash
# Installs what building and testing need on Debian 12. Non-interactive and
# idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(cmake make g++ g++-multilib g++-mingw-w64-i686 binutils-mingw-w64-i686
          wine wine32 wine64 xvfb x11-utils googletest imagemagick ghostscript
          libfmt-dev patch)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

need_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1

missing=()
for p in "${packages[@]}"; do
    arch_p=$p
    [ "$p" = wine32 ] && arch_p=wine32:i386
    dpkg-query -W -f='${Status}' "$arch_p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$arch_p")
done

if [ "$need_i386" -eq 1 ] || [ "${#missing[@]}" -gt 0 ]; then
    [ "$need_i386" -eq 0 ] || "${sudo_cmd[@]}" dpkg --add-architecture i386
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

# Machines whose kernel cannot run 32-bit programs (and any machine with
# VR_FORCE_EMULATION=1): the host tests and Wine run under a patched
# user-mode emulator, built once here.
. "$(dirname "$0")/machine-kind.sh"
vr_detect_machine_kind
if [ "$vr_emulated" = 1 ]; then
    "${sudo_cmd[@]}" env VR_FORCE_EMULATION="${VR_FORCE_EMULATION:-0}" \
        "$(dirname "$0")/emulation/setup.sh"
fi
