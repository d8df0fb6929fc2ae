#!/usr/bin/env bash
# Drives the real Tessary.exe under Wine as a user would: real keys and clicks through the X
# server (xdotool), then checks the titles, the saved bytes and the registry key.
# Usage: end_to_end.sh path/to/Tessary.exe   (DISPLAY and TESSARY_WINEPREFIX set, as ctest does)
set -euo pipefail

exe="$(realpath "$1")"
root="$(cd "$(dirname "$0")/../.." && pwd)"
[ -n "${DISPLAY:-}" ] || { echo "end_to_end: DISPLAY is not set" >&2; exit 1; }
[ -n "${TESSARY_WINEPREFIX:-}" ] || { echo "end_to_end: TESSARY_WINEPREFIX is not set" >&2; exit 1; }

work="$(mktemp -d /tmp/tessary-e2e-XXXXXX)"
failures=0
cleanup() {
  local pids
  pids="$(tessary_processes | cut -d' ' -f1)"
  [ -z "$pids" ] || kill $pids 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A failure also lists the windows on the display, with where they are, to tell a click that
# missed from a program that did not answer.
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
  local id
  for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null | head -n 12); do
    echo "  window $id [$(xdotool getwindowname "$id" 2>/dev/null)] $(xdotool getwindowgeometry "$id" 2>/dev/null | tr '\n' ' ')" >&2
  done
}
check_eq() { # what expected actual
  if [ "$2" == "$3" ]; then echo "ok: $1"; else fail "$1: expected [$2], got [$3]"; fi
}
winpath() { local full; full="$(realpath -m -- "$1")"; echo "Z:${full//\//\\}"; }

start() { "$root/scripts/wine-run" "$exe" "$@" >>"$work/wine.log" 2>&1 & }

