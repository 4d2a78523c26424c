#!/usr/bin/env bash
# txt2csv-cli.exe under Wine: the wide command line, separators typed as
# Unicode for GBK and UTF-8 files, folders whose names GBK cannot spell, and
# the exit statuses.
# Usage: cli_test.sh TXT2CSV-CLI.EXE
set -u
cli="$1"
wine_run="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0 passes=0

check() {  # name, expected, actual
  if [ "$2" == "$3" ]; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
    echo "FAILED: $1"
    echo "  expected: $(printf '%s' "$2" | od -An -c | head -3)"
    echo "  actual:   $(printf '%s' "$3" | od -An -c | head -3)"
  fi
}

run_cli() {  # directory, arguments...; sets status
  local dir="$1"
  shift
  (cd "$dir" && "$wine_run" "$cli" "$@" >"$work/out" 2>"$work/err" </dev/null)
  status=$?
}

gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }

# The full-width comma typed on the command line matches GBK's A3 AC.
dir="$work/plain"
mkdir -p "$dir"
gbk $'甲，乙，丙\r\n' >"$dir/1.txt"
run_cli "$dir" -s '，' 1.txt 1.csv
check "full-width comma: status" 0 "$status"
check "full-width comma: table" "$(gbk $'甲,乙,丙\r\n' | od -An -tx1)" "$(od -An -tx1 <"$dir/1.csv")"

# A folder named in Korean, outside GBK, still works.
dir="$work/표 폴더"
mkdir -p "$dir"
printf 'a|b\r\n' >"$dir/1.txt"
run_cli "$dir" -s '|' "$dir/1.txt" "$dir/1.csv"
check "Korean folder: status" 0 "$status"
check "Korean folder: table" $'a,b\r' "$(cat "$dir/1.csv")"

# A separator GBK cannot represent matches nothing.
run_cli "$dir" -s '☃' 1.txt -
check "separator outside GBK: status" 0 "$status"
check "separator outside GBK: table" $'a|b\r' "$(cat "$work/out")"

# In a UTF-8 file the same separator is matched as UTF-8, and the table
# starts with the byte-order mark.
printf 'a\xe2\x98\x83b\xef\xbc\x8c\xe4\xb8\xad\r\n' >"$dir/1.txt"
run_cli "$dir" -s '☃' 1.txt -
check "UTF-8 input: status" 0 "$status"
check "UTF-8 input: table" "$(printf '\xef\xbb\xbfa,b\xef\xbc\x8c\xe4\xb8\xad\r\n' | od -An -tx1)" \
  "$(od -An -tx1 <"$work/out")"

# From a pipe, told late: the start is kept in a temporary file meanwhile.
(head -c 3000000 /dev/zero | tr '\0' 'a'; printf '\r\n\xe4\xb8\xad,x') >"$work/long.txt"
cat "$work/long.txt" | (cd "$dir" && "$wine_run" "$cli" >"$work/out" 2>"$work/err")
status=$?
check "UTF-8 from a pipe: status" 0 "$status"
check "UTF-8 from a pipe: start" "ef bb bf 61" "$(head -c 4 "$work/out" | od -An -tx1 | xargs)"
check "UTF-8 from a pipe: end" "0d 0a e4 b8 ad 2c 78 0d 0a" "$(tail -c 9 "$work/out" | od -An -tx1 | xargs)"

# Failures: exit status 1, the old table kept.
printf 'old\r\n' >"$dir/1.csv"
run_cli "$dir" missing.txt 1.csv
check "missing input: status" 1 "$status"
check "missing input: message" "txt2csv-cli: cannot find 'missing.txt': no such file" "$(tr -d '\r' <"$work/err")"
mkdir "$dir/sub.txt"
run_cli "$dir" sub.txt 1.csv
check "directory as input: status" 1 "$status"
run_cli "$dir" 1.txt none/1.csv
check "output folder missing: status" 1 "$status"
check "old table kept" $'old\r' "$(cat "$dir/1.csv")"
run_cli "$dir" --frobnicate
check "usage error: status" 2 "$status"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
