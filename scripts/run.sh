#!/usr/bin/env bash
# Builds the calibrator, starts the simulated QM-07R (qm07r-sim) on a
# pseudo-terminal, maps it to COM3 and runs the calibrator on it. The
# simulator keeps its memory under ${XDG_CACHE_HOME:-~/.cache}/qm07-calibrator/sim
# and is stopped when the calibrator's window closes.
#
#   scripts/run.sh               on a desktop
#   scripts/run.sh --xvfb        without a display, under xvfb-run
#   scripts/run.sh -- savant     words after -- go to the calibrator (service mode)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QM_BUILD_DIR:-$root/build}
cache=${XDG_CACHE_HOME:-$HOME/.cache}/qm07-calibrator
link=$cache/qm07r-pty
use_xvfb=0
app_args=()

usage() { sed -n '2,10s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"; }

while (($#)); do
  case $1 in
    --xvfb) use_xvfb=1 ;;
    --) shift; app_args=("$@"); break ;;
    -h | --help) usage; exit 0 ;;
    *) echo "run.sh: unknown option '$1' (try --help)" >&2; exit 2 ;;
  esac
  shift
done

if ((!use_xvfb)) && [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  cat >&2 <<MSG
run.sh: no display (\$DISPLAY and \$WAYLAND_DISPLAY are empty), so the window has
nowhere to appear. On a machine without a desktop, run it on a virtual display:

    scripts/run.sh --xvfb

which runs the calibrator under xvfb-run (package xvfb); nothing is shown, but
the program and the simulator run as they would on a desktop.
MSG
  exit 1
fi

# What the build needs, installed when missing (the same helper as scripts/test.sh).
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
packages=("${qm_build_packages[@]}")
((use_xvfb)) && packages+=(xvfb xauth x11-apps imagemagick)
ensure_packages "${packages[@]}"

# The same build folder as scripts/test.sh; configured here only when it is new.
[[ -f $build/CMakeCache.txt ]] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$(nproc)" --target qm07-calibrator qm07r-sim

mkdir -p "$cache/sim"
rm -f "$link"
# The load on the simulated sensor, in mV/V: a file the simulator re-reads, so
# that it can be changed while the window runs. The signal settles after each
# change and carries noise, as a real sensor's does.
load_file=$cache/load-mvv
[[ -f $load_file ]] || echo 0 >"$load_file"
"$build/bin/qm07r-sim" --link "$link" --state "$cache/sim" \
  --signal-file "$load_file" --noise 0.00002 --settle 1.5 &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [[ -e $link ]] && break
  kill -0 "$sim_pid" 2>/dev/null || { echo "run.sh: qm07r-sim did not start" >&2; exit 1; }
  sleep 0.1
done
[[ -e $link ]] || { echo "run.sh: qm07r-sim made no $link" >&2; exit 1; }

echo "run.sh: the simulated QM-07R is on COM3 ($link); COM3 is selected, press Next."
echo "run.sh: to change the load while the window runs:  echo 1.25 > $load_file"
export QM07_PORT_COM3=$link
export QM07_COMPORT=3
if ((use_xvfb)); then
  # A display number of its own, so that it can be named here.
  display=99
  while [[ -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
  cat <<MSG
run.sh: the window is on the virtual display :$display. A screenshot of it:
    xwd -root -display :$display | convert xwd:- window.png
MSG
  xvfb-run -n "$display" -s "-screen 0 1280x800x24" "$build/bin/qm07-calibrator" "${app_args[@]}"
else
  "$build/bin/qm07-calibrator" "${app_args[@]}"
fi
