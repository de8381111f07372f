#!/usr/bin/env bash
# The sample's scripted run in a window, measured: wall time, frames a second
# and the share of a core the process used ((user + system) / wall), with the
# machine's load before and after. The window goes to a virtual X server
# (Xvfb, software OpenGL) started for the run, or to $DISPLAY with --here.
#
#   tools/window-run-figures.sh [--build DIR] [--frames N] [--runs R] [--here]
#   tools/window-run-figures.sh [--build DIR] --kill client|destroy|server|term|int|hup [--after S]
#   tools/window-run-figures.sh [--build DIR] --kill appear [--runs R]
#
# The second form ends a running program after S seconds (default 8):
# "client" kills its X connection (xdotool windowkill), "destroy" destroys
# its window from another client (xdotool windowclose), "server" kills the X
# server, "term", "int" and "hup" send it SIGTERM, SIGINT or SIGHUP. It reports how long the
# program took to end, its exit code, and any process of the run left behind.
# "appear" destroys the window the moment it exists (looked for every 20 ms),
# R times.
#
# Needs Xvfb and xdotool (Debian: xvfb xdotool). Figures are only worth
# comparing when the load is low (below 2 on an 8-core machine): repeat
# them when it was not.
set -uo pipefail

build=build
frames=600
runs=1
here=0
kill_what=""
kill_after=8
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --frames) frames=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --here) here=1; shift ;;
    --kill) kill_what=$2; shift 2 ;;
    --after) kill_after=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--frames N] [--runs R] [--here] [--kill client|destroy|appear|server|term|int|hup [--after S]]" >&2
       exit 2 ;;
  esac
done
case "$kill_what" in ""|client|destroy|appear|server|term|int|hup) ;;
  *) echo "$0: --kill takes client, destroy, appear, server, term, int or hup" >&2; exit 2 ;; esac
[ -n "$kill_what" ] && [ "$here" = 1 ] && { echo "$0: --kill needs an X server of its own; no --here" >&2; exit 2; }

bin=$build/quillmere
input=$build/sample/input.txt
[ -x "$bin" ] || { echo "$0: no $bin (make build first)" >&2; exit 2; }
command -v xdotool > /dev/null || { echo "$0: xdotool is missing" >&2; exit 2; }

load() { cut -d' ' -f1 /proc/loadavg; }
now() { date +%s.%N; }
logdir=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null
  rm -rf "$logdir"
}
trap cleanup EXIT

start_xvfb() {
  command -v Xvfb > /dev/null || { echo "$0: Xvfb is missing" >&2; exit 2; }
  local n
  for n in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp > "$logdir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do
      xdotool getdisplaygeometry > /dev/null 2>&1 && return 0
      sleep 0.1
    done
    kill "$xvfb_pid" 2> /dev/null
    xvfb_pid=""
  done
  echo "$0: no X server could be started" >&2
  exit 2
}

[ "$here" = 1 ] || start_xvfb
[ -n "${DISPLAY:-}" ] || { echo "$0: no DISPLAY" >&2; exit 2; }

# CPU time of this shell's waited-for children, in seconds: user + system.
# `times` must run in this shell itself, not in a command substitution's.
child_cpu() {
  times > "$logdir/times"
  tail -1 "$logdir/times" | awk '{
    t = 0
    for (i = 1; i <= 2; i++) { split($i, p, "m"); sub("s", "", p[2]); t += p[1] * 60 + p[2] }
    printf "%.3f", t }'
}

if [ -z "$kill_what" ]; then
  echo "window run: $frames frames of the sample's scripted input, DISPLAY=$DISPLAY"
  for r in $(seq "$runs"); do
    log=$logdir/run$r.log
    load0=$(load)
    child_cpu > "$logdir/cpu0"
    cpu0=$(cat "$logdir/cpu0")
    t0=$(now)
    "$bin" --frames "$frames" --input "$input" > "$log" 2>&1
    rc=$?
    t1=$(now)
    child_cpu > "$logdir/cpu1"
    cpu1=$(cat "$logdir/cpu1")
    load1=$(load)
    awk -v r="$r" -v f="$frames" -v t0="$t0" -v t1="$t1" -v c0="$cpu0" -v c1="$cpu1" -v l0="$load0" \
        -v l1="$load1" -v rc="$rc" 'BEGIN {
      w = t1 - t0
      printf "run %d: %.2f s wall, %.2f frames a second, %.2f of a core (cpu %.2f s), load %s -> %s, exit %d\n",
             r, w, f / w, (c1 - c0) / w, c1 - c0, l0, l1, rc }'
    grep -h "frames shown" "$log" | sed 's/^/  the program: /'
    grep -h '^\[Error' "$log" | head -5
  done
  exit 0
fi

# Ending the display under a running program.
[ "$kill_what" = appear ] || runs=1
poll=0.1
[ "$kill_what" = appear ] && { poll=0.02; kill_after=0; }
all_ended=1
for r in $(seq "$runs"); do
log=$logdir/kill$r.log
t_start=$(now)
"$bin" --input "$input" > "$log" 2>&1 &
pid=$!
wid=""
for _ in $(seq 500); do
  wid=$(xdotool search --pid "$pid" 2> /dev/null | head -1)
  [ -n "$wid" ] && break
  sleep "$poll"
done
[ -n "$wid" ] || { echo "$0: the program's window did not appear" >&2; kill "$pid"; exit 1; }
sleep "$kill_after"
load0=$(load)
t0=$(now)
case "$kill_what" in
  client) xdotool windowkill "$wid" ;;
  destroy|appear) xdotool windowclose "$wid" ;;
  server) kill "$xvfb_pid"; xvfb_pid="" ;;
  term) kill -TERM "$pid" ;;
  int) kill -INT "$pid" ;;
  hup) kill -HUP "$pid" ;;
esac
# At most 10 s: what is still running then is reported and killed.
ended=0
for _ in $(seq 200); do
  kill -0 "$pid" 2> /dev/null || { ended=1; break; }
  sleep 0.05
done
t1=$(now)
if [ "$ended" = 1 ]; then
  wait "$pid"
  rc=$?
  awk -v w="$kill_what" -v ts="$t_start" -v t0="$t0" -v t1="$t1" -v rc="$rc" -v l="$load0" -v r="$r" \
      'BEGIN { printf "run %d --kill %s: %.2f s after the start, the program ended %.2f s later, exit %d (load %s)\n",
               r, w, t0 - ts, t1 - t0, rc, l }'
  grep -h "window was destroyed\|did not end within" "$log" | head -2 | sed 's/^/  the program: /'
else
  all_ended=0
  echo "--kill $kill_what: the program was still running 10 s later (load $load0); killing it"
  kill -9 "$pid"
  wait "$pid"
fi
left=$(pgrep -s "$(ps -o sid= -p $$ | tr -d ' ')" -f "$bin" || true)
[ -n "$left" ] && echo "left behind: $left" || echo "nothing of the run left behind"
[ "$runs" = 1 ] && grep -h -i "display\|X connection\|frames shown\|stop video\|XIO" "$log" | tail -6 | sed 's/^/  the program: /'
done
[ "$all_ended" = 1 ]
