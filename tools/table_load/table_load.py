#!/usr/bin/env python3
"""Load run of the console at a full table, under Xvfb, with screenshots.

Runs zolyab4 on its own X display (Xvfb DISPLAY, 1024x768) in a temporary run
folder made by tools/screenshot/run_folder.sh: DEVICES registered devices of 8
outlets (outlets 1-2 power, 3-6 PING, 7-8 temperature; every outlet shown and
CSV-logged), monitoring started at launch, device 1 charted (the temperature
panel is shown), one command entry for the tab "グループ". The simulator
plays the same DEVICES devices, each reporting once a second for DURATION
seconds; outlets 3 and 4 of every device report PING caution and outlets 5 and
6 PING abnormal, so that the header counters of a full table hold four digits
(999 devices: OK 1998, ！ 1998, NG 1998, ON 1998; ？ 7992 before the first
datagram).

While it runs, it prints every SAMPLE seconds the console's CPU use over the
last interval, its resident memory and the kernel's count of datagrams dropped
at the console's socket, and takes screenshots of the main window:
  main_start.png           monitoring started, no datagram yet (？ 7992)
  main_full_table.png      30 s of datagrams: the counters of a full table
  main_group_tab.png       after a click on the tab "グループ"
  main_group_send_mode.png after "ファイル指定": the tab in send mode, the
                           destination list of group G001
  main_after_group_tab.png after a click back on "機器一覧"
  main_end.png             10 s before the end
At the end it compares the datagrams the simulator sent with those the console
processed (its CSV lines, 8 a datagram) and prints the figures.

Clicks go to fixed places of the 800 x 640 window (the left pane's tab bar and
the tab's "ファイル指定"); the screenshots show where they landed.

Everything goes to 127.0.0.1 only and every step is bounded in time; only the
processes it started are stopped; the run folder is removed unless --keep.

Usage: table_load.py --display :280 [--duration 600] [--devices 999]
                     [--sample 30] [--out build/table_load] [--port 15281]
                     [--program build/src/qt/zolyab4] [--zolsim build/tools/zolsim/zolsim] [--keep]
"""
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TICKS = os.sysconf("SC_CLK_TCK")
TITLE = "^ZOL YAB V4$"
# Places in the main window (800 x 640) that the run clicks.
TAB_DEVICES = (35, 51)    # "機器一覧"
TAB_GROUPS = (107, 51)    # "グループ"
FILE_BUTTON = (227, 601)  # "ファイル指定" of the tab グループ in command mode


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def udp_socket(port):
    """(bound, drops) of the UDP socket bound to port on this host, from /proc/net/udp."""
    try:
        with open("/proc/net/udp") as f:
            next(f)
            for line in f:
                fields = line.split()
                if int(fields[1].split(":")[1], 16) == port:
                    return True, int(fields[-1])
    except (OSError, StopIteration, ValueError, IndexError):
        pass
    return False, 0


def csv_files(folder):
    return [os.path.join(folder, n) for n in os.listdir(folder) if n.startswith("d") and n.endswith(".csv")]


def csv_bytes(folder):
    return sum(os.path.getsize(p) for p in csv_files(folder))


def csv_lines(folder):
    n = 0
    for p in csv_files(folder):
        with open(p, "rb") as f:
            n += f.read().count(b"\n")
    return n


def settle(count, timeout=120.0, quiet=2.0):
    """Waits until count() stops growing for quiet seconds; returns its value."""
    last, since, end = count(), time.time(), time.time() + timeout
    while time.time() < end:
        time.sleep(0.5)
        now = count()
        if now != last:
            last, since = now, time.time()
        elif time.time() - since >= quiet:
            break
    return last


def wait_for(what, check, timeout):
    end = time.time() + timeout
    while time.time() < end:
        value = check()
        if value:
            return value
        time.sleep(0.25)
    raise RuntimeError(f"table_load: {what} not within {timeout:.0f} s")


