#!/usr/bin/env bash
# Runs one Windows test program under Wine: a private prefix inside the build
# tree, no Mono/Gecko prompts, one wineserver kept alive for the whole test run
# (each process start is then cheap), and Xvfb when there is no display.
set -u
exe=$1; shift
build_dir=$(cd "$(dirname "$exe")" && pwd)
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
    # Once per prefix: can Wine start a program at all here? If not, every
    # Windows test is reported as skipped with the reason, never as passed.
    if [ ! -f "$WINEPREFIX/.vr-wine-ok" ] && [ ! -f "$WINEPREFIX/.vr-wine-fails" ]; then
        # Output to a file: Wine's services may keep a pipe open for ever.
        for _ in 1 2 3; do
            wine cmd /c exit 0 </dev/null >"$build_dir/.wine-check.log" 2>&1 9>&- &&
                { touch "$WINEPREFIX/.vr-wine-ok"; break; }
            sleep 2
        done
        if [ ! -f "$WINEPREFIX/.vr-wine-ok" ]; then
            mkdir -p "$WINEPREFIX"
            { tail -n 3 "$build_dir/.wine-check.log"; echo; } > "$WINEPREFIX/.vr-wine-fails"
        fi
    fi
) 9>"$build_dir/.wine-setup.lock"

if [ -f "$WINEPREFIX/.vr-wine-fails" ]; then
    echo "skipped: Wine cannot start a 32-bit program on this machine:"
    cat "$WINEPREFIX/.vr-wine-fails"
    exit 77
fi

exec wine "$exe" "$@"
