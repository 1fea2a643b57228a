"""Starts qrx-gateway-sim on a pseudo-terminal for an end-to-end test and stops it again."""
import os
import queue
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

SKIP = 77


def build_dir():
    d = os.environ.get("QRX_BUILD_DIR")
    if not d:
        print("QRX_BUILD_DIR is not set")
        sys.exit(SKIP)
    return d


def program(name):
    """A program of the build; the test is skipped when it was not built."""
    path = os.path.join(build_dir(), name)
    if not os.path.exists(path):
        print(name, "is not built")
        sys.exit(SKIP)
    return path


def free_port():
    """A TCP port on 127.0.0.1 that nothing listens on now."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def listening(port):
    """Whether a socket listens on the TCP port (from /proc: polling by connecting would make a
    serial server open its device)."""
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        with open(table) as f:
            for line in f.readlines()[1:]:
                fields = line.split()
                if fields[3] == "0A" and int(fields[1].rsplit(":", 1)[1], 16) == port:
                    return True
    return False


def wait_for_port(port, seconds):
    """Polls until something listens on the TCP port."""
    end = time.monotonic() + seconds
    while not listening(port):
        if time.monotonic() > end:
            raise AssertionError("nothing listens on port %d" % port)
        time.sleep(0.02)


def crc16(data):
    """The Modbus RTU CRC of data, low byte first."""
    crc = 0xFFFF
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return bytes([crc & 0xFF, crc >> 8])


class GatewaySim:
    """qrx-gateway-sim with a link in a temporary directory; its log is kept in .lines."""

    def __init__(self, *args):
        self.dir = tempfile.mkdtemp(prefix="qrx-sim-")
        self.link = os.path.join(self.dir, "gateway")
        self.proc = subprocess.Popen([program("qrx-gateway-sim"), "--link", self.link, *args],
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.lines = []
        self.queue = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.wait_for("serving ", 10)

    def _read(self):
        for line in self.proc.stdout:
            self.queue.put(line.rstrip("\n"))
        self.queue.put(None)

    def wait_for(self, text, seconds):
        """Reads the log until a line holds text; fails after the given seconds."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            try:
                line = self.queue.get(timeout=max(0.01, end - time.monotonic()))
            except queue.Empty:
                break
            if line is None:
                break
            self.lines.append(line)
            if text in line:
                return line
        raise AssertionError("no log line with %r; log:\n%s" % (text, "\n".join(self.lines)))

    def drain(self):
        """Takes the log lines printed so far; returns all lines."""
        while True:
            try:
                line = self.queue.get_nowait()
            except queue.Empty:
                return self.lines
            if line is None:
                return self.lines
            self.lines.append(line)

    def stop(self):
        """SIGTERM; the program must end cleanly and remove its link."""
        self.proc.send_signal(signal.SIGTERM)
        self.proc.wait(timeout=10)
        while True:
            line = self.queue.get(timeout=10)
            if line is None:
                break
            self.lines.append(line)
        assert self.proc.returncode == 0, "exit code %d" % self.proc.returncode
        assert not os.path.lexists(self.link), "link left behind"
        os.rmdir(self.dir)

    def __enter__(self):
        return self

    def __exit__(self, kind, value, tb):
        if self.proc.poll() is None:
            if kind is None:
                self.stop()
            else:
                self.proc.kill()


def run_window(device, mode, address, timeout_ms=180000):
    """Runs the tool's main window on device through one table pass; returns (exit code, lines)."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    done = subprocess.run([program("qrx_e2e_window"), device, mode, str(address), str(timeout_ms)], env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                          timeout=timeout_ms / 1000 + 30)
    return done.returncode, done.stdout.splitlines()


def shown(lines, kind):
    """The window's rows of one kind ("sensor" or "sender") as {row: [fields]}."""
    rows = {}
    for line in lines:
        parts = line.split(" ")
        if parts[0] == kind:
            rows[int(parts[1])] = parts[2:]
    return rows


def value(lines, name):
    for line in lines:
        if line.startswith(name + " "):
            return line[len(name) + 1:]
        if line == name:
            return ""
    raise AssertionError("no %r in the window's output" % name)
