"""qrx-cli through modbus-tcp:// against an independent Modbus TCP server: pymodbus on a free
loopback port holds a known gateway image, and read --format json must equal it."""
import json
import subprocess
import sys

from simlib import SKIP, free_port, program, wait_for_port

try:
    import pymodbus_slave as slave
except ImportError:
    print("python3-pymodbus is not installed")
    sys.exit(SKIP)

CLI = program("qrx-cli")
port = free_port()
server = subprocess.Popen([sys.executable, slave.__file__, str(port), "tcp", "9"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
try:
    wait_for_port(port, 20)
    done = subprocess.run([CLI, "--port", "modbus-tcp://127.0.0.1:%d" % port, "--address", "9",
                           "read", "--format", "json"],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=60)
    assert done.returncode == 0, "exit %d\n%s" % (done.returncode, done.stderr)
    assert json.loads(done.stdout) == slave.tool_image(), done.stdout
    print("modbus-tcp ok")
finally:
    server.kill()
    server.wait()
