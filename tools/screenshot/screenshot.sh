#!/usr/bin/env bash
# Runs the console under Xvfb with the simulator feeding it and saves PNGs:
# the splash window, the main window with the device tree (two groups with
# counts and state icons, devices not registered under G000, device 1 open
# and its states listed in colour in the detail grid under the tree), the
# icon view and the receive list, (in a second run with [SYSTEM] DEBUG=1) the debug
# window, the tree's popup menu on a device (by the keyboard, then by a
# right click on the device below), the password dialog and the
# group dialog (in a run with monitoring stopped and the password lock on),
# the backup tool zolv4backup with a folder selected, the main window's
# tab グループ in send mode after a group send, the folder chooser, each tab
# of the settings dialog with the folder chooser opened by its "参照", the
# device editor on its tabs 名称登録 and 接続, the tree of a 255-device table
# after a click on a device below an open device, then the detail window (pages
# 1, 2 and 4) and the temperature chart during a ramp, with and without its
# reading list (window_shots).
# Usage: tools/screenshot/screenshot.sh [OUTPUT_FOLDER]   (default build/screenshots)
# The X displays are picked at random from :90 to :189, or from the range
# FIRST-LAST given as ZOL_SHOT_DISPLAYS (e.g. 200-219).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build/screenshots}
console=$root/build/src/qt/zolyab4
backup=$root/build/src/qt/zolv4backup
sim=$root/build/tools/zolsim/zolsim
for f in "$console" "$backup" "$sim"; do
  [ -x "$f" ] || { echo "screenshot: build first ($f missing)" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "screenshot: Xvfb missing (bash scripts/setup)" >&2; exit 1; }
mkdir -p "$out"
displays=${ZOL_SHOT_DISPLAYS:-90-189}
# pick_display: a display number of the range, as ":N".
pick_display() {
  local first=${displays%-*} last=${displays#*-}
  echo ":$((first + RANDOM % (last - first + 1)))"
}
pids=()
works=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  for w in "${works[@]}"; do rm -rf "$w"; done
}
trap cleanup EXIT

# start_display DISPLAY: an X server on it; its pid in the caller's xvfb.
start_display() {
  Xvfb "$1" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  pids+=($xvfb)
  sleep 1
}

