"""qrx-cli against an independent Modbus slave: a pymodbus serial server on one end of a socat
pseudo-terminal pair holds a known gateway image; qrx-cli on the other end, in RTU and ASCII, reads
it with read --format json, which must equal that image exactly, then writes a sensor entry and a
sender row, which the slave must then hold."""
import json
import subprocess

from simlib import program
from slave_line import SlaveLine, slave

CLI = program("qrx-cli")


def cli(device, mode, *args):
    done = subprocess.run([CLI, "--port", device, "--mode", mode, "--address", "9", *args],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=120)
    assert done.returncode == 0, "%s %s: exit %d\n%s" % (mode, args, done.returncode, done.stderr)
    return done.stdout


def session(mode):
    with SlaveLine(mode, 9) as line:
        line.restart()
        text = cli(line.tool, mode, "read", "--format", "json")
        assert text.count("\n") == 1, text
        got = json.loads(text)
        want = slave.tool_image()
        assert list(got) == list(want), list(got)
        for key in ("device", "response_time"):
            assert got[key] == want[key], (key, got[key])
        for kind in ("sensors", "senders"):
            for g, w in zip(got[kind], want[kind]):
                assert list(g) == list(w) and g == w, "%s %s: %s, expected %s" % (mode, kind, g, w)
            assert len(got[kind]) == len(want[kind])

        cli(line.tool, mode, "learn", "12", "01834C99", "07")
        cli(line.tool, mode, "sender", "2", "--org", "6", "--data", "9,0,0,1", "--status", "3")
        got = json.loads(cli(line.tool, mode, "read", "--format", "json"))
        assert got["sensors"][12]["org"] == "07" and got["sensors"][12]["id"] == "01834C99", got
        assert got["senders"][2]["data"] == [9, 0, 0, 1] and got["senders"][2]["status"] == 3, got
        print(mode, "ok")


for m in ("rtu", "ascii"):
    session(m)