class Run:
    def __init__(self, args, folder):
        self.args, self.folder = args, folder
        self.env = dict(os.environ, DISPLAY=args.display, XDG_RUNTIME_DIR=folder)
        self.procs = []
        self.shots = []
        self.wid = None

    def start(self, cmd, **kw):
        p = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, **kw)
        self.procs.append(p)
        return p

    def x(self, *cmd, check=False):
        return subprocess.run(list(cmd), env=self.env, capture_output=True, text=True, timeout=20, check=check)

    def window(self):
        out = self.x("xdotool", "search", "--onlyvisible", "--name", TITLE).stdout.split()
        return out[0] if out else None

    def click(self, at):
        self.x("xdotool", "mousemove", "--window", self.wid, str(at[0]), str(at[1]), "click", "1")

    def shoot(self, name, what):
        path = os.path.join(self.args.out, name)
        r = self.x("import", "-window", self.wid, path)
        if r.returncode == 0:
            self.shots.append((name, what))
            print(f"  screenshot {path}: {what}", flush=True)
        else:
            print(f"  screenshot {name} failed: {r.stderr.strip()}", flush=True)

    def stop_all(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
        for p in reversed(self.procs):
            try:
                p.wait(timeout=10)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait(timeout=10)


def write_run_folder(args, folder):
    script = os.path.join(folder, "check.txt")
    with open(script, "wb") as f:
        f.write(b"@ZOL\r\n/ nothing is sent in a load run\r\n")
    extra = "TEMP=1\\r\\nGRPLASTDATA1=check,%s\\r\\n" % script
    subprocess.run(["bash", os.path.join(ROOT, "tools/screenshot/run_folder.sh"), folder, args.program,
                    str(args.port), str(args.devices), "00111122", extra], check=True, timeout=120)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--display", required=True, help="X display for Xvfb, e.g. :280 (must be free)")
    ap.add_argument("--duration", type=int, default=600, help="seconds the devices report (at least 60)")
    ap.add_argument("--devices", type=int, default=999)
    ap.add_argument("--sample", type=int, default=30, help="seconds between samples of CPU and memory")
    ap.add_argument("--port", type=int, default=15281)
    ap.add_argument("--out", default=os.path.join(ROOT, "build/table_load"), help="folder of the screenshots")
    ap.add_argument("--program", default=os.path.join(ROOT, "build/src/qt/zolyab4"))
    ap.add_argument("--zolsim", default=os.path.join(ROOT, "build/tools/zolsim/zolsim"))
    ap.add_argument("--keep", action="store_true", help="keep the run folder (its CSV and log files)")
    args = ap.parse_args()
    if args.duration < 60:
        sys.exit("table_load: --duration must be at least 60 seconds")
    if not 1 <= args.devices <= 999:
        sys.exit("table_load: --devices must be 1 to 999")
    if not re.fullmatch(r":\d+", args.display):
        sys.exit("table_load: --display must look like :280")
    for tool in ("Xvfb", "xdotool", "import"):
        if not shutil.which(tool):
            sys.exit(f"table_load: {tool} missing (bash scripts/setup)")
    for f in (args.program, args.zolsim):
        if not os.access(f, os.X_OK):
            sys.exit(f"table_load: {f} missing (build first)")
    if os.path.exists("/tmp/.X11-unix/X" + args.display[1:]):
        sys.exit(f"table_load: display {args.display} is in use")
    if udp_socket(args.port)[0]:
        sys.exit(f"table_load: UDP port {args.port} is in use")
    os.makedirs(args.out, exist_ok=True)

    folder = tempfile.mkdtemp(prefix="table_load")
    run = Run(args, folder)
    samples = []
    try:
        write_run_folder(args, folder)
        run.start(["Xvfb", args.display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("Xvfb", lambda: os.path.exists("/tmp/.X11-unix/X" + args.display[1:]), 15)
        console = run.start([os.path.join(folder, "zolyab4")], cwd=folder, env=run.env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        t_launch = time.time()
        run.wid = wait_for("the main window", run.window, 60)
        # The deferred start-up loads the table, builds the tree and starts monitoring.
        wait_for("monitoring (the UDP port bound)", lambda: udp_socket(args.port)[0], 120)
        print(f"table_load: {args.devices} devices x 8 outlets, once a second for {args.duration} s, "
              f"display {args.display}, port {args.port}; console up in {time.time() - t_launch:.1f} s; "
              f"load average {os.getloadavg()[0]:.1f} on {os.cpu_count()} CPUs", flush=True)
        time.sleep(2)
        run.shoot("main_start.png", "monitoring started, no datagram yet")

        events = []
        for outlet, state in ((3, "caution"), (4, "caution"), (5, "abnormal"), (6, "abnormal")):
            events += ["--event", f"0 * ping {outlet} {state}"]
        sim_out = os.path.join(folder, "zolsim.out")
        with open(sim_out, "w") as out:
            sim = run.start([args.zolsim, "--port", str(args.port), "--devices", str(args.devices), "--rate", "1",
                             "--duration", str(args.duration)] + events, stdout=out, stderr=subprocess.STDOUT)
        t0 = time.time()
        shots = [(30, lambda: run.shoot("main_full_table.png", "30 s of datagrams, the counters of a full table")),
                 (40, lambda: run.click(TAB_GROUPS)),
                 (42, lambda: run.shoot("main_group_tab.png", "the tab グループ shown")),
                 (45, lambda: run.click(FILE_BUTTON)),
                 (48, lambda: run.shoot("main_group_send_mode.png", "the tab グループ in send mode")),
                 (51, lambda: run.click(TAB_DEVICES)),
                 (54, lambda: run.shoot("main_after_group_tab.png", "back on 機器一覧 after the tab グループ")),
                 (args.duration - 10, lambda: run.shoot("main_end.png", "10 s before the end"))]
        print(f"{'time/s':>7} {'CPU %':>6} {'RSS/MB':>7} {'socket drops':>13}", flush=True)
        cpu_start = cpu0 = cpu_seconds(console.pid)
        last_t = t0
        next_sample = t0 + args.sample
        while sim.poll() is None:
            if console.poll() is not None:
                raise RuntimeError(f"table_load: the console ended (exit {console.returncode})")
            now = time.time()
            while shots and now - t0 >= shots[0][0]:
                shots.pop(0)[1]()
            if now >= next_sample:
                cpu = cpu_seconds(console.pid)
                sample = (now - t0, 100 * (cpu - cpu0) / (now - last_t), rss_mb(console.pid), udp_socket(args.port)[1])
                samples.append(sample)
                print(f"{sample[0]:>7.0f} {sample[1]:>6.1f} {sample[2]:>7.1f} {sample[3]:>13}", flush=True)
                cpu0, last_t = cpu, now
                next_sample += args.sample
            time.sleep(0.2)
        wall = time.time() - t0
        for _, act in shots:  # a run that ended early still takes its pictures
            act()
        with open(sim_out) as f:
            report = f.read()
        m = re.search(r"sent (\d+) datagram", report)
        if not m:
            raise RuntimeError("table_load: the simulator printed no report:\n" + report)
        sent = int(m.group(1))
        settle(lambda: csv_bytes(folder))
        lines = csv_lines(folder)
        cpu_total = cpu_seconds(console.pid) - cpu_start
        drops = udp_socket(args.port)[1]
        processed = lines // 8
        rss = [s[2] for s in samples] or [rss_mb(console.pid)]
        print(f"\ndatagrams: sent {sent}, processed {processed} ({lines} CSV lines), lost {sent - processed}; "
              f"dropped at the socket {drops}")
        print(f"CPU: {cpu_total:.1f} s in {wall:.0f} s, {100 * cpu_total / wall:.1f} % of one CPU on average, "
              f"{1e6 * cpu_total / max(processed, 1):.0f} us a datagram")
        print(f"RSS: {rss[0]:.1f} MB at the first sample, {max(rss):.1f} MB at most, {rss[-1]:.1f} MB at the last")
        print("screenshots: " + ", ".join(os.path.join(args.out, n) for n, _ in run.shots))
        if args.keep:
            print(f"run folder kept: {folder}")
    finally:
        run.stop_all()
        if not args.keep:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
