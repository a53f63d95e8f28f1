#!/usr/bin/env bash
# Base64 of the same 64 MiB of random bytes by EncodeBase64Stream (bench_base64_file) and by
# coreutils `base64 -w 76`, in one run; prints the times and their ratio.
# Usage: bench/base64-vs-coreutils.sh [BUILD_DIR]   (default: build; needs bench_base64_file)
set -euo pipefail

build=${1:-${BUILD_DIR:-build}}
program="$build/bench/bench_base64_file"
if [ ! -x "$program" ]; then
  echo "base64-vs-coreutils: $program is missing; build it first" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c $((64 << 20)) /dev/urandom >"$work/data"

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", b - a }'; }
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

# Best of three whole runs of coreutils, reading the file and writing to /dev/null.
# The first run also warms the page cache.
base64 -w 76 "$work/data" >"$work/coreutils.b64"
coreutils=""
for _ in 1 2 3; do
  start=$(now)
  base64 -w 76 "$work/data" >/dev/null
  coreutils=$(min "$coreutils" "$(elapsed "$start" "$(now)")")
done

start=$(now)
"$program" "$work/data" >"$work/ours.b64" 2>"$work/times"
process=$(elapsed "$start" "$(now)")
warm=$(sed -n 's/^encode_warm_seconds=//p' "$work/times")
cold=$(sed -n 's/^encode_cold_seconds=//p' "$work/times")
# Fresh memory again, without the 2 MiB pages the encoder asks for: shows how much the first
# touch of 4 KiB pages would cost.
"$program" "$work/data" --no-huge-pages >/dev/null 2>"$work/times-4k"
cold_4k=$(sed -n 's/^encode_cold_seconds=//p' "$work/times-4k")

# Same text apart from the line ends (CR LF here, LF there).
if ! tr -d '\r' <"$work/ours.b64" | cmp -s - "$work/coreutils.b64"; then
  echo "base64-vs-coreutils: the two encodings differ" >&2
  exit 1
fi

mibps() { awk -v s="$1" 'BEGIN { printf "%.0f", 64 / s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
row() { printf '%-52s %8s s %6s MiB/s\n' "$1" "$2" "$(mibps "$2")"; }
echo "64 MiB of random bytes to 76-character base64 lines"
row "coreutils base64 -w 76 (whole process, best of 3)" "$coreutils"
row "EncodeBase64Stream, reused destination (best of 3)" "$warm"
row "EncodeBase64Stream, fresh destination" "$cold"
row "EncodeBase64Stream, fresh destination, 4 KiB pages" "$cold_4k"
printf '%-52s %8s s\n' "bench_base64_file (whole process, 4 encodings)" "$process"
echo "ratio coreutils / EncodeBase64Stream, reused destination: $(ratio "$coreutils" "$warm")"
echo "ratio coreutils / EncodeBase64Stream, fresh destination:  $(ratio "$coreutils" "$cold")"
echo "ratio coreutils / EncodeBase64Stream, fresh, 4 KiB pages:  $(ratio "$coreutils" "$cold_4k")"