# end_run: the caller's console (console_pid) ends as on SIGTERM, then its
# X server (xvfb).
end_run() {
  kill -TERM "$console_pid" 2>/dev/null || true
  wait "$console_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}

# start_console FOLDER DISPLAY: the console of the run folder; its pid in the
# caller's console_pid.
start_console() {
  (cd "$1" && DISPLAY=$2 XDG_RUNTIME_DIR=$1 ./zolyab4 >/dev/null 2>&1) &
  console_pid=$!
  pids+=($console_pid)
}

# run_once NAME EXTRA_SYSTEM_LINES: one console run on its own display.
run_once() {
  local name=$1 extra=$2
  local work port display xvfb console_pid
  work=$(mktemp -d /tmp/zolshot.XXXXXX)
  works+=("$work")
  port=$((20000 + RANDOM % 20000))
  display=$(pick_display)
  bash "$root/tools/screenshot/run_folder.sh" "$work" "$console" "$port" 6 01111122 "$extra"
  start_display "$display"
  start_console "$work" "$display"
  sleep 1
  [ "$name" = main ] && DISPLAY=$display import -window root "$out/splash.png"
  sleep 2.5
  "$sim" --port "$port" --devices 6 --duration 12 --event "2 1 ping 3 abnormal" --event "3 1 ping 5 caution" --event "3 2 ping 4 caution" \
    --event "0 * ramp 20 50 20" --event "4 3 power 1 off" --event "5 6 silent" >/dev/null 2>&1 &
  pids+=($!)
  # Three devices that are not in the device file: listed under G000.
  "$sim" --port "$port" --devices 3 --mac-suffix 0000A1 --duration 12 >/dev/null 2>&1 &
  pids+=($!)
  sleep 6
  # In the main window: open device 1 (the second row of the tree, under the
  # open first group) and click its "状態表示" node (the row below it), so
  # that the detail grid under the tree lists its states in colour.
  if [ "$name" = main ]; then
    local wid
    wid=$(DISPLAY=$display xdotool search --onlyvisible --name '^ZOL YAB V4$' | head -n 1)
    if [ -n "$wid" ]; then
      DISPLAY=$display xdotool mousemove --window "$wid" 120 122 click 1
      sleep 0.5
      DISPLAY=$display xdotool mousemove --window "$wid" 120 140 click 1
    fi
  fi
  sleep 1
  DISPLAY=$display import -window root "$out/$name.png"
  end_run
}

# run_tree: monitoring stopped, the password lock on with an empty password.
# The tree's menu on a device, then "グループ新規作成(&G)" on a group asks
# the password; Enter unlocks, and the menu item again opens the group
# dialog.
run_tree() {
  local work display xvfb console_pid wid pw
  work=$(mktemp -d /tmp/zolshot.XXXXXX)
  works+=("$work")
  display=$(pick_display)
  bash "$root/tools/screenshot/run_folder.sh" "$work" "$console" 5000 4 01111122 'DATA31=1\r\n'
  sed -i 's/^AUTO=1/AUTO=0/' "$work/zolyab4.Ini"
  start_display "$display"
  start_console "$work" "$display"
  sleep 4.5
  wid=$(DISPLAY=$display xdotool search --name '^ZOL YAB V4$' | head -n 1)
  DISPLAY=$display xdotool windowactivate --sync "$wid" 2>/dev/null || true
  # The tree has the focus: down to the first device, then its menu.
  DISPLAY=$display xdotool mousemove --window "$wid" 80 140 click 1
  sleep 0.5
  DISPLAY=$display xdotool key Home Down
  sleep 0.5
  DISPLAY=$display xdotool key Menu
  sleep 1
  DISPLAY=$display import -window root "$out/tree_menu.png"
  DISPLAY=$display xdotool key Escape
  sleep 0.3
  # A right click on ID002, below the open device ID001 (its row is below
  # ID001's seven categories): the menu is for ID002, which the tree now
  # highlights where ID001's closing moved it.
  DISPLAY=$display xdotool mousemove --window "$wid" 80 266 click 3
  sleep 1
  DISPLAY=$display import -window root "$out/tree_menu_click.png"
  DISPLAY=$display xdotool key Escape Home
  sleep 0.5
  DISPLAY=$display xdotool key Menu
  sleep 0.5
  DISPLAY=$display xdotool key g
  sleep 1
  DISPLAY=$display import -window root "$out/password.png"
  pw=$(DISPLAY=$display xdotool search --name 'パスワード確認' | head -n 1)
  DISPLAY=$display xdotool mousemove --window "$pw" 120 43 click 1
  sleep 0.3
  DISPLAY=$display xdotool key Return
  sleep 0.5
  DISPLAY=$display xdotool windowactivate --sync "$wid" 2>/dev/null || true
  DISPLAY=$display xdotool mousemove --window "$wid" 80 140 click 1
  DISPLAY=$display xdotool key Home Menu
  sleep 0.5
  DISPLAY=$display xdotool key g
  sleep 1
  DISPLAY=$display import -window root "$out/group_dialog.png"
  end_run
}

# run_backup: the backup tool beside the console's files, with a folder of
# the home folder selected by typing its first letters into the tree.
run_backup() {
  local work display xvfb tool_pid wid
  work=$(mktemp -d /tmp/zolshot.XXXXXX)
  works+=("$work")
  display=$(pick_display)
  bash "$root/tools/screenshot/run_folder.sh" "$work/app" "$console" 5000 3 01111122
  cp "$backup" "$work/app/zolv4backup"
  mkdir -p "$work/home/backup-zolyab" "$work/home/documents"
  cp "$work/app/zolyab4.dat" "$work/home/backup-zolyab/"
  start_display "$display"
  (cd "$work/app" && DISPLAY=$display HOME=$work/home XDG_RUNTIME_DIR=$work ./zolv4backup >/dev/null 2>&1) &
  tool_pid=$!
  pids+=($tool_pid)
  sleep 2
  wid=$(DISPLAY=$display xdotool search --name 'ZOL YAB V4' | head -n 1)
  DISPLAY=$display xdotool type --window "$wid" --delay 50 'backup-z' 2>/dev/null
  sleep 1
  DISPLAY=$display import -window "$wid" "$out/backup.png"
  kill -TERM "$tool_pid" 2>/dev/null || true
  wait "$tool_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}

# run_settings: the settings dialog opened by the settings button, one
# picture per tab (settings-1.png ... settings-5.png) and the folder chooser
# opened by its "参照" (settings-folder.png).
run_settings() {
  local work display xvfb console_pid wid dlg tab
  work=$(mktemp -d /tmp/zolshot.XXXXXX)
  works+=("$work")
  display=$(pick_display)
  bash "$root/tools/screenshot/run_folder.sh" "$work" "$console" $((20000 + RANDOM % 20000)) 3 01111122
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  pids+=($xvfb)
  sleep 1
  (cd "$work" && DISPLAY=$display XDG_RUNTIME_DIR=$work ./zolyab4 >/dev/null 2>&1) &
  console_pid=$!
  pids+=($console_pid)
  sleep 4.5
  wid=$(DISPLAY=$display xdotool search --onlyvisible --name '^ZOL YAB V4$' | head -n 1 || true)
  if [ -n "$wid" ]; then
    # Monitoring starts by itself: the stop button, then the settings button.
    DISPLAY=$display xdotool mousemove --window "$wid" 53 18 click 1
    sleep 0.5
    DISPLAY=$display xdotool mousemove --window "$wid" 92 18 click 1
    sleep 1
    dlg=$(DISPLAY=$display xdotool search --onlyvisible --name '^基本設定$' | head -n 1 || true)
    if [ -n "$dlg" ]; then
      for tab in 1 2 3 4 5; do
        DISPLAY=$display import -window "$dlg" "$out/settings-$tab.png"
        DISPLAY=$display xdotool key --window "$dlg" ctrl+Tab
        sleep 0.5
      done
      # Back on the tab 共通: its "参照" opens the folder chooser above it.
      DISPLAY=$display xdotool mousemove --window "$dlg" 476 199 click 1
      sleep 1.5
      DISPLAY=$display import -window root "$out/settings-folder.png"
    else
      DISPLAY=$display import -window root "$out/settings-missing.png"
    fi
  fi
  end_run
}

# run_group_tab: the main window with the tab グループ in send mode after a
# group send of three devices, from the Qt test that drives that run.
run_group_tab() {
  local qt_test=$root/build/tests/qt/qt_test
  [ -x "$qt_test" ] || { echo "screenshot: $qt_test missing, no group_tab.png" >&2; return 0; }
  ZOL_SCREENSHOT_DIR=$out QT_QPA_PLATFORM=offscreen "$qt_test" \
    --gtest_filter='GroupTabView_.ARunShowsItsLogListAndCountersLive' >/dev/null
}

# run_editor: the device editor of a device heard from the simulator, after
# its identity was read over telnet, on its tabs 名称登録 and 接続, from the
# Qt test that drives that registration.
run_editor() {
  local qt_test=$root/build/tests/qt/qt_test
  [ -x "$qt_test" ] || { echo "screenshot: $qt_test missing, no editor.png" >&2; return 0; }
  ZOL_SCREENSHOT_DIR=$out QT_QPA_PLATFORM=offscreen "$qt_test" \
    --gtest_filter='EditorPeer.RegistersADeviceHeardFromTheSimulatorAfterReadingItsIdentity' >/dev/null
}

# run_folder_chooser: the folder chooser with a folder selected, from the Qt
# test that drives it.
run_folder_chooser() {
  local qt_test=$root/build/tests/qt/qt_test
  [ -x "$qt_test" ] || { echo "screenshot: $qt_test missing, no folder_chooser.png" >&2; return 0; }
  ZOL_SCREENSHOT_DIR=$out QT_QPA_PLATFORM=offscreen "$qt_test" \
    --gtest_filter='FolderTreeFixture.ListsFoldersOnlyAndHandsTheChoiceOverInShiftJis' >/dev/null
}

# run_device: the device window of the first icon, opened by a double-click,
# on devices whose telnet consoles the simulator serves (password "kelpo").
run_device() {
  local work port tbase display xvfb console_pid wid
  work=$(mktemp -d /tmp/zolshot.XXXXXX)
  works+=("$work")
  port=$((20000 + RANDOM % 20000))
  tbase=$((port + 1))
  display=$(pick_display)
  TELNET_BASE=$tbase bash "$root/tools/screenshot/run_folder.sh" "$work" "$console" "$port" 6 01111122
  start_display "$display"
  start_console "$work" "$display"
  sleep 3.5
  "$sim" --port "$port" --devices 6 --duration 12 --telnet-base "$tbase" --event "0 * ramp 20 50 20" \
    >/dev/null 2>&1 &
  pids+=($!)
  sleep 4
  # The first icon: the top left of the icon view, right of the tree and the
  # detail grid in the 800 x 640 main window.
  wid=$(DISPLAY=$display xdotool search --onlyvisible --name '^ZOL YAB V4$' | head -n 1)
  DISPLAY=$display xdotool mousemove --window "$wid" 414 127 click --repeat 2 --delay 120 1
  sleep 1.5
  DISPLAY=$display import -window root "$out/device.png"
  end_run
}

# run_tree_click: a full table of 255 devices reporting every second; a
# click on ID001 opens it, a click on ID002 below its seven categories
# selects ID002: the tree highlights ID002 (moved up as ID001 closed) and
# the detail grid under the tree lists ID002 (tree_click.png).
run_tree_click() {
  local work port display xvfb console_pid wid
  work=$(mktemp -d /tmp/zolshot.XXXXXX)
  works+=("$work")
  port=$((20000 + RANDOM % 20000))
  display=$(pick_display)
  bash "$root/tools/screenshot/run_folder.sh" "$work" "$console" "$port" 255 01111122
  start_display "$display"
  start_console "$work" "$display"
  sleep 4
  "$sim" --port "$port" --devices 255 --duration 20 --event "0 * ramp 20 50 20" >/dev/null 2>&1 &
  pids+=($!)
  sleep 5
  wid=$(DISPLAY=$display xdotool search --onlyvisible --name '^ZOL YAB V4$' | head -n 1)
  # The rows of the tree: G001 at 104, ID001 at 122, each row 18 high.
  DISPLAY=$display xdotool mousemove --window "$wid" 120 122 click 1
  sleep 1
  DISPLAY=$display xdotool mousemove --window "$wid" 120 266 click 1
  sleep 1.5
  DISPLAY=$display import -window root "$out/tree_click.png"
  end_run
}

run_once main ''
run_once debug 'DEBUG=1\r\n'
run_tree
run_backup
run_settings
run_group_tab
run_folder_chooser
run_device
run_tree_click
run_editor
shots=$root/build/tools/screenshot/window_shots
[ -x "$shots" ] || { echo "screenshot: build first ($shots missing)" >&2; exit 1; }
QT_QPA_PLATFORM=offscreen "$shots" "$out" "$sim" >/dev/null 2>&1 || { echo "screenshot: window_shots failed" >&2; exit 1; }
echo "screenshot: saved in $out: $(cd "$out" && echo *.png)"
