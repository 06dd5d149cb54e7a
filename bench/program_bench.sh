#!/usr/bin/env bash
# The whole program at work, run by hand (not a test): Vantorel.exe /x under
# Wine on generated Lorenz problems (examples/lorenz.vr with other spans and
# "Frequency" keys), side by side in one run, rounds interleaved, best and
# median wall time of each:
#   start-up and exit alone   Lorenz over [0, 0.01]
#   all shown                 [0, 500]: graph every point, text window every
#                             10th, status line every point (50,000 points)
#   graph off / text off / status off / nothing shown
#                             the same with that "Frequency" 0
#
#   bench/program_bench.sh [rounds] [Vantorel.exe]
#
# Defaults: 3 rounds, build/win32/bin/Vantorel.exe. Uses $DISPLAY, or an
# Xvfb of its own; the Wine prefix $WINEPREFIX, or build/win32/wineprefix
# (made once; without a window manager its X11 driver gets "Managed" = N,
# as the tests' runner does, or Wine waits 2 s on every window it hides).
set -uo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
exe=${2:-build/win32/bin/Vantorel.exe}
[ -f "$exe" ] || { echo "program_bench: no $exe (build the win32 tree first)" >&2; exit 1; }

export WINEPREFIX=${WINEPREFIX:-$PWD/build/win32/wineprefix} WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=:$(head -n1 "$work/display")
fi
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
if [ ! -f "$WINEPREFIX/.vr-unmanaged" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
        touch "$WINEPREFIX/.vr-unmanaged"
fi
wineserver -p  # one server for every start

# The program reads its settings beside itself: no tip, no instance check.
cp "$exe" "$work/Vantorel.exe"
printf '[Options]\r\nTip=0\r\nCheck previous=0\r\nSave position=0\r\n[Math libraries]\r\n' >"$work/Vantorel.ini"

# problem name, last value, then the "Frequency" of status line, graph and text window
make_problem() {
    awk -v last="$2" -v fs="$3" -v fg="$4" -v ft="$5" '
        /^\[/ { section = $0 }
        /^Last value / { sub(/= .*/, "= " last) }
        /^Frequency / {
            if (section ~ /^\[Status line\]/) sub(/= .*/, "= " fs)
            else if (section ~ /^\[Graphics window\]/) sub(/= .*/, "= " fg)
            else if (section ~ /^\[Text window\]/) sub(/= .*/, "= " ft)
        }
        { print }' examples/lorenz.vr >"$work/$1.vr"
}
names=(startup all graph-off text-off status-off none)
labels=("start-up and exit alone ([0, 0.01])" "[0, 500] graph, text window, status line"
        "[0, 500] graph off" "[0, 500] text window off" "[0, 500] status line off"
        "[0, 500] nothing shown")
make_problem startup 0.01 1 1 10
make_problem all 500 1 1 10
make_problem graph-off 500 1 0 10
make_problem text-off 500 1 1 0
make_problem status-off 500 0 1 10
make_problem none 500 0 0 0

windows_work=$(winepath -w "$work" 2>/dev/null)
declare -A times
for ((r = 1; r <= rounds; ++r)); do
    for name in "${names[@]}"; do
        start=$(date +%s.%N)
        wine "$work/Vantorel.exe" /x "$windows_work\\$name.vr" >/dev/null 2>&1
        rc=$?
        end=$(date +%s.%N)
        [ "$rc" = 0 ] || echo "program_bench: $name ended with $rc" >&2
        times[$name]+="$(echo "$end - $start" | bc) "
    done
    echo "round $r of $rounds done" >&2
done

stats() {  # best and median of the numbers given
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.2f %.2f", v[1], v[int((NR + 1) / 2)] }'
}
read -r base _ <<<"$(stats ${times[startup]})"
echo
echo "Vantorel.exe /x under Wine, wall seconds, best and median of $rounds rounds"
printf '%-44s %8s %8s %16s\n' "problem" "best" "median" "best - start-up"
for i in "${!names[@]}"; do
    read -r best median <<<"$(stats ${times[${names[$i]}]})"
    printf '%-44s %8s %8s %16.2f\n' "${labels[$i]}" "$best" "$median" "$(echo "$best - $base" | bc)"
done
