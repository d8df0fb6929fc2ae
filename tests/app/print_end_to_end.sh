#!/usr/bin/env bash
# Prints a document of several pages through the real Tessary.exe under Wine, with Ctrl+P and
# the print dialog's OK, to the PDF printer of scripts/printer-setup, and reads the PDF back: its
# page count, each page's header (the file name) and footer ("n / N"), and the text of every line
# in order, Japanese included. Then Cancel in the dialog prints nothing, and the page setup is in
# the registry after exit. Without the printer the test fails.
# Usage: print_end_to_end.sh path/to/Tessary.exe   (DISPLAY and TESSARY_WINEPREFIX set, as ctest does)
set -euo pipefail

exe="$(realpath "$1")"
root="$(cd "$(dirname "$0")/../.." && pwd)"
[ -n "${DISPLAY:-}" ] || { echo "print_end_to_end: DISPLAY is not set" >&2; exit 1; }
[ -n "${TESSARY_WINEPREFIX:-}" ] || { echo "print_end_to_end: TESSARY_WINEPREFIX is not set" >&2; exit 1; }
"$root/scripts/printer-setup" || { echo "print_end_to_end: FAILED: no printer to print to" >&2; exit 1; }
out="$("$root/scripts/printer-setup" --out)"
command -v pdftotext >/dev/null || { echo "print_end_to_end: FAILED: pdftotext is missing" >&2; exit 1; }

