#!/usr/bin/env python3
"""Speed of the page server: qrx-cli serve against qrx-gateway-sim with 32 learned sensors on a
pseudo-terminal (ASCII 9600 even, the tool's start settings).

CPU: the share of one core (utime + stime of /proc/PID/stat over the given seconds, after the
first whole pass) of the reading alone (qrx-cli watch with serve's interval), of serve without a
page and of serve with one page on its WebSocket.

Delay: with the page connected, for every telegram the page is told of, the simulator's log
gives the answer that first showed the row's new time value (read: its last character on the
line, from the log's stamp, the response time and 51 characters of the ASCII answer at 9600 baud,
10 bits each) and the row's reading before it (previous); the telegram came between the two. The
page has it at most (read - previous) + (page - read) after the telegram: the row's reading
period (one pass and the interval) and the server's part, which is to stay under 100 ms.
    python3 tools/serve-speed.py build [seconds]"""
import json
import os
import queue
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time

import websocket  # Debian: python3-websocket

INTERVAL_MS = 50  # serve's default
ANSWER_LINE_S = 51 * 10 / 9600  # ":" 01 03 14 (20 data bytes) LRC CR LF, 7E1: 53.1 ms


def ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime: fields 14 and 15 of stat


def share(proc, seconds):
    before, started = ticks(proc.pid), time.monotonic()
    time.sleep(seconds)
    used = (ticks(proc.pid) - before) / os.sysconf("SC_CLK_TCK")
    return 100 * used / (time.monotonic() - started)


class Sim:
    """The simulator; its log lines with the time they arrived here (time.monotonic)."""

    def __init__(self, build, link):
        self.proc = subprocess.Popen([os.path.join(build, "qrx-gateway-sim"), "--mode", "ascii",
                                      "--sensors", "32", "--link", link],
                                     stdout=subprocess.PIPE, text=True)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        while not os.path.exists(link):
            time.sleep(0.05)

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put((time.monotonic(), line.rstrip("\n")))

    def taken(self):
        out = []
        while not self.lines.empty():
            out.append(self.lines.get())
        return out


def row_readings(lines):
    """{row: [(here time, time value)]} from the log: a block read's request, then its answer.
    The simulator's clock is put on ours by the least difference of its stamps to arrival."""
    stamped = [(at, float(l.split()[0]), l) for at, l in lines if re.match(r"^\s*[0-9.]+ ", l)]
    offset = min(at - stamp for at, stamp, _ in stamped)
    readings, row = {}, None
    for _, stamp, line in stamped:
        m = re.search(r"<- 01 read registers 0x([0-9A-F]{4}) x10", line)
        if m:
            row = int(m.group(1), 16) // 10 if int(m.group(1), 16) < 320 else None
            continue
        m = re.search(r"-> 01 registers ((?:[0-9A-F]{4} ){10}).*after (\d+) ms", line)
        if m and row is not None:
            time_value = int(m.group(1).split()[7], 16)
            end = stamp + offset + int(m.group(2)) / 1000 + ANSWER_LINE_S
            readings.setdefault(row, []).append((end, time_value))
        row = None
    return readings


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 30
    work = tempfile.mkdtemp(prefix="qrx-serve-speed-")
    link = os.path.join(work, "gateway")
    cli = [os.path.join(build, "qrx-cli"), "--port", link, "--address", "1"]
    sim = Sim(build, link)
    try:
        watch = subprocess.Popen(cli + ["watch", "--interval", str(INTERVAL_MS)],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(5)  # the first passes
        print("reading alone (watch): %.2f %% of one core" % share(watch, seconds))
        watch.send_signal(signal.SIGINT)
        watch.wait(10)

        serve = subprocess.Popen(cli + ["serve", "--listen", "127.0.0.1:0"],
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        url = serve.stdout.readline().strip()
        port, token = re.match(r"http://127.0.0.1:(\d+)/#token=(\w+)", url).groups()
        time.sleep(5)
        print("serve, no page:        %.2f %% of one core" % share(serve, seconds))

        page = websocket.create_connection("ws://127.0.0.1:%s/live" % port, timeout=30)
        page.send(json.dumps({"token": token}))
        page.recv()  # the whole state
        told = []  # (here time, row, time value) of every telegram the page is told of

        def listen():
            try:
                while True:
                    m = json.loads(page.recv())
                    at = time.monotonic()
                    rows = {r["row"]: r for r in m.get("rows", [])}
                    told.extend((at, row, rows[row]["time"]) for row in m.get("telegrams", []))
            except Exception:
                pass

        threading.Thread(target=listen, daemon=True).start()
        sim.taken()
        print("serve, one page:       %.2f %% of one core" % share(serve, seconds))
        readings = row_readings(sim.taken())
        page.close()
        serve.send_signal(signal.SIGTERM)
        serve.wait(10)

        periods, parts = [], []
        for at, row, value in told:
            seen = readings.get(row, [])
            first = next((i for i, (_, v) in enumerate(seen) if v == value), None)
            if not first:  # not in the window, or its first reading
                continue
            read, previous = seen[first][0], seen[first - 1][0]
            periods.append((read - previous) * 1000)
            parts.append((at - read) * 1000)
        print("telegrams told: %d; reading period of a row (one pass and the %d ms interval): "
              "median %.0f ms, most %.0f ms" % (len(parts), INTERVAL_MS,
                                               sorted(periods)[len(periods) // 2], max(periods)))
        print("server's part, from the end of the answer that showed it to the page: median %.0f ms, most "
              "%.0f ms" % (sorted(parts)[len(parts) // 2], max(parts)))
        print("telegram to page: at most %.0f ms" % max(p + s for p, s in zip(periods, parts)))
    finally:
        sim.proc.send_signal(signal.SIGTERM)
        sim.proc.wait(10)


main()
