#!/usr/bin/env bash
# zolyab4 under the offscreen platform in a temporary folder holding a copy
# of the program, with AUTO=1 and the system log saved, one registered
# device; zolsim sends its datagrams and two scripted changes, then bursts of
# its load test. The system log file and the device's CSV lines must hold
# what happened, reception must go on after the bursts, a second start must
# end at once, a start that cannot take the lock must say why, and SIGTERM
# must end the run cleanly. The folder is named in Japanese: the logs, which
# go to the program's folder by default, must land in it under its own name.
set -uo pipefail
console=$1 sim=$2 run_folder=$3
base=$(mktemp -d /tmp/zole2e.XXXXXX)
work=$base/監視コンソール
pid=""
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
  rm -rf "$base"
}
trap cleanup EXIT
fail() {
  echo "e2e: FAIL: $*" >&2
  [ -f "$syslog" ] && iconv -f CP932 -t UTF-8 "$syslog" >&2
  exit 1
}
port=$((30000 + RANDOM % 20000))
bash "$run_folder" "$work" "$console" "$port" 1 11111111 || fail "run folder"
cp "$work/zolyab4.Ini" "$work/ini.before"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work
syslog=$work/syslog$(date +%Y%m%d).log

(cd "$work" && exec ./zolyab4 >"$work/stderr.txt" 2>&1) &
pid=$!
text() { iconv -f CP932 -t UTF-8 "$syslog" 2>/dev/null | tr -d '\r'; }
for _ in $(seq 1 100); do
  text | grep -q '監視開始' && break
  sleep 0.1
done
text | grep -q '^(0010) .* 監視開始$' || fail "no monitoring start line"

# A second instance ends at once, silently, with exit code 0.
start=$(date +%s%N)
(cd "$work" && timeout 10 ./zolyab4 >"$work/second.txt" 2>&1)
rc=$?
[ "$rc" = 0 ] || fail "second instance exit code $rc"
[ $(( ($(date +%s%N) - start) / 1000000 )) -lt 3000 ] || fail "second instance did not end at once"
kill -0 "$pid" 2>/dev/null || fail "first instance ended"

# A runtime folder where the lock cannot be made is a fault, not a second
# instance: the reason on standard error, an error box (which waits for the
# operator), never the silent exit code 0.
(cd "$work" && XDG_RUNTIME_DIR=/sys exec ./zolyab4 >"$work/guard.txt" 2>&1) &
gpid=$!
for _ in $(seq 1 50); do
  grep -q '^zolyab4: ' "$work/guard.txt" && break
  sleep 0.1
done
grep -q "^zolyab4: /sys/zolyab3-$(id -u).lock: ." "$work/guard.txt" || fail "no reason on stderr: $(cat "$work/guard.txt")"
kill -TERM "$gpid" 2>/dev/null
wait "$gpid"
grc=$?
[ "$grc" != 0 ] || fail "a lock fault ended with exit code 0"

"$sim" --port "$port" --devices 1 --duration 6 --event "2 1 ping 3 abnormal" --event "4 1 ping 3 normal" \
  >"$work/sim.txt" 2>&1 || fail "zolsim failed: $(cat "$work/sim.txt")"
sleep 0.5

# A burst phase: bursts of the load test with quiet spells between them;
# afterwards one more datagram of the registered device still gives its CSV
# line, so reception has not stopped.
csv=$work/d00103$(date +%y%m%d).csv
lines() { if [ -f "$csv" ]; then wc -l <"$csv"; else echo 0; fi; }
for _ in 1 2 3; do
  "$sim" --blast --port "$port" --devices 500 --rate 20 --duration 1 >"$work/blast.txt" 2>&1 \
    || fail "zolsim --blast failed: $(cat "$work/blast.txt")"
  sleep 0.3
done
# The console reads on until its queue is empty and the lines stop growing.
before=$(lines)
for _ in $(seq 1 100); do
  sleep 0.3
  now=$(lines)
  [ "$now" = "$before" ] && break
  before=$now
done
"$sim" --port "$port" --devices 1 --count 1 >"$work/one.txt" 2>&1 || fail "zolsim failed: $(cat "$work/one.txt")"
for _ in $(seq 1 50); do
  [ "$(lines)" -gt "$before" ] && break
  sleep 0.1
done
[ "$(lines)" -gt "$before" ] || fail "reception stopped after the bursts: no CSV line for the last datagram"
kill -0 "$pid" 2>/dev/null || fail "the console ended during the bursts"

kill -TERM "$pid"
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "SIGTERM did not end the console"
wait "$pid"
rc=$?
pid=""
[ "$rc" = 0 ] || fail "console exit code $rc"

log=$(text)
echo "$log" | grep -q '^(0001) .* アプリの起動$' || fail "no start line"
echo "$log" | grep -q '^(0200) .* ID001 Outlet3 PING 異常$' || fail "no change line for the abnormal ping"
echo "$log" | grep -q '^(0200) .* ID001 Outlet3 PING 正常$' || fail "no change line for the recovery"
[ "$(echo "$log" | tail -n 1 | sed 's/^\(......\).*\(アプリの終了\)$/\1 \2/')" = "(0002) アプリの終了" ] || fail "last line is not the end line"
echo "$log" | grep -q '(0011)' && fail "a monitoring stop line on the way out"
grep -q $'\r$' "$syslog" || fail "system log lines without CR LF"
cmp -s "$work/zolyab4.Ini" "$work/ini.before" || fail "the settings file was written on SIGTERM"

[ -s "$csv" ] || fail "no CSV lines of outlet 3 ($(ls "$work"))"
fields=$(head -n 1 "$csv" | tr -d '\r' | awk -F, '{print NF" "$3" "$4}')
[ "$fields" = "14 1 3" ] || fail "CSV line: $(head -n 1 "$csv")"
for i in 1 2 4 8; do [ -s "$work/d0010${i}$(date +%y%m%d).csv" ] || fail "no CSV lines of outlet $i"; done
echo "e2e: ok ($(echo "$log" | grep -c '^(0200)') change lines, $(wc -l <"$csv") CSV lines of outlet 3)"
