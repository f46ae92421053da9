#!/usr/bin/env bash
# Prepares a run folder for the console: a copy of the program, a settings
# file and a device file with registered devices that zolsim plays, the
# first half in group G001, the rest in group G002.
# Usage: run_folder.sh FOLDER PROGRAM PORT DEVICES KINDS [EXTRA_SYSTEM_LINES] [SMTP [SCRAMBLER]]
#   DEVICES: 1 to 999, the simulator's devices 1 to DEVICES.
#   KINDS: the item kinds of every device's eight outlets, e.g. 00111122.
#   SMTP: HOST:PORT of a mail server: mail is switched on, from
#     "ZOL 監視 <zol@example.com>" to "ops@example.com" with the subject
#     "ZOL YAB 通知", no login, and every device mails its cautions, alarms,
#     recoveries and time-outs with its addresses. SCRAMBLER is the zolscramble
#     program (default: build/tools/zolscramble/zolscramble of this checkout).
# With TELNET_BASE set in the environment, device k's telnet console is
# 127.0.0.1 port TELNET_BASE + k - 1 (zolsim --telnet-base), password "kelpo",
# direct power control on.
set -euo pipefail
dir=$1 program=$2 port=$3 devices=$4 kinds=$5 extra=${6:-} smtp=${7:-}
case $devices in
  '' | *[!0-9]*) echo "run_folder: DEVICES must be a number from 1 to 999" >&2; exit 2 ;;
esac
if [ "$devices" -lt 1 ] || [ "$devices" -gt 999 ]; then
  echo "run_folder: DEVICES must be a number from 1 to 999" >&2; exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
scrambler=${8:-$root/build/tools/zolscramble/zolscramble}
notify="00000000 00000000"
telnet_base=${TELNET_BASE:-}
mkdir -p "$dir"
cp "$program" "$dir/zolyab4"
# A settings value as the console stores it: Shift-JIS, scrambled.
scrambled() { "$scrambler" "$(printf '%s' "$1" | iconv -f UTF-8 -t CP932)"; }
{
  printf '[START]\r\nAUTO=1\r\n'
  printf '[SYSTEM]\r\nPORT=%s\r\n' "$port"
  if [ -n "$extra" ]; then printf '%b' "$extra"; fi
  printf '[SYSLOG]\r\nSAVE=1\r\nMODE=1\r\n'
  if [ -n "$smtp" ]; then
    [ -x "$scrambler" ] || { echo "run_folder: $scrambler missing (build first)" >&2; exit 1; }
    printf '[EMAIL]\r\nFLAG00=1\r\n'
    printf 'DATA01=%s\r\n' "$(scrambled 'ZOL 監視 <zol@example.com>')"
    printf 'DATA04=%s\r\n' "$(scrambled 'ops@example.com')"
    printf 'DATA05=%s\r\n' "$(scrambled "${smtp%:*}")"
    printf 'DATA06=%s\r\n' "$(scrambled "${smtp##*:}")"
    printf 'DATA09=%s\r\n' "$(scrambled 0)"
    printf 'DATA10=%s\r\n' "$(scrambled 'ZOL YAB 通知')"
  fi
} >"$dir/zolyab4.Ini"
if [ -n "$smtp" ]; then notify="11111000 00000000"; fi
# The device file: columns 1 to 20 of every device row, 20 lines a row, in
# Shift-JIS with CR LF.
{
  for ((k = 1; k <= devices; k++)); do
    if [ "$k" -le $(((devices + 1) / 2)) ]; then group="G001 グループ1"; else group="G002 サーバ室"; fi
    # The simulator's device k: the family prefix, then k in the last three
    # bytes (zolsim's default --mac-suffix 000001 plus k - 1).
    printf -v mac '02:5A:3C:%02X:%02X:%02X' $((k >> 16 & 255)) $((k >> 8 & 255)) $((k & 255))
    # ConnectInfo: method, IP, port, scrambled password ("kelpo"), telnet
    # port, use received IP, direct power control, group change.
    connect=""
    if [ -n "$telnet_base" ]; then
      tport=$((telnet_base + k - 1))
      connect="telnet,127.0.0.1,$tport,637437C6279787,$tport,0,1,0"
    fi
    printf '%s\r\n' "$mac" 20 "" "8,4" "$connect" "127.0.0.1" 11111111 11111111 "$kinds" \
      "ラック$k" "電源1,電源2,PING3,PING4,PING5,PING6,温度7,温度8," "$group" "メモ$k" "" "" \
      "$notify" "" "0009 0009 0009 0009 0009 0009 0009 0009 " "" ""
  done
} | iconv -f UTF-8 -t CP932 >"$dir/zolyab4.dat"
printf 'G001 グループ1\r\nG002 サーバ室\r\nG000 未登録グループ\r\n' | iconv -f UTF-8 -t CP932 >"$dir/zolyab4.lst"
