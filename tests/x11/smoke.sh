#!/usr/bin/env bash
# The program on a real X server (Xvfb): the main window appears where it
# should and is drawn, a second copy takes instance 1, X ends each with 0,
# bad options and a missing display are refused clearly.
#   smoke.sh LENTI3D X11_PROBE IMAGE_DEMO OUTDIR
set -u
lenti3d=$1 probe=$2 demo=$3 out=${4:-/tmp}
passed=0 failed=0
check() {  # check NAME COMMAND...
  if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi
}

command -v Xvfb >/dev/null || { echo "Xvfb missing (scripts/install-deps installs it)"; exit 1; }
n=90
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb=$!
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null; kill $xvfb 2>/dev/null; wait 2>/dev/null; }
trap cleanup EXIT
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.05; done
export DISPLAY=:$n

"$lenti3d" --cameras=demo >"$out/first.log" 2>&1 & first=$!; pids+=($first)
check "first window appears" "$probe" wait orvant_mw0 10000
sleep 1.2  # the drop-in animation
check "bottom centre, 248 x 80" test "$("$probe" geometry orvant_mw0)" = "516 944 248 80"
"$probe" screenshot "$out/x11_main_window.png" 480 900 320 124
check "caption drawn" test "$("$probe" pixel 530 950)" = "0A246A"
check "menu bar drawn" test "$("$probe" pixel 600 962)" != "000000"

"$lenti3d" >"$out/second.log" 2>&1 & second=$!; pids+=($second)
check "second copy takes instance 1" "$probe" wait orvant_mw1 10000
sleep 1.2
check "X ends the second copy" "$probe" key orvant_mw1 x
wait $second; rc=$?
check "second copy exit code 0" test $rc -eq 0
check "X ends the first copy" "$probe" key orvant_mw0 x
wait $first; rc=$?
check "first copy exit code 0" test $rc -eq 0
check "first window gone" "$probe" gone orvant_mw0 3000

"$demo" >"$out/demo.log" 2>&1 & demo_pid=$!; pids+=($demo_pid)
check "image windows appear" "$probe" wait orv_iw 10000
sleep 1.5
"$probe" screenshot "$out/x11_image_windows.png" 0 0 700 580
# 32-bit at 100: (0, 0) of the pattern is blue; 8-bit grey ramp through the colour table.
check "32-bit pattern shown" test "$("$probe" pixel 4 24)" = "0000FF"
check "8-bit pattern shown" test "$("$probe" pixel 164 334)" = "7F7F7F"
check "X ends the demo" "$probe" key orvant_mw0 x
wait $demo_pid; rc=$?
check "demo exit code 0" test $rc -eq 0

"$lenti3d" --frobnicate >/dev/null 2>"$out/bad.log"; rc=$?
check "unknown option: exit 2" test $rc -eq 2
check "unknown option: one line" test "$(wc -l <"$out/bad.log")" -eq 1
"$lenti3d" --backend=headless --cameras=files:/nonexistent/l.png,/nonexistent/r.png >/dev/null 2>"$out/files.log"; rc=$?
check "unreadable camera file: exit 2" test $rc -eq 2
check "unreadable camera file: named" grep -q "/nonexistent/l.png" "$out/files.log"
DISPLAY=:$((n + 50)) "$lenti3d" --backend=x11 >/dev/null 2>"$out/nodisplay.log"; rc=$?
check "no display: exit 1" test $rc -eq 1
check "no display: says how" grep -q "Xvfb" "$out/nodisplay.log"

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
