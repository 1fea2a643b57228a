#!/usr/bin/env python3
"""What reading the gateway costs the tool: CPU ticks a minute and memory.

Runs the tool's main window (the end-to-end driver build/qrx_e2e_window, offscreen, real clock)
against qrx-gateway-sim (transceiver, eight learned sensors) on a pseudo-terminal in RTU at
115200 baud. After the first table pass the window closes the port, or stays connected and idle
(the receive poll Timer4 still ticks every 50 ms), or reads continuously (about 8 requests a
second) alone, with the traffic window open and with the history window open (rows 0..3 in its
chart). For each case it reads the program's user and system ticks from /proc/<pid>/stat over
the measuring time and reports ticks a minute, the share of one core, the requests a second the
gateway answered, and the resident memory at the start and the end.

Only the program's own running time counts, but on a busy machine every wake-up costs more:
compare figures taken one after the other (--build points at another build tree).

The simulator hands its answers on as a pseudo-terminal fed at the line's rate does, a write
every millisecond; --adapter-latency 16 hands them on in the pieces a USB adapter's latency timer
makes (FTDI: 16 ms).

    tools/measure-cpu.py [--build build] [--seconds 60] [--cases closed,idle,read,traffic,history]
                         [--adapter-latency MS]
"""
import argparse
import os
import queue
import signal
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


def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def rss_mib(pid):
    with open("/proc/%d/statm" % pid) as f:
        return int(f.read().split()[1]) * PAGE / 2**20


def measure(build, case, seconds, latency):
    folder = tempfile.mkdtemp(prefix="qrx-measure-")
    link = os.path.join(folder, "gateway")
    sim = subprocess.Popen([os.path.join(build, "qrx-gateway-sim"), "--link", link, "--mode",
                            "rtu", "--baud", "115200", "--address", "1", "--sensors", "8",
                            "--adapter-latency", str(latency)],
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
        time.sleep(2)  # the window has settled: the first traffic batch, the chart built
        count_lines(sim_lines, "")
        ticks, rss, start = cpu_ticks(window.pid), rss_mib(window.pid), time.monotonic()
        time.sleep(seconds)
        ticks = cpu_ticks(window.pid) - ticks
        taken = time.monotonic() - start
        requests = count_lines(sim_lines, "read registers")  # the request lines, "<- ..."
        return {"case": case, "ticks": ticks * 60.0 / taken,
                "core": 100.0 * ticks / TICKS_A_SECOND / taken,
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
    args = parser.parse_args()
    for program in ("qrx-gateway-sim", "qrx_e2e_window"):
        if not os.path.exists(os.path.join(args.build, program)):
            sys.exit("%s is not built in %s" % (program, args.build))
    print("%-8s %12s %8s %10s %10s %10s" % ("case", "ticks/min", "% core", "requests/s",
                                             "RSS start", "RSS end"))
    for case in args.cases.split(","):
        r = measure(args.build, case, args.seconds, args.adapter_latency)
        print("%-8s %12.1f %8.2f %10.1f %7.1f MiB %6.1f MiB" % (
            r["case"], r["ticks"], r["core"], r["requests"], r["rss0"], r["rss1"]), flush=True)


if __name__ == "__main__":
    main()
