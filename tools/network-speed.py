#!/usr/bin/env python3
"""qrx-cli read of a transceiver (43 requests) over the network, measured from its --verbose
times (first request written to last answer taken):
  - through ser2net's raw tcp accepter on loopback in front of a qrx-gateway-sim pseudo-terminal,
    against the least the line allows (every request's and answer's line time plus the gateway's
    response time of 20 ms) and against the same read on the pseudo-terminal itself, which gives
    ser2net's share; the goal is at most 1.25 x the least;
  - through modbus-tcp:// to qrx-gateway-sim --listen modbus-tcp:0; the goal is under 100 ms.
    python3 tools/network-speed.py [build folder] [runs]"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../src/tests/e2e"))
from simlib import free_port, wait_for_port  # noqa: E402

BUILD = sys.argv[1] if len(sys.argv) > 1 else "build"
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 5
CLI = os.path.join(BUILD, "qrx-cli")
SIM = os.path.join(BUILD, "qrx-gateway-sim")
FRAME = re.compile(r"^\s*(\d+) ms (->|<-) (.*?)    ")


def read(port, *line):
    """(ms from the first request to the last answer, the frames' characters on the line)."""
    done = subprocess.run([CLI, "--port", port, *line, "--address", "1", "--verbose", "read"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    times, characters = [], 0
    for entry in done.stderr.splitlines():
        m = FRAME.match(entry)
        if m:
            times.append(int(m.group(1)))
            frame = m.group(3).replace(" | ", " ")
            characters += len(frame) + 2 if frame.startswith(":") else len(frame.split())
    return times[-1] - times[0], characters, len(times) // 2


def started(args, text):
    """The program once it printed text; its further log is read and dropped."""
    proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    for out in proc.stdout:
        if text in out:
            threading.Thread(target=proc.stdout.read, daemon=True).start()
            return proc, out
    raise SystemExit("%s did not start" % args[0])


def through_ser2net(mode, baud):
    sim, _ = started([SIM, "--mode", mode, "--baud", str(baud), "--parity", "even", "--link",
                      os.path.join(tempfile.gettempdir(), "qrx-speed-gw")], "serving")
    folder = tempfile.mkdtemp()
    port = free_port()
    device = os.path.join(tempfile.gettempdir(), "qrx-speed-gw")
    with open(os.path.join(folder, "ser2net.yaml"), "w") as f:
        f.write("connection: &raw\n  accepter: tcp,127.0.0.1,%d\n"
                "  connector: serialdev,%s,%de%d1,local\n"
                % (port, device, baud, 7 if mode == "ascii" else 8))
    ser2net = subprocess.Popen([shutil.which("ser2net") or "/usr/sbin/ser2net", "-n", "-u", "-c",
                                os.path.join(folder, "ser2net.yaml"), "-P",
                                os.path.join(folder, "pid")],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for_port(port, 10)
        line = ["--mode", mode, "--baud", str(baud), "--parity", "even"]
        chars_ms = (10 if mode == "ascii" else 11) * 1000.0 / baud  # start, data, parity, stop
        direct = [read(device, *line) for _ in range(RUNS)]
        network = [read("tcp://127.0.0.1:%d" % port, *line) for _ in range(RUNS)]
        least = direct[0][1] * chars_ms + 20 * direct[0][2]
        took = statistics.median(r[0] for r in network)
        own = statistics.median(r[0] for r in direct)
        print("%s %6d baud through ser2net: %7.0f ms, least %7.0f ms, ratio %.3f; on the "
              "pseudo-terminal %7.0f ms (ser2net's share %+.0f ms, %.1f ms a request)"
              % (mode.upper(), baud, took, least, took / least, own, took - own,
                 (took - own) / direct[0][2]))
    finally:
        ser2net.terminate()
        ser2net.wait()
        sim.terminate()
        sim.wait()
        shutil.rmtree(folder)


def modbus_tcp():
    sim, out = started([SIM, "--listen", "modbus-tcp:0"], "serving")
    try:
        port = out.strip().rsplit(" on ", 1)[1]
        runs = [read(port) for _ in range(RUNS)]
        print("modbus-tcp to qrx-gateway-sim: %d requests in %.0f ms (median of %d; slowest "
              "%.0f ms)" % (runs[0][2], statistics.median(r[0] for r in runs), RUNS,
                            max(r[0] for r in runs)))
    finally:
        sim.terminate()
        sim.wait()


if __name__ == "__main__":
    for mode, baud in (("rtu", 9600), ("rtu", 115200), ("ascii", 9600)):
        through_ser2net(mode, baud)
    modbus_tcp()
