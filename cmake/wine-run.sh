#!/usr/bin/env bash
# Runs one Windows test program under Wine: a private prefix inside the build
# tree, no Mono/Gecko prompts, one wineserver kept alive for the whole test run
# (each process start is then cheap), and Xvfb when there is no display.
set -u
exe=$1; shift
build_dir=$(cd "$(dirname "$exe")" 2>/dev/null && pwd) || { echo "wine-run.sh: no folder for $exe" >&2; exit 1; }
while [ "$build_dir" != / ] && [ ! -f "$build_dir/CMakeCache.txt" ]; do build_dir=$(dirname "$build_dir"); done

export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win32
[ -n "${DISPLAY:-}" ] || export DISPLAY=:97

# Parallel tests share the display, the prefix (creating it takes about a
# minute) and the server, so set them up under one lock.
(
    flock 9
    if [ "$DISPLAY" = :97 ] && [ ! -e /tmp/.X11-unix/X97 ]; then
        (setsid Xvfb :97 -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 9>&- &)
        for _ in $(seq 100); do [ -e /tmp/.X11-unix/X97 ] && break; sleep 0.1; done
    fi
    # Wine's daemons outlive this script: they must not hold the lock or the
    # pipes through which ctest reads a test's output.
    [ -f "$WINEPREFIX/system.reg" ] || wineboot -i </dev/null >/dev/null 2>&1 9>&-
    # Xvfb runs no window manager: with windows managed, Wine waits about 2 s
    # for one on every top-level window it shows or hides (each message box).
    if [ ! -f "$WINEPREFIX/.vr-unmanaged" ]; then
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 9>&- &&
            touch "$WINEPREFIX/.vr-unmanaged"
    fi
    wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
    # Start Wine's services here, with their output away from the pipes
    # that ctest reads, and check that Wine can start a program at all: if
    # not, every Windows test is reported as skipped with the reason.
    if [ ! -f "$WINEPREFIX/.vr-wine-fails" ]; then
        ok=0
        for _ in 1 2 3; do
            wine cmd /c exit 0 </dev/null >"$build_dir/.wine-check.log" 2>&1 9>&- && { ok=1; break; }
            sleep 2
        done
        [ "$ok" = 1 ] || { mkdir -p "$WINEPREFIX"; tail -n 3 "$build_dir/.wine-check.log" > "$WINEPREFIX/.vr-wine-fails"; }
    fi
) 9>"$build_dir/.wine-setup.lock"

# A prefix made by hand without WINEARCH=win32 cannot run these programs:
# a fault of the tree, not of the machine.
if grep -q '^#arch=win64' "$WINEPREFIX/system.reg" 2>/dev/null; then
    echo "$WINEPREFIX is a 64-bit Wine prefix: remove it (the runner makes a 32-bit one)"
    exit 1
fi
if [ -f "$WINEPREFIX/.vr-wine-fails" ]; then
    echo "skipped: Wine cannot start a 32-bit program on this machine:"
    cat "$WINEPREFIX/.vr-wine-fails"
    exit 77
fi

[ "${VR_EMULATED:-0}" = 1 ] || exec wine "$exe" "$@"

# Under the user-mode emulator a program is now and then ended by a signal
# of the emulator's own (seen after every test had passed): run it once
# more, and report a second such end as skipped, never as passed.
wine "$exe" "$@"
rc=$?
[ "$rc" -gt 128 ] || exit "$rc"
echo "emulator: the program ended by signal $((rc - 128)); running it once more"
wine "$exe" "$@"
rc=$?
[ "$rc" -gt 128 ] || exit "$rc"
echo "skipped: ended twice by signal $((rc - 128)) under the qemu-i386 emulator"
exit 77
