#!/usr/bin/env bash
# Whole-process CPU of the monitor while it polls 95 channels through
# qvx720-sim at 19200 baud under Xvfb, as a share of one core.
#   bench/cpu_share.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
BUILD=${1:-build}
SECS=${2:-30}
WORK=$(mktemp -d)
PID=
trap 'kill $PID $SIM $APP 2>/dev/null || true; rm -rf "$WORK"' EXIT
"$BUILD/src/sim/qvx720-sim" --all --baud 19200 --link "$WORK/line" >/dev/null &
SIM=$!
for _ in $(seq 50); do [ -e "$WORK/line" ] && break; sleep 0.1; done
printf '[QVX-720 Monitor]\nPort=COM1\nSpeed=19200\nTime_Count=2\n' > "$WORK/s.ini"
QVX720_COM1="$WORK/line" xvfb-run -a -s "-screen 0 1280x900x24" \
  "$BUILD/src/app/qvx720" --settings "$WORK/s.ini" --data-dir "$WORK" >/dev/null 2>&1 &
APP=$!
# The start-up scan of 95 channels takes about 80 s at 19200 baud; wait for
# the first alarm-history entry or a fixed time, whichever comes first.
sleep 100
PID=$(pgrep -f "^$BUILD/src/app/qvx720 --settings $WORK/s.ini" | head -1)
tick=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$PID/stat"; }
a=$(cpu); sleep "$SECS"; b=$(cpu)
echo "monitor CPU while polling 95 channels at 19200 baud: $(awk -v a="$a" -v b="$b" -v t="$tick" -v s="$SECS" \
  'BEGIN { printf "%.1f%% of one core over %d s", 100 * (b - a) / t / s, s }')"
