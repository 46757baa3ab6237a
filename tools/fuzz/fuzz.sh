#!/usr/bin/env bash
# A fuzz pass over bad host data and odd ports: each case damages a fresh copy of the sample
# host's tables (or Quillet.ini's port) in one way, runs quillet-print last-tax,
# last-delivery and --check on it, and sorts what happened into the faults it can show.
# Not part of ctest: about two minutes.
# Usage: tools/fuzz/fuzz.sh BUILD_DIR [BIN_DIR]
#   BIN_DIR holds quillet-print.exe, mon2kdbe.dll and samplehost.exe (default BUILD_DIR/bin),
#   so that saved programs of another version can be run in the same prefix. The prefix is
#   BUILD_DIR/wineprefix, made here when missing. WINE names the loader (default wine).
#   Where the kernel runs no 32-bit programs, run it through scripts/emulate-i386.sh or after
#   scripts/test.sh has registered the emulator, with QEMU_RESERVED_VA=0x81000000.
# Per-case results go to BUILD_DIR/fuzz/results.tsv; the counts to the console.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(realpath -m "${1:?build folder}")"
bin="$(realpath -m "${2:-$build/bin}")"
out="$build/fuzz"
mkdir -p "$out"

. "$root/scripts/wine-env.sh" "$build"
wine() { "${WINE:-/usr/bin/wine}" "$@"; }
if [ ! -d "$WINEPREFIX/drive_c" ]; then
  wine wineboot -i >"$out/wineboot.log" 2>&1 || true
  wineserver -w
fi

c="$WINEPREFIX/drive_c"
host="$c/Program Files/CIGLER SOFTWARE"
data="$host/Money S3/Data/Obchod"
year="$data/2003"
fz="$c/QuilletFuzz"
wfz='C:\QuilletFuzz'
pristine="$out/pristine"

wineserver -p 2>/dev/null || true   # one server for all the runs below
trap 'wineserver -k 2>/dev/null || true' EXIT

rm -rf "$fz" "$host" "$pristine"
mkdir -p "$fz"
cp "$bin/quillet-print.exe" "$bin/mon2kdbe.dll" "$fz/"
wine "$bin/samplehost.exe" --root 'C:\' --quillet-ini "$wfz\\Quillet.ini" --port "$wfz\\tisk.prn" \
  >"$out/samplehost.log" 2>&1
# The system's regsvr32 of the DLL's own bitness (PE32+ is 64-bit).
pe="$(od -An -tu4 -j60 -N4 "$fz/mon2kdbe.dll" | tr -d ' ')"
regsvr32='C:\windows\syswow64\regsvr32.exe'
[ "$(od -An -tx2 -j$((pe + 24)) -N2 "$fz/mon2kdbe.dll" | tr -d ' ')" = 020b ] && regsvr32='C:\windows\system32\regsvr32.exe'
wine "$regsvr32" /s "$wfz\\mon2kdbe.dll" >"$out/regsvr32.log" 2>&1
cp -a "$host" "$pristine"
cp "$fz/Quillet.ini" "$out/Quillet.ini.pristine"

set_port() {  # writes the port line of Quillet.ini as raw bytes (code page 1250)
  python3 - "$fz/Quillet.ini" "$1" <<'EOF'
import os, sys
path, port = sys.argv[1], os.fsencode(sys.argv[2])
text = open(path, "rb").read()
sep = b"\r\n" if b"\r\n" in text else b"\n"
open(path, "wb").write(sep.join(b"Port=" + port if l.startswith(b"Port=") else l for l in text.split(sep)))
EOF
}

m() { python3 "$root/tools/fuzz/mutate.py" "$data" "$year" "$@"; }

# name | kind | what is done to the copy. kind: data, huge (an amount no print can show
# right), port, missing-cards (a table printing does without).
cases=(
  "junk-dph|data|m set SkSezPol DPH items-P 12x5"
  "junk-dph-dashes|data|m set SkSezPol DPH items-P --"
  "junk-quantity|data|m set SkSezPol PocetMJ items-P 1.2.3"
  "junk-quantity-note|data|m set SkSezPol PocetMJ items-D abc"
  "junk-base|data|m set SkSezDok Zaklad22 newest-P zz"
  "junk-total|data|m set SkSezDok Celkem newest-P 1,5"
  "junk-discount|data|m set SkSezDok Sleva newest-P ??"
  "date-month-13|data|m set SkSezDok Datum newest-P 20031345"
  "date-letters|data|m set SkSezDok Datum newest-P 2003AB01"
  "date-year-0|data|m set SkSezDok Datum newest-D 00001301"
  "date-feb-30|data|m set SkSezDok Datum newest-D 20030230"
  "row-garbage-item|data|m bytes SkSezPol items-P 53ffffffffffffffffffffffffffffffff"
  "row-garbage-note|data|m bytes SkSezPol items-D 53ffffffff"
  "row-odd-type|data|m set SkSezDok Typ newest-P X"
  "row-deleted-newest|data|m delete-flag SkSezDok newest-P"
  "table-cut-items|data|m truncate SkSezPol 37"
  "table-cut-documents|data|m truncate SkSezDok 11"
  "table-bad-version|data|m header SkSezPol 0 00"
  "table-count-too-big|data|m header SkSezDok 4 ffffff7f"
  "missing-items|data|m remove SkSezPol"
  "missing-documents|data|m remove SkSezDok"
  "missing-cards|missing-cards|m remove SkSezZas"
  "cut-cards|missing-cards|m truncate SkSezZas 50"
  "huge-price|huge|m set SkSezPol Cena items-P 9223372036854775807"
  "huge-negative-price|huge|m set SkSezPol Cena items-P -9223372036854775808"
  "huge-quantity|huge|m set SkSezPol PocetMJ items-D 1e20"
  "huge-total|huge|m set SkSezDok Celkem newest-P 1e308"
  "huge-base|huge|m set SkSezDok Zaklad22 newest-P 1e300"
  "huge-base-sum|huge|m set SkSezDok Zaklad22 newest-P 9e14; m set SkSezDok DPH22 newest-P 9e14"
  "port-nul|port|set_port '\\\\.\\NUL'"
  "port-folder-nul|port|set_port 'C:\\QuilletFuzz\\NUL'"
  "port-settings-file|port|set_port 'C:\\QuilletFuzz\\Quillet.ini'"
  "port-too-long|port|set_port \"C:\\QuilletFuzz\\$(printf 'x%.0s' {1..260}).prn\""
  "port-unconvertible|port|set_port \$'C:\\\\QuilletFuzz\\\\t\\x81\\x98.prn'"
  "port-bare-name|port|set_port 'tisk.prn'"
)

