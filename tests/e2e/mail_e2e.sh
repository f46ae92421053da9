#!/usr/bin/env bash
# zolyab4 under the offscreen platform with mail switched on towards an SMTP
# sink on 127.0.0.1; zolsim scripts one PING failure per device. Two runs:
#   plain     one device "ラック1", the subject "ZOL YAB 通知": exactly one mail
#             whose From, Subject and body are the expected bytes;
#   japanese  two devices named "髙橋ラック1" (an IBM-extension kanji) and
#             "ラック①" (NEC row 13), the subject "ZOL 髙橋① 通知": one mail per
#             device, every Japanese character at its JIS place, 7-bit, and
#             read back by a reader's decoding to the names and subject.
set -uo pipefail
console=$1 sim=$2 run_folder=$3 sink_script=$4 scrambler=$5
if ! /usr/bin/python3 -c 'import aiosmtpd' 2>/dev/null; then
  echo "e2e mail: SKIPPED: python3-aiosmtpd is not installed (scripts/setup)"
  exit 0
fi
work=$(mktemp -d /tmp/zolmaile2e.XXXXXX)
pid="" sink_pid="" case_dir=""
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
  [ -n "$sink_pid" ] && kill "$sink_pid" 2>/dev/null && wait "$sink_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "e2e mail: FAIL: $*" >&2
  [ -f "$case_dir/console.txt" ] && cat "$case_dir/console.txt" >&2
  exit 1
}

# run_case NAME SUBJECT DEVICE_NAME... : one console run; the sink's mails
# land in $work/NAME/sink.
run_case() {
  local name=$1 subject=$2
  shift 2
  local devices=$#
  case_dir=$work/$name
  mkdir -p "$case_dir/sink"
  chmod 700 "$case_dir"
  /usr/bin/python3 "$sink_script" "$case_dir/sink" >"$case_dir/sink.txt" 2>"$case_dir/sink.err" &
  sink_pid=$!
  for _ in $(seq 1 100); do grep -q '^PORT ' "$case_dir/sink.txt" && break; sleep 0.1; done
  local smtp_port
  smtp_port=$(sed -n 's/^PORT //p' "$case_dir/sink.txt")
  [ -n "$smtp_port" ] || fail "the sink did not start: $(cat "$case_dir/sink.err")"

  local port=$((30000 + RANDOM % 20000))
  local run=$case_dir/run
  bash "$run_folder" "$run" "$console" "$port" "$devices" 11111111 "" "127.0.0.1:$smtp_port" "$scrambler" ||
    fail "run folder"
  # The subject and the device names of this case, as the console stores them.
  local data10
  data10=$("$scrambler" "$(printf '%s' "$subject" | iconv -f UTF-8 -t CP932)")
  sed -i "s/^DATA10=.*\r\$/DATA10=$data10\r/" "$run/zolyab4.Ini"
  local k=1 names=""
  for device_name in "$@"; do names+="$k=$device_name"$'\n'; k=$((k + 1)); done
  iconv -f CP932 -t UTF-8 "$run/zolyab4.dat" | NAMES=$names /usr/bin/python3 -c '
import os, sys
names = dict(l.split("=", 1) for l in os.environ["NAMES"].splitlines() if l)
lines = sys.stdin.buffer.read().decode("utf-8").split("\r\n")
for k, v in names.items():
    lines[(int(k) - 1) * 20 + 9] = v
sys.stdout.buffer.write("\r\n".join(lines).encode("utf-8"))
' | iconv -f UTF-8 -t CP932 >"$run/dat.new" || fail "device names"
  mv "$run/dat.new" "$run/zolyab4.dat"

  export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$case_dir
  local syslog=$run/syslog$(date +%Y%m%d).log
  (cd "$run" && exec ./zolyab4 >"$case_dir/console.txt" 2>&1) &
  pid=$!
  for _ in $(seq 1 100); do
    iconv -f CP932 -t UTF-8 "$syslog" 2>/dev/null | grep -q '監視開始' && break
    sleep 0.1
  done
  local events=()
  for k in $(seq 1 "$devices"); do events+=(--event "2 $k ping 3 abnormal"); done
  "$sim" --port "$port" --devices "$devices" --duration 4 "${events[@]}" >"$case_dir/sim.txt" 2>&1 ||
    fail "zolsim failed: $(cat "$case_dir/sim.txt")"
  for _ in $(seq 1 50); do [ -f "$case_dir/sink/$devices.eml" ] && break; sleep 0.1; done
  sleep 0.5
  kill -TERM "$pid"
  wait "$pid"
  pid=""
  kill "$sink_pid" 2>/dev/null && wait "$sink_pid" 2>/dev/null
  sink_pid=""
  for k in $(seq 1 "$devices"); do
    [ -f "$case_dir/sink/$k.eml" ] || fail "$name: mail $k did not arrive ($(ls "$case_dir/sink"))"
  done
  [ -f "$case_dir/sink/$((devices + 1)).eml" ] && fail "$name: more than $devices mails"
}

