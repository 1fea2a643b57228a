"""qrx-cli through Debian's ser2net in front of a qrx-gateway-sim pseudo-terminal (RTU 19200 odd),
from a ser2net.yaml with a raw tcp accepter and a telnet(rfc2217) accepter on free loopback ports:
read --format json through tcp:// and rfc2217:// equals the simulator's table read on its own
line; a scan through rfc2217:// finds the simulator at its settings, which only ser2net can have
put on the pseudo-terminal; and a watch goes on after ser2net was stopped and started again."""
import json
import os
import queue
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

from simlib import SKIP, GatewaySim, free_port, program, wait_for_port

SER2NET = shutil.which("ser2net") or "/usr/sbin/ser2net"
if not os.path.exists(SER2NET):
    print("ser2net is not installed")
    sys.exit(SKIP)
CLI = program("qrx-cli")
RAW, TELNET = free_port(), free_port()


def cli(*args):
    done = subprocess.run([CLI, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          text=True, timeout=60)
    assert done.returncode == 0, "%s: exit %d\n%s" % (args, done.returncode, done.stderr)
    return done.stdout


def same_table(a, b):
    """Two reads of the simulator hold the same, but for the data of a sensor whose telegram came
    in between (its time value counts telegrams)."""
    for x, y in zip(a["sensors"], b["sensors"]):
        if x["time"] != y["time"]:
            x["data"] = y["data"] = x["time"] = y["time"] = None
    return a == b


class Ser2net:
    def __init__(self, folder, device):
        self.config = os.path.join(folder, "ser2net.yaml")
        with open(self.config, "w") as f:
            f.write("connection: &raw\n"
                    "  accepter: tcp,127.0.0.1,%d\n"
                    "  connector: serialdev,%s,19200o81,local\n"
                    "connection: &rfc2217\n"
                    "  accepter: telnet(rfc2217),tcp,127.0.0.1,%d\n"
                    "  connector: serialdev,%s,9600n81,local\n" % (RAW, device, TELNET, device))
        self.pidfile = os.path.join(folder, "ser2net.pid")
        self.proc = None

    def start(self):
        self.proc = subprocess.Popen([SER2NET, "-n", "-u", "-c", self.config, "-P", self.pidfile],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_port(RAW, 10)
        wait_for_port(TELNET, 10)

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(timeout=10)


def lines_of(stream):
    q = queue.Queue()
    threading.Thread(target=lambda: [q.put(l) for l in stream], daemon=True).start()
    return q


def wait_for(q, seen, text, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            line = q.get(timeout=0.1)
        except queue.Empty:
            continue
        seen.append(line)
        if text in line:
            return
    raise AssertionError("no line with %r in:\n%s" % (text, "".join(seen)))


def watch_goes_on(ser2net):
    watch = subprocess.Popen([CLI, "--port", "tcp://127.0.0.1:%d" % RAW, "--mode", "rtu",
                              "--address", "1", "watch", "--interval", "200"],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    out, err = lines_of(watch.stdout), lines_of(watch.stderr)
    seen_out, seen_err = [], []
    try:
        wait_for(out, seen_out, "Z,0,", 10)
        ser2net.stop()
        wait_for(err, seen_err, "connection lost, connecting again in 1 s", 10)
        ser2net.start()
        wait_for(err, seen_err, "connected again", 20)
        while not out.empty(): # the passes before
            out.get()
        wait_for(out, seen_out, "Z,3,", 10)  # a whole pass after the reconnection
    finally:
        watch.send_signal(signal.SIGINT)
        watch.wait(timeout=10)
    assert watch.returncode == 1, "a pass failed: %d" % watch.returncode


with GatewaySim("--mode", "rtu", "--baud", "19200", "--parity", "odd", "--sensors", "4") as sim, \
        tempfile.TemporaryDirectory() as folder:
    own = json.loads(cli("--port", sim.link, "--mode", "rtu", "--baud", "19200", "--parity", "odd",
                    "--address", "1", "read", "--format", "json"))
    ser2net = Ser2net(folder, sim.link)
    ser2net.start()
    try:
        raw = json.loads(cli("--port", "tcp://127.0.0.1:%d" % RAW, "--mode", "rtu", "--address",
                             "1", "read", "--format", "json"))
        assert same_table(raw, own), "through tcp://: %s\non the line: %s" % (raw, own)
        # the sender rows' IDs FF9A.... cross Telnet as doubled 0xFF bytes
        rfc = json.loads(cli("--port", "rfc2217://127.0.0.1:%d" % TELNET, "--mode", "rtu", "--baud",
                             "19200", "--parity", "odd", "--address", "1", "read", "--format",
                             "json"))
        assert same_table(rfc, own), "through rfc2217://: %s\non the line: %s" % (rfc, own)
        found = cli("--port", "rfc2217://127.0.0.1:%d" % TELNET, "scan", "--modes", "rtu",
                    "--bauds", "9600,19200", "--parities", "even,odd", "--addresses", "1-2")
        assert "found: address 1, RTU 19200 odd, QTX40" in found, found
        watch_goes_on(ser2net)
    finally:
        ser2net.stop()
    print("ser2net ok")
