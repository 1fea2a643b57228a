#!/usr/bin/env python3
"""What reading the gateway costs the tool: CPU ticks a minute and memory.

Runs the tool's main window (the end-to-end driver build/qrx_e2e_window, offscreen, real clock)
against qrx-gateway-sim (transceiver, eight learned sensors) on a pseudo-terminal in RTU at
115200 baud. After the first table pass the window closes the port, or stays connected and idle
(the receive poll Timer4 rests while nothing arrives), or reads continuously (about 8 requests a
second) alone, with the traffic window open and with the history window open (rows 0..3 in its
chart). For each case it reads the program's running time from /proc/<pid>/schedstat in slices
of 5 s over the measuring time and reports it as ticks a minute (1 tick = 10 ms) and as the share
of one core: the median slice, and the least and most; then what the kernel's tick accounting
charged it over the whole time (utime + stime of /proc/<pid>/stat, as top counts), the requests
a second the gateway answered, and the resident memory at the start and the end.

Only the program's own running time counts, but what a wake-up costs varies with the machine's
other work, and on a virtual machine from one slice to the next by a factor of two: to compare
two builds, measure them at the same time (--against the other build tree). --floor 25 measures,
at the same time, a process that only wakes up 25 times a second, as the reading window must
(the request, the answer's arrival and the poll tick that takes it, for each of 8.3 requests):
what the machine charges for the wake-ups alone, before any work.

The simulator hands its answers on as a pseudo-terminal fed at the line's rate does, a write
every millisecond; --adapter-latency 16 hands them on in the pieces a USB adapter's latency timer
makes (FTDI: 16 ms).

    tools/measure-cpu.py [--build build] [--against OTHER_BUILD] [--seconds 60]
                         [--cases closed,idle,read,traffic,history]
                         [--adapter-latency MS] [--settle SECONDS] [--floor WAKEUPS]
"""
import argparse
import os
import queue
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

TICKS_A_SECOND = os.sysconf("SC_CLK_TCK")
PAGE = os.sysconf("SC_PAGE_SIZE")


def lines_of(proc):
    """A queue of the process's output lines; None at its end."""
    q = queue.Queue()

    def read():
        for line in proc.stdout:
            q.put(line.rstrip("\n"))
        q.put(None)

    threading.Thread(target=read, daemon=True).start()
    return q


def wait_for(q, text, seconds, seen):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            line = q.get(timeout=max(0.01, end - time.monotonic()))
        except queue.Empty:
            break
        if line is None:
            break
        seen.append(line)
        if text in line:
            return
    sys.exit("no line with %r after %d s:\n%s" % (text, seconds, "\n".join(seen[-20:])))


def count_lines(q, text):
    """Takes the lines printed so far; how many hold text."""
    n = 0
    while True:
        try:
            line = q.get_nowait()
        except queue.Empty:
            return n
        if line is None:
            return n
        n += text in line


SLICE_SECONDS = 5


def cpu_seconds(pid):
    with open("/proc/%d/schedstat" % pid) as f:
        return int(f.read().split()[0]) / 1e9  # time on a CPU, in ns


def stat_ticks(pid):
    """utime + stime: what the kernel's tick accounting charges the program (top, ps)."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def rss_mib(pid):
    with open("/proc/%d/statm" % pid) as f:
        return int(f.read().split()[1]) * PAGE / 2**20


def slices_of(pid, seconds):
    """The process's share of a core in each slice of the measuring time, sorted."""
    slices = []
    for _ in range(max(1, round(seconds / SLICE_SECONDS))):
        used, began = cpu_seconds(pid), time.monotonic()
        time.sleep(SLICE_SECONDS)
        slices.append((cpu_seconds(pid) - used) / (time.monotonic() - began))
    return sorted(slices)


def measure_floor(seconds, wakeups, started):
    """A process that does nothing but wake up `wakeups` times a second: what the machine
    charges for the wake-ups alone, which the window's pacing needs whatever it does. Measured
    from the moment the window's measuring starts."""
    floor = subprocess.Popen([sys.executable, "-c", "import time\nwhile True: time.sleep(%f)"
                              % (1 / wakeups)])
    try:
        started.wait(timeout=120)
        ticks0, start = stat_ticks(floor.pid), time.monotonic()
        slices = slices_of(floor.pid, seconds)
        taken = time.monotonic() - start
        return {"case": "floor", "ticks": [s * 60 * TICKS_A_SECOND for s in slices],
                "median": statistics.median(slices) * 100,
                "charged": (stat_ticks(floor.pid) - ticks0) * 60 / taken}
    finally:
        floor.kill()
        floor.wait()