run_case plain "ZOL YAB 通知" "ラック1"
run_case japanese "ZOL 髙橋① 通知" "髙橋ラック1" "ラック①"

/usr/bin/python3 - "$work" <<'PY' || fail "mail content"
import base64, re, sys
from email import message_from_bytes, policy

work = sys.argv[1]
errors = []
def check(what, got, want):
    if got != want:
        errors.append("%s:\n  got  %r\n  want %r" % (what, got, want))

# The JIS place of every CP932 character as mail readers decode ISO-2022-JP
# (a JIS pair to Shift-JIS by the standard arithmetic, then CP932): an IBM
# extension (lead FA..FC) has its place where CP932 holds the same character
# in the NEC-selected rows, NEC row 13 or the standard rows.
others = {}
for s1 in list(range(0x81, 0xA0)) + list(range(0xE0, 0xF0)):
    for s2 in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
        try:
            others.setdefault(bytes([s1, s2]).decode("cp932"), bytes([s1, s2]))
        except UnicodeDecodeError:
            pass

def sjis_pair_to_jis(s1, s2):
    j1 = ((s1 - 0x70 if s1 < 0xA0 else s1 - 0xB0) * 2) & 0xFF
    if s2 < 0x9F:
        j1 -= 1
        j2 = s2 - 0x1F if s2 <= 0x7F else s2 - 0x20
    else:
        j2 = s2 - 0x7E
    return bytes([j1, j2])

def jis(text):
    """ISO-2022-JP as the console writes it, ESC ( J back to the Roman set."""
    out, dbl = b"", False
    for ch in text:
        b = ch.encode("cp932")
        if len(b) == 2:
            if b[0] >= 0xFA:
                b = others[ch]
            if not dbl:
                out += b"\x1b$B"
                dbl = True
            out += sjis_pair_to_jis(b[0], b[1])
        else:
            if dbl:
                out += b"\x1b(J"
                dbl = False
            out += b
    return out + (b"\x1b(J" if dbl else b"")

