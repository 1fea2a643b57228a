"""Starts qrx-gateway-sim on a pseudo-terminal for an end-to-end test and stops it again."""
import os
import queue
import signal
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


class GatewaySim:
    """qrx-gateway-sim with a link in a temporary directory; its log is kept in .lines."""

    def __init__(self, *args):
        self.dir = tempfile.mkdtemp(prefix="qrx-sim-")
        self.link = os.path.join(self.dir, "gateway")
        program = os.path.join(build_dir(), "qrx-gateway-sim")
        if not os.path.exists(program):
            print("qrx-gateway-sim is not built")
            sys.exit(SKIP)
        self.proc = subprocess.Popen([program, "--link", self.link, *args],
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