def measure(build, case, seconds, latency, settle, started):
    folder = tempfile.mkdtemp(prefix="qrx-measure-")
    link = os.path.join(folder, "gateway")
    sim = subprocess.Popen([os.path.join(build, "qrx-gateway-sim"), "--link", link, "--mode",
                            "rtu", "--baud", "115200", "--address", "1", "--sensors", "8"] +
                           (["--adapter-latency", str(latency)] if latency != 1 else []),
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    window = None
    try:
        sim_lines, seen = lines_of(sim), []
        wait_for(sim_lines, "serving ", 10, seen)
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        window = subprocess.Popen([os.path.join(build, "qrx_e2e_window"), link, "RTU", "1",
                                   "60000", "115200", case], env=env, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True)
        wait_for(lines_of(window), "measuring", 90, [])
        time.sleep(settle)  # the window has settled: the first traffic batch, the chart built
        count_lines(sim_lines, "")
        started.set()
        rss, start = rss_mib(window.pid), time.monotonic()
        ticks0 = stat_ticks(window.pid)
        slices = slices_of(window.pid, seconds)
        taken = time.monotonic() - start
        charged = (stat_ticks(window.pid) - ticks0) * 60 / taken
        requests = count_lines(sim_lines, "read registers")  # the request lines, "<- ..."
        return {"case": case, "ticks": [s * 60 * TICKS_A_SECOND for s in slices],
                "median": statistics.median(slices) * 100, "charged": charged,
                "requests": requests / taken,
                "rss0": rss, "rss1": rss_mib(window.pid)}
    finally:
        for p in (window, sim):
            if p and p.poll() is None:
                p.send_signal(signal.SIGTERM)
                p.wait(timeout=10)
        if os.path.lexists(link):
            os.unlink(link)
        os.rmdir(folder)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--cases", default="closed,idle,read,traffic,history")
    parser.add_argument("--adapter-latency", type=int, default=1)
    parser.add_argument("--against", metavar="BUILD",
                        help="measure this other build tree at the same time, case by case: "
                        "the two share the machine's moment, which medians taken one after the "
                        "other do not")
    parser.add_argument("--settle", type=float, default=2,
                        help="seconds between the first pass and the measuring (the traffic "
                        "table's scroll bar handle shrinks with every batch for its first minute)")
    parser.add_argument("--floor", type=float, metavar="WAKEUPS", default=0,
                        help="also measure, at the same time, a process that only wakes up this "
                        "often a second (25: the three wake-ups of each of 8.3 requests, the "
                        "request, the answer's arrival and the poll tick that takes it)")
    args = parser.parse_args()
    builds = [args.build] + ([args.against] if args.against else [])
    for build in builds:
        for program in ("qrx-gateway-sim", "qrx_e2e_window"):
            if not os.path.exists(os.path.join(build, program)):
                sys.exit("%s is not built in %s" % (program, build))
    print("%-8s %10s %14s %8s %8s %10s %10s %10s  %s" % (
        "case", "ticks/min", "(least-most)", "% core", "charged", "requests/s", "RSS start",
        "RSS end", "build" if args.against else ""))
    for case in args.cases.split(","):
        results, started = {}, threading.Event()
        threads = [threading.Thread(target=lambda b=b: results.update({b: measure(
            b, case, args.seconds, args.adapter_latency, args.settle, started)}))
            for b in builds]
        if args.floor > 0:
            threads.append(threading.Thread(target=lambda: results.update(
                {"floor": measure_floor(args.seconds, args.floor, started)})))
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        for build in builds + (["floor"] if args.floor > 0 else []):
            r, t = results[build], results[build]["ticks"]
            line = "%-8s %10.0f %14s %8.2f %8.0f" % (
                r["case"], statistics.median(t), "(%.0f-%.0f)" % (t[0], t[-1]), r["median"],
                r["charged"])
            if build != "floor":
                line += " %10.1f %7.1f MiB %6.1f MiB  %s" % (
                    r["requests"], r["rss0"], r["rss1"], build if args.against else "")
            print(line, flush=True)


if __name__ == "__main__":
    main()