def read_jis(data):
    """What a reader shows: each JIS pair to Shift-JIS, then CP932."""
    out, dbl, i = "", False, 0
    while i < len(data):
        if data[i] == 0x1b:
            dbl = data[i + 1:i + 3] == b"$B"
            i += 3
            continue
        if not dbl:
            out += chr(data[i])
            i += 1
            continue
        j1, j2 = data[i], data[i + 1] if i + 1 < len(data) else 0
        s1 = ((j1 + 1) // 2 + (0x70 if j1 <= 0x5E else 0xB0)) & 0xFF
        s2 = (j2 + (0x1F if j2 <= 0x5F else 0x20) if j1 & 1 else j2 + 0x7E) & 0xFF
        out += bytes([s1, s2]).decode("cp932", "replace")
        i += 2
    return out

def word(text):
    return b"=?ISO-2022-JP?B?" + base64.b64encode(jis(text)) + b"?="

def read_header(value):
    return re.sub(rb"=\?ISO-2022-JP\?B\?([A-Za-z0-9+/=]*)\?=",
                  lambda m: read_jis(base64.b64decode(m.group(1))).encode("utf-8"), value).decode("utf-8")

def pad(text, width):
    return text + " " * (width - len(text.encode("cp932")))

def mails(case):
    out = []
    n = 1
    while True:
        try:
            eml = open("%s/%s/sink/%d.eml" % (work, case, n), "rb").read()
            env = open("%s/%s/sink/%d.env" % (work, case, n)).read()
        except FileNotFoundError:
            return out
        head, _, body = eml.partition(b"\r\n\r\n")
        headers = dict(l.split(b": ", 1) for l in head.split(b"\r\n"))
        out.append((eml, env, headers, body.split(b"\r\n")))
        n += 1

def check_mail(case, eml, env, headers, lines, device, name, group, subject_bytes, subject_text):
    check(case + " envelope", env, "zol@example.com\nops@example.com\n")
    check(case + " From", headers[b"From"], b"ZOL " + word("監視") + b" <zol@example.com>")
    check(case + " Subject", headers[b"Subject"], subject_bytes)
    check(case + " Subject as a reader sees it", read_header(headers[b"Subject"]), subject_text)
    check(case + " To", headers[b"To"], b"ops@example.com")
    check(case + " Content-Type", headers[b"Content-Type"], b"text/plain")
    if any(b >= 0x80 for b in eml):
        errors.append(case + ": a byte of 0x80 or above in the mail")
    check(case + " body end", lines[-1], b"")
    if not re.fullmatch(rb"\d{4}/\d\d/\d\d \d\d:\d\d:\d\d   \(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\)", lines[0]):
        errors.append("%s time line: %r" % (case, lines[0]))
    text = ["ID%03d %s (%s)" % (device, name, group), "メモ%d" % device, "",
            "3: " + pad("PING 異常", 20) + "<- " + pad("PING 正常", 12) + "PING3", "",
            "IP Addr  : 127.0.0.1", "MAC Addr : 02:5A:3C:00:00:%02X" % device, ""]
    check(case + " body", lines[1:], [jis(t) for t in text])
    check(case + " body as a reader sees it", [read_jis(l) for l in lines[1:]], text)

plain = mails("plain")
check("plain mails", len(plain), 1)
for eml, env, headers, lines in plain[:1]:
    check_mail("plain", eml, env, headers, lines, 1, "ラック1", "G001 グループ1", b"ZOL YAB " + word("通知"), "ZOL YAB 通知")
    m = message_from_bytes(eml, policy=policy.default)
    check("plain From as a reader sees it", str(m["From"]), "ZOL 監視 <zol@example.com>")
    check("plain Subject as the email package sees it", str(m["Subject"]), "ZOL YAB 通知")

japanese = mails("japanese")
check("japanese mails", len(japanese), 2)
names = {1: "髙橋ラック1", 2: "ラック①"}
groups = {1: "G001 グループ1", 2: "G002 サーバ室"}
subject = b"ZOL " + word("髙橋①") + b" " + word("通知")
for eml, env, headers, lines in japanese:
    device = int(re.match(rb"ID(\d{3}) ", lines[1]).group(1)) if re.match(rb"ID\d{3} ", lines[1]) else 0
    if device not in names:
        errors.append("japanese: unknown device line %r" % lines[1])
        continue
    check_mail("japanese ID%03d" % device, eml, env, headers, lines, device, names.pop(device), groups[device], subject,
               "ZOL 髙橋① 通知")
if names:
    errors.append("japanese: no mail for %s" % sorted(names))
if errors:
    print("\n".join(errors))
    sys.exit(1)
PY
echo "e2e mail: ok (plain: one mail; japanese: $(ls "$work/japanese/sink" | grep -c eml) mails)"
