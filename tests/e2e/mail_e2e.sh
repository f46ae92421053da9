#!/usr/bin/env bash
# zolyab4 under the offscreen platform with mail switched on towards an SMTP
# sink on 127.0.0.1; zolsim scripts one PING failure. The sink must receive
# exactly one mail whose From, Subject and body are the expected bytes.
set -uo pipefail
console=$1 sim=$2 run_folder=$3 sink_script=$4 scrambler=$5
if ! /usr/bin/python3 -c 'import aiosmtpd' 2>/dev/null; then
  echo "e2e mail: SKIPPED: python3-aiosmtpd is not installed (scripts/setup)"
  exit 0
fi
work=$(mktemp -d /tmp/zolmaile2e.XXXXXX)
pid="" sink_pid=""
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
  [ -n "$sink_pid" ] && kill "$sink_pid" 2>/dev/null && wait "$sink_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "e2e mail: FAIL: $*" >&2
  [ -f "$work/console.txt" ] && cat "$work/console.txt" >&2
  exit 1
}

mkdir -p "$work/sink"
/usr/bin/python3 "$sink_script" "$work/sink" >"$work/sink.txt" 2>"$work/sink.err" &
sink_pid=$!
for _ in $(seq 1 100); do grep -q '^PORT ' "$work/sink.txt" && break; sleep 0.1; done
smtp_port=$(sed -n 's/^PORT //p' "$work/sink.txt")
[ -n "$smtp_port" ] || fail "the sink did not start: $(cat "$work/sink.err")"

port=$((30000 + RANDOM % 20000))
bash "$run_folder" "$work/run" "$console" "$port" 1 11111111 "" "127.0.0.1:$smtp_port" "$scrambler" ||
  fail "run folder"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work
syslog=$work/run/syslog$(date +%Y%m%d).log
(cd "$work/run" && exec ./zolyab4 >"$work/console.txt" 2>&1) &
pid=$!
for _ in $(seq 1 100); do
  iconv -f CP932 -t UTF-8 "$syslog" 2>/dev/null | grep -q '監視開始' && break
  sleep 0.1
done

"$sim" --port "$port" --devices 1 --duration 4 --event "2 1 ping 3 abnormal" >"$work/sim.txt" 2>&1 ||
  fail "zolsim failed: $(cat "$work/sim.txt")"
for _ in $(seq 1 50); do [ -f "$work/sink/1.eml" ] && break; sleep 0.1; done
sleep 0.5
kill -TERM "$pid"
wait "$pid"
pid=""

[ -f "$work/sink/1.eml" ] || fail "no mail arrived ($(ls "$work/sink"))"
[ -f "$work/sink/2.eml" ] && fail "more than one mail"
/usr/bin/python3 - "$work/sink" <<'PY' || fail "mail content"
import base64, re, sys
from email import message_from_bytes, policy

d = sys.argv[1]
eml = open(d + "/1.eml", "rb").read()
env = open(d + "/1.env").read()

def jis(text):
    # ISO-2022-JP as the console writes it: back to JIS X 0201 Roman.
    return text.encode("iso2022_jp").replace(b"\x1b(B", b"\x1b(J")

def word(text):
    return b"=?ISO-2022-JP?B?" + base64.b64encode(jis(text)) + b"?="

def pad(text, width):
    return text + " " * (width - len(text.encode("cp932")))

errors = []
def check(what, got, want):
    if got != want:
        errors.append("%s:\n  got  %r\n  want %r" % (what, got, want))

head, _, body = eml.partition(b"\r\n\r\n")
headers = dict(l.split(b": ", 1) for l in head.split(b"\r\n"))
check("envelope", env, "zol@example.com\nops@example.com\n")
check("From", headers[b"From"], b"ZOL " + word("監視") + b" <zol@example.com>")
check("Subject", headers[b"Subject"], b"ZOL YAB " + word("通知"))
check("To", headers[b"To"], b"ops@example.com")
check("Content-Type", headers[b"Content-Type"], b"text/plain")
lines = body.split(b"\r\n")
check("body end", lines[-1], b"")
if not re.fullmatch(rb"\d{4}/\d\d/\d\d \d\d:\d\d:\d\d   \(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\)", lines[0]):
    errors.append("time line: %r" % lines[0])
want = [jis("ID001 ラック1 (G001 グループ1)"), jis("メモ1"), b"",
        jis("3: " + pad("PING 異常", 20) + "<- " + pad("PING 正常", 12) + "PING3"), b"",
        b"IP Addr  : 127.0.0.1", b"MAC Addr : 02:5A:3C:00:00:01", b""]
check("body", lines[1:], want)
m = message_from_bytes(eml, policy=policy.default)
check("From as a reader sees it", str(m["From"]), "ZOL 監視 <zol@example.com>")
check("Subject as a reader sees it", str(m["Subject"]), "ZOL YAB 通知")
if errors:
    print("\n".join(errors))
    sys.exit(1)
PY
echo "e2e mail: ok (one mail, $(wc -c <"$work/sink/1.eml") bytes)"
