"""A pymodbus slave (pymodbus_slave.py, an independent Modbus implementation holding a known
gateway image) on one end of a socat pseudo-terminal pair; the tool under test opens the other
end. Importing this module skips the test when python3-pymodbus or socat is missing."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

from simlib import SKIP

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
try:
    import pymodbus_slave as slave  # noqa: F401 (the image the tests compare with)
except ImportError:
    print("python3-pymodbus is not installed")
    sys.exit(SKIP)
if not shutil.which("socat"):
    print("socat is not installed")
    sys.exit(SKIP)


def wait_for_path(path, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if os.path.exists(path):
            return
        time.sleep(0.05)
    raise AssertionError(path + " did not appear")


def wait_for_line(proc, text, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        line = proc.stdout.readline()
        if text in line:
            return
        if not line and proc.poll() is not None:
            break
    raise AssertionError("the slave did not start")


class SlaveLine:
    """with SlaveLine("rtu", 9) as line: the tool opens line.tool; line.restart() starts a fresh
    slave (its image is known again, and its ASCII framer stops answering after one malformed
    frame)."""

    def __init__(self, mode, address):
        self.mode, self.address = mode.lower(), address
        self.work = tempfile.mkdtemp(prefix="qrx-slave-line-")
        self.slave_end = os.path.join(self.work, "slave")
        self.tool = os.path.join(self.work, "tool")
        self.socat = subprocess.Popen(["socat", "pty,raw,echo=0,link=" + self.slave_end,
                                       "pty,raw,echo=0,link=" + self.tool],
                                      stderr=subprocess.DEVNULL)
        self.server = None
        wait_for_path(self.slave_end, 10)
        wait_for_path(self.tool, 10)

    def restart(self):
        self._stop(self.server)
        self.server = subprocess.Popen([sys.executable, os.path.join(HERE, "pymodbus_slave.py"),
                                        self.slave_end, self.mode, str(self.address)],
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                       text=True)
        wait_for_line(self.server, "listening", 20)

    @staticmethod
    def _stop(proc):
        if proc and proc.poll() is None:
            proc.terminate()
            proc.wait(timeout=10)

    def __enter__(self):
        return self

    def __exit__(self, kind, value, tb):
        self._stop(self.server)
        self._stop(self.socat)
        shutil.rmtree(self.work, ignore_errors=True)