tree_sum() { (cd "$host" && find . -type f -print0 | sort -z | xargs -0 md5sum) | md5sum | cut -d' ' -f1; }

run() {  # run NAME ARGS...: exit status; output in $out/NAME.txt
  local name="$1"; shift
  local status=0
  rm -f "$fz/tisk.prn"
  (cd "$fz" && timeout 60 "${WINE:-/usr/bin/wine}" quillet-print.exe "$@" >"$out/$name.txt" 2>&1) || status=$?
  echo "$status"
}

port_state() {  # bytes on the port file, and whether the last is a form feed
  if [ -s "$fz/tisk.prn" ]; then
    local last; last="$(tail -c1 "$fz/tisk.prn" | od -An -tx1 | tr -d ' ')"
    echo "$(stat -c%s "$fz/tisk.prn") $([ "$last" = 0c ] && echo ff || echo noff)"
  else
    echo "0 none"
  fi
}

declare -A count=([crash]=0 [host-changed]=0 [half-document]=0 [printed-nothing]=0 [no-reason]=0
                  [overflow-printed]=0 [check-disagrees]=0)
printf 'case\tkind\ttax\tdelivery\tcheck\tfaults\n' >"$out/results.tsv"
started=$SECONDS
for entry in "${cases[@]}"; do
  IFS='|' read -r name kind action <<<"$entry"
  rm -rf "$host"; cp -a "$pristine" "$host"
  cp "$out/Quillet.ini.pristine" "$fz/Quillet.ini"
  eval "$action"
  before="$(tree_sum)"
  faults=()
  declare -A rc=()
  for what in tax delivery; do
    command=last-tax; [ $what = delivery ] && command=last-delivery
    rc[$what]="$(run "$name-$what" --yes "$command")"
    read -r bytes end <<<"$(port_state)"
    text="$(cat "$out/$name-$what.txt")"
    case "${rc[$what]}" in 0|1|2) ;; *) faults+=("crash:$what") ;; esac
    if [ "${rc[$what]}" = 2 ] && [ "$bytes" != 0 ] && [ "$end" != ff ]; then faults+=("half-document:$what"); fi
    if [ "${rc[$what]}" = 0 ] && { [ "$kind" = port ] || [ "$bytes" = 0 ]; }; then faults+=("printed-nothing:$what"); fi
    if grep -q 'přístupu k datům' <<<"$text" && grep -Eq ':(IDispatch error|Unknown error)' <<<"$text"; then
      faults+=("no-reason:$what")
    fi
    # The document the case damaged: the newest of its kind, or both.
    target=both; case "$action" in *-P*) target=tax ;; *-D*) target=delivery ;; esac
    if [ "$kind" = huge ] && [ "${rc[$what]}" = 0 ] && [[ $target = both || $target = "$what" ]]; then
      faults+=("overflow-printed:$what")
    fi
  done
  rc[check]="$(run "$name-check" --check)"
  case "${rc[check]}" in 0|2) ;; *) faults+=("crash:check") ;; esac
  if { [ "${rc[check]}" = 0 ] && { [ "${rc[tax]}" = 2 ] || [ "${rc[delivery]}" = 2 ]; }; } ||
     { [ "${rc[check]}" = 2 ] && [ "$kind" != port ] && [ "${rc[tax]}" != 2 ] && [ "${rc[delivery]}" != 2 ]; }; then
    faults+=("check-disagrees")
  fi
  [ "$(tree_sum)" = "$before" ] || faults+=("host-changed")
  for f in "${faults[@]}"; do count[${f%%:*}]=$((count[${f%%:*}] + 1)); done
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$kind" "${rc[tax]}" "${rc[delivery]}" "${rc[check]}" \
    "${faults[*]:-}" >>"$out/results.tsv"
  unset rc
done

echo "cases ${#cases[@]}, runs $((${#cases[@]} * 3)), $((SECONDS - started)) s ($bin)"
for k in crash host-changed half-document printed-nothing no-reason overflow-printed check-disagrees; do
  printf '  %-17s %d\n' "$k" "${count[$k]}"
done
echo "per case: $out/results.tsv"