# The X window whose title matches the pattern exactly, once it exists (empty after 20 s, or
# after the tenths of a second given second).
window() {
  local id
  for _ in $(seq "${2:-200}"); do
    id="$(xdotool search --name "^$1\$" 2>/dev/null | head -n1 || true)"
    if [ -n "$id" ]; then echo "$id"; return; fi
    sleep 0.1
  done
}
title_of() { xdotool getwindowname "$1" 2>/dev/null || true; }
# Waits until the window's title is the one expected, then reports it either way.
wait_title() { # id expected what
  local got=""
  for _ in $(seq 100); do
    got="$(title_of "$1")"
    [ "$got" == "$2" ] && break
    sleep 0.1
  done
  check_eq "$3" "$2" "$got"
}
gone() { # id: true once the window no longer exists
  for _ in $(seq 200); do
    xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
# Processes of the program (this script's own command line names it too).
tessary_processes() { pgrep -af 'Tessary\.exe' | grep -v end_to_end || true; }
no_tessary_left() {
  for _ in $(seq 200); do
    [ -z "$(tessary_processes)" ] && return 0
    sleep 0.1
  done
  return 1
}
# Wine draws the frame itself: the close box sits at the right end of the caption. Two
# instances open in the same place, so the window is raised first: the click is for it.
click_close_box() {
  xdotool windowraise "$1" 2>/dev/null || true
  sleep 0.3
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --window "$1" $((WIDTH - 16)) 12 click 1
}
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1" 2>/dev/null || true; sleep 0.2; }
key() { xdotool key --delay 50 "$@"; sleep 0.3; }
type_text() { xdotool type --delay 50 "$1"; sleep 0.3; }
registry_key_exists() {
  "$root/scripts/wine-run" reg query "$1" >/dev/null 2>&1
}

"$root/scripts/wine-run" reg delete 'HKCU\Software\Vandrel\Tessary' /f >/dev/null 2>&1 || true

# One file: move, type, break a line and save with Ctrl+S; then close with changes, cancel the
# question, close again and drop them; at exit the registry question is cancelled.
printf 'abc\r\n\x95\x5c\x8e\xa6\r\nxyz' >"$work/first.txt"
start "$(winpath "$work/first.txt")"
main="$(window 'Tessary \[first\.txt\]')"
[ -n "$main" ] || { fail "the editor did not show first.txt"; exit 1; }
echo "ok: the title names the file"
focus "$main"
key Down End
type_text Q
wait_title "$main" 'Tessary [first.txt *]' "typing marks the title"
key Return
type_text new
key ctrl+s
wait_title "$main" 'Tessary [first.txt]' "Ctrl+S saves and clears the mark"
expected="$(printf 'abc\r\n\x95\x5c\x8e\xa6Q\r\nnew\r\nxyz' | od -An -tx1)"
check_eq "the saved bytes" "$expected" "$(od -An -tx1 "$work/first.txt")"

# Alt+Enter opens the document information from the keyboard; Escape closes it again.
key alt+Return
info="$(window '文書の情報')"
if [ -n "$info" ]; then
  echo "ok: Alt+Enter opens the document information"
  focus "$info"
  key Escape
  gone "$info" && echo "ok: Escape closes it" || fail "the document information stayed open"
else
  fail "Alt+Enter opened no document information"
fi
focus "$main"

key Up Home
type_text Z
wait_title "$main" 'Tessary [first.txt *]' "typing again marks the title"
click_close_box "$main"
question="$(window '保存')"
[ -n "$question" ] && echo "ok: the close box asks about the changes" || fail "no save question"
key Escape
sleep 0.5
xdotool getwindowname "$main" >/dev/null 2>&1 && echo "ok: cancel keeps the window" || fail "cancel closed the window"
click_close_box "$main"
question="$(window '保存')"
focus "$question"
key n
gone "$main" && echo "ok: no closes the window" || fail "the window stayed after no"
check_eq "the dropped changes are not saved" "$expected" "$(od -An -tx1 "$work/first.txt")"
# The question comes once the process has let go of its window and its document, which a busy
# machine can take well beyond the usual wait.
ask="$(window 'Tessary' 600)"
[ -n "$ask" ] && echo "ok: the registry question comes at exit" || fail "no registry question"
focus "$ask"
key Escape
no_tessary_left && echo "ok: the program ended" || fail "the program did not end"
registry_key_exists 'HKCU\Software\Vandrel\Tessary' && fail "cancel created the registry key" || echo "ok: cancel creates no key"

# Two files: the second opens in an instance of its own. OK at the first exit creates the key,
# so the second instance asks nothing when it ends.
printf 'second' >"$work/second.txt"
printf 'third' >"$work/third.txt"
start "$(winpath "$work/second.txt")" "$(winpath "$work/third.txt")"
main="$(window 'Tessary \[second\.txt\]')"
other="$(window 'Tessary \[third\.txt\]')"
[ -n "$main" ] && echo "ok: the first file opens in the first window" || fail "second.txt not shown"
[ -n "$other" ] && echo "ok: the second file opens in a new instance" || fail "third.txt not shown"
if [ -n "$main" ] && [ -n "$other" ]; then
  # The instances share the place on the screen and either may be on top: whichever the click
  # closes asks the registry question, and the other one, closed later, asks nothing.
  first=""
  for attempt in $(seq 400); do
    # A click that came before the windows had settled is repeated once.
    [ "$attempt" != 1 ] && [ "$attempt" != 100 ] || click_close_box "$main"
    if ! xdotool getwindowname "$main" >/dev/null 2>&1; then first="$main"; last="$other"; break; fi
    if ! xdotool getwindowname "$other" >/dev/null 2>&1; then first="$other"; last="$main"; break; fi
    sleep 0.1
  done
  if [ -z "$first" ]; then
    fail "an unchanged document did not close at once"
  else
    echo "ok: an unchanged document closes without the save question"
    ask="$(window 'Tessary' 600)"
    focus "$ask"
    key Return
    sleep 1
    registry_key_exists 'HKCU\Software\Vandrel\Tessary\EditCtrl' && echo "ok: OK creates the key and its subkey" || fail "no registry key after OK"
    click_close_box "$last"
    gone "$last" || fail "the other instance did not close"
    no_tessary_left && echo "ok: the instance closed last ends without asking" || fail "an instance is still running (a question?)"
  fi
fi

# A real edit from the keyboard: type, select with Shift, cut, paste twice, undo the second paste,
# delete the first character with the Delete key and save; the file holds the edited bytes. Undo
# after the save marks the title again, Redo back to the saved text clears it. The registry key
# exists by now, so the program ends without a question.
printf 'hello world\r\nsecond' >"$work/edit.txt"
start "$(winpath "$work/edit.txt")"
main="$(window 'Tessary \[edit\.txt\]')"
if [ -z "$main" ]; then
  fail "edit.txt not shown"
else
  focus "$main"
  key End
  type_text ' again'
  key shift+Left shift+Left shift+Left shift+Left shift+Left
  key ctrl+x
  key ctrl+End
  key ctrl+v
  key ctrl+v
  key ctrl+z
  key ctrl+Home Delete
  wait_title "$main" 'Tessary [edit.txt *]' "the edit marks the title"
  key ctrl+s
  wait_title "$main" 'Tessary [edit.txt]' "Ctrl+S saves the edit"
  check_eq "the edited bytes" "$(printf 'ello world \r\nsecondagain' | od -An -tx1)" "$(od -An -tx1 "$work/edit.txt")"
  key ctrl+z
  wait_title "$main" 'Tessary [edit.txt *]' "Undo after the save marks the title"
  key ctrl+y
  wait_title "$main" 'Tessary [edit.txt]' "Redo back to the saved text clears the mark"
  click_close_box "$main"
  gone "$main" && echo "ok: the saved document closes without asking" || fail "the edited window stayed"
  no_tessary_left || fail "the program did not end after the edit"
fi

# Settings across two runs: a wrap mode stored before the first run is taken at its start and
# written back at its exit with the window's placement; a bad tab width stored before the second
# gives its default, and the program starts as usual.
subkey='HKCU\Software\Vandrel\Tessary\EditCtrl'
reg_value() { # name: the value's data as reg prints it
  "$root/scripts/wine-run" reg query "$subkey" /v "$1" 2>/dev/null | tr -d '\r' |
    awk -v name="$1" '$1 == name { print $3 }'
}
run_persist() { # what: starts the program on persist.txt, checks its place, closes it
  start "$(winpath "$work/persist.txt")"
  main="$(window 'Tessary \[persist\.txt\]')"
  if [ -z "$main" ]; then
    fail "$1: persist.txt not shown"
    return
  fi
  sleep 1
  if [ -n "${2:-}" ]; then
    check_eq "$1: the window stands where it stood" "$2" \
      "$(xdotool getwindowgeometry "$main" 2>/dev/null | tr -s ' \n' ' ' | sed 's/ (screen: [0-9]*)//; s/^Window [0-9]* //; s/ $//')"
  fi
  click_close_box "$main"
  gone "$main" || fail "$1: the window did not close"
  no_tessary_left || fail "$1: the program did not end"
}
printf 'persist' >"$work/persist.txt"
"$root/scripts/wine-run" reg add "$subkey" /v WrapMode /t REG_DWORD /d 1 /f >/dev/null 2>&1
run_persist "the first run"
check_eq "the wrap read at start is written again" "0x1" "$(reg_value WrapMode)"
[ -n "$(reg_value WindowPlacement)" ] && echo "ok: a placement is written" || fail "no placement written"
"$root/scripts/wine-run" reg add "$subkey" /v TabWidth /t REG_SZ /d abc /f >/dev/null 2>&1
# A normal place of (150, 120)-(580, 628), as WINDOWPLACEMENT stores it.
place=2C0000000000000001000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF96000000780000004402000074020000
"$root/scripts/wine-run" reg add "$subkey" /v WindowPlacement /t REG_BINARY /d "$place" /f >/dev/null 2>&1
run_persist "the second run, with a bad tab width" "Position: 150,120 Geometry: 430x508"
check_eq "the place is written back as it was read" "$place" "$(reg_value WindowPlacement)"
check_eq "the wrap came back and is written again" "0x1" "$(reg_value WrapMode)"
check_eq "the bad tab width became the default" "0x4" "$(reg_value TabWidth)"

"$root/scripts/wine-run" reg delete 'HKCU\Software\Vandrel\Tessary' /f >/dev/null 2>&1 || true
if [ "$failures" -gt 0 ]; then
  # What Wine said of the program (a crash, say) is the first clue to a failed check.
  echo "end_to_end: the end of the programs' Wine log:" >&2
  tail -n 40 "$work/wine.log" >&2 || true
  echo "end_to_end: $failures check(s) failed" >&2
  exit 1
fi
echo "end_to_end: all checks passed"