work="$(mktemp -d /tmp/tessary-print-XXXXXX)"
failures=0
pid=""
cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
check_eq() { if [ "$2" == "$3" ]; then echo "ok: $1"; else fail "$1: expected [$2], got [$3]"; fi; }
winpath() { local full; full="$(realpath -m -- "$1")"; echo "Z:${full//\//\\}"; }
window() {
  local id
  for _ in $(seq "${2:-200}"); do
    id="$(xdotool search --name "^$1\$" 2>/dev/null | head -n1 || true)"
    if [ -n "$id" ]; then echo "$id"; return; fi
    sleep 0.1
  done
}
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1" 2>/dev/null || true; sleep 0.3; }
key() { xdotool key --delay 50 "$@"; sleep 0.3; }
pdfs() { ls -1 "$out"/*.pdf 2>/dev/null | sort || true; }
# The PDF that appeared since the listing given, once cups-pdf has written it whole.
new_pdf() { # before-listing seconds
  local file=""
  for _ in $(seq $(($2 * 10))); do
    file="$(comm -13 "$1" <(pdfs) | head -n1)"
    if [ -n "$file" ] && pdfinfo "$file" >/dev/null 2>&1; then echo "$file"; return; fi
    sleep 0.1
  done
}

# The program's key is there, so exit asks nothing and writes the page setup.
"$root/scripts/wine-run" reg delete 'HKCU\Software\Vandrel\Tessary' /f >/dev/null 2>&1 || true
"$root/scripts/wine-run" reg add 'HKCU\Software\Vandrel\Tessary\EditCtrl' /f >/dev/null 2>&1

# Lines in Shift-JIS, with a line so long that it wraps over more rows than a page holds, so
# that a page starts inside it.
{
  for i in $(seq 1 170); do
    printf '%s\r\n' "行 $i は日本語の印刷のテストです abc$i"
  done
  printf '%s\r\n' "長い行：$(printf 'あいうえおかきくけこ%.0s' $(seq 1 400))終わり"
  printf '%s' "最後の行"
} | iconv -f UTF-8 -t CP932 >"$work/pages.txt"

"$root/scripts/wine-run" "$exe" "$(winpath "$work/pages.txt")" >>"$work/wine.log" 2>&1 &
pid=$!
main="$(window 'Tessary \[pages\.txt\]')"
[ -n "$main" ] || { fail "the editor did not show pages.txt"; tail -n 30 "$work/wine.log" >&2; exit 1; }
focus "$main"

# Cancel in the print dialog: nothing reaches the printer.
pdfs >"$work/before"
key ctrl+p
dialog="$(window '印刷')"
[ -n "$dialog" ] || { fail "Ctrl+P opened no print dialog"; exit 1; }
echo "ok: Ctrl+P opens the print dialog"
focus "$dialog"
key Escape
sleep 5
check_eq "Cancel prints nothing" "" "$(comm -13 "$work/before" <(pdfs))"

# OK prints every page.
focus "$main"
key ctrl+p
dialog="$(window '印刷')"
[ -n "$dialog" ] || { fail "Ctrl+P opened no print dialog the second time"; exit 1; }
focus "$dialog"
key Return
pdf="$(new_pdf "$work/before" 200)"
if [ -z "$pdf" ]; then
  fail "no PDF arrived in $out"
else
  echo "ok: the job arrived as $(basename "$pdf")"
  case "$(basename "$pdf")" in pages*) echo "ok: the job is named after the file" ;; *) fail "job name: $(basename "$pdf")" ;; esac
  pages="$(pdfinfo "$pdf" | sed -n 's/^Pages:[[:space:]]*//p')"
  [ "$pages" -ge 4 ] && echo "ok: $pages pages" || fail "only $pages pages"
  pdftotext -enc UTF-8 "$pdf" "$work/printed.txt"
  body="$work/body.txt"
  : >"$body"
  for n in $(seq 1 "$pages"); do
    # Each page: its non-empty rows, the file name first and "n / N" last.
    pdftotext -enc UTF-8 -layout -f "$n" -l "$n" "$pdf" - | sed 's/[[:space:]]*$//' | grep -v '^$' >"$work/page.txt" || true
    check_eq "page $n header" "pages.txt" "$(head -n1 "$work/page.txt" | sed 's/^[[:space:]]*//')"
    check_eq "page $n footer" "$n / $pages" "$(tail -n1 "$work/page.txt" | sed 's/^[[:space:]]*//')"
    sed '1d;$d' "$work/page.txt" >>"$body"
  done
  # Every line of the document, in order, wrapped lines joined again; blanks do not count.
  expected="$(iconv -f CP932 -t UTF-8 "$work/pages.txt" | tr -d ' \r\n\t　')"
  got="$(tr -d ' \r\n\t　' <"$body")"
  if [ "$expected" == "$got" ]; then
    echo "ok: the pages hold the document's text in order"
  else
    fail "the printed text differs from the document"
    diff <(iconv -f CP932 -t UTF-8 "$work/pages.txt" | tr -d '\r') "$body" | head -n 20 >&2 || true
  fi
  rm -f "$pdf"
fi
xdotool getwindowname "$main" >/dev/null 2>&1 && echo "ok: the window is still there" || fail "the window went"
check_eq "the document is not marked as changed" "Tessary [pages.txt]" "$(xdotool getwindowname "$main" 2>/dev/null)"

# The program ends without a question and leaves the page setup in the registry.
# Wine draws the frame itself: the close box is at the right end of the caption.
xdotool windowraise "$main" 2>/dev/null || true
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $((WIDTH - 16)) 12 click 1
for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end" || pid=""
stored="$("$root/scripts/wine-run" reg query 'HKCU\Software\Vandrel\Tessary\EditCtrl' /v PageSetup 2>/dev/null | tr -d '\r' || true)"
echo "$stored" | grep -q 'PageSetup[[:space:]]*REG_BINARY' && echo "ok: the page setup is stored" || fail "no PageSetup value: [$stored]"
"$root/scripts/wine-run" reg delete 'HKCU\Software\Vandrel\Tessary' /f >/dev/null 2>&1 || true

if [ "$failures" -gt 0 ]; then
  echo "print_end_to_end: the end of the program's Wine log:" >&2
  tail -n 30 "$work/wine.log" >&2 || true
  echo "print_end_to_end: $failures check(s) failed" >&2
  exit 1
fi
echo "print_end_to_end: all checks passed"
