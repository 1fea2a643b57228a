#!/usr/bin/env python3
"""CPU of one publisher: qrx-cli publish against qrx-gateway-sim with 32 learned sensors on a
pseudo-terminal (ASCII 9600 even, the tool's start settings) and mosquitto on a free loopback
port. After the first whole pass it reads the publisher's CPU ticks (utime + stime of
/proc/PID/stat) over the given seconds and prints them as the share of one core, with the
messages that arrived meanwhile and the most messages one telegram gave.
The simulator hands its answers on character by character, as a pseudo-terminal fed at the line's
rate does; --adapter-latency 16 hands them on in the pieces a USB adapter's latency timer makes
(FTDI: 16 ms), which costs the tool fewer wake-ups.
    python3 tools/publish-cpu.py build [seconds] [--adapter-latency MS]"""
import getpass
import os
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time


def ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime: fields 14 and 15 of stat


def main():
    args = sys.argv[1:]
    latency = "1"
    if "--adapter-latency" in args:
        at = args.index("--adapter-latency")
        latency = args[at + 1]
        del args[at:at + 2]
    build = args[0] if args else "build"
    seconds = float(args[1]) if len(args) > 1 else 30
    work = tempfile.mkdtemp(prefix="qrx-publish-cpu-")
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    conf = os.path.join(work, "mosquitto.conf")
    with open(conf, "w") as f:
        f.write("user %s\nlistener %d 127.0.0.1\nallow_anonymous true\n" % (getpass.getuser(), port))
    link = os.path.join(work, "gateway")
    procs = [subprocess.Popen(["mosquitto", "-c", conf], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL),
             subprocess.Popen([os.path.join(build, "qrx-gateway-sim"), "--mode", "ascii",
                               "--sensors", "32", "--link", link,
                               "--adapter-latency", latency], stdout=subprocess.DEVNULL)]
    try:
        while not os.path.exists(link) or socket.socket().connect_ex(("127.0.0.1", port)):
            time.sleep(0.05)
        sub = subprocess.Popen(["mosquitto_sub", "-p", str(port), "-t", "qrx/#", "-F", "%t"],
                               stdout=subprocess.PIPE, text=True)
        procs.append(sub)
        topics = []
        threading.Thread(target=lambda: [topics.append(l.strip()) for l in sub.stdout],
                         daemon=True).start()
        pub = subprocess.Popen([os.path.join(build, "qrx-cli"), "--port", link, "--address", "1",
                                "publish", "--broker", "mqtt://127.0.0.1:%d" % port, "--name",
                                "cpu"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        procs.append(pub)
        while sum(t.endswith("/state") for t in topics) < 32:  # the first whole pass
            time.sleep(0.1)
        before, seen, started = ticks(pub.pid), len(topics), time.monotonic()
        time.sleep(seconds)
        used = (ticks(pub.pid) - before) / os.sysconf("SC_CLK_TCK")
        took = time.monotonic() - started
        window = topics[seen:]
        telegrams = sum(t.endswith("/telegram") for t in window)
        print("publisher: %.2f s CPU in %.1f s = %.2f %% of one core" % (used, took,
                                                                        100 * used / took))
        print("messages: %d (%d telegrams, %d states, %d other)" % (
            len(window), telegrams, sum(t.endswith("/state") for t in window),
            sum(not t.endswith(("/telegram", "/state")) for t in window)))
    finally:
        for p in reversed(procs):
            p.send_signal(signal.SIGTERM)
            p.wait(10)


main()
