"""qrx-cli against qrx-gateway-sim on a pseudo-terminal, in RTU and ASCII: every command through
the real program and port, the exit codes, --verbose, the watch ended by Ctrl-C, bad usage that
sends nothing, and COMn resolved through the stored settings; a scan that finds the simulator at
its own line settings, and one gateway's configuration saved and restored onto another."""
import json
import os
import signal
import subprocess
import tempfile

from simlib import GatewaySim, program

CLI = program("qrx-cli")


def cli(sim, mode, *args, address="1", env=None, port=None):
    done = subprocess.run([CLI, "--port", port or sim.link, "--mode", mode, "--address", address,
                           *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          timeout=60, env=env)
    return done.returncode, done.stdout, done.stderr


def ok(sim, mode, *args, **kw):
    rc, out, err = cli(sim, mode, *args, **kw)
    assert rc == 0, "%s %s: exit %d\n%s" % (mode, " ".join(args), rc, err)
    assert err == "" or "--verbose" in args, err
    return out


def requests(sim):
    """The requests the gateway has logged so far."""
    return [l for l in sim.drain() if " <- " in l]


def read_json(sim, mode):
    return json.loads(ok(sim, mode, "read", "--format", "json"))


def session(mode):
    with GatewaySim("--mode", mode, "--sensors", "4") as sim:
        g = read_json(sim, mode)
        assert g["device"] == "QTX40" and g["response_time"] == 20, g
        assert len(g["sensors"]) == 32 and len(g["senders"]) == 8, g
        assert [s["row"] for s in g["sensors"] if s["org"] != "00"] == [0, 1, 2, 3], g
        assert list(g["sensors"][0]) == ["row", "org", "id", "data", "time", "inverted"]

        assert ok(sim, mode, "identify") == "device QTX40\nmodule_type 0x0041\nresponse_time 20\n"
        assert ok(sim, mode, "learn", "7", "0021a3f1", "05") == \
            "row 7: learned 0021A3F1, ORG 05, read back\n"
        assert ok(sim, mode, "invert", "7", "on") == "row 7: data byte 1 inverted, read back\n"
        assert ok(sim, mode, "response-time", "25") == "response time 25 ms, read back\n"
        assert ok(sim, mode, "response-time") == "25\n"
        ok(sim, mode, "sender", "5", "--org", "7", "--data", "135,2,40,8", "--status", "48")
        ok(sim, mode, "transmit", "5")
        g = read_json(sim, mode)
        assert g["sensors"][7]["id"] == "0021A3F1" and g["sensors"][7]["inverted"], g["sensors"][7]
        assert g["senders"][5]["org"] == 7 and g["senders"][5]["data"] == [135, 2, 40, 8], g
        ok(sim, mode, "delete", "7")
        assert read_json(sim, mode)["sensors"][7]["org"] == "00"

        # --verbose: every frame decoded on standard error, the data unchanged on standard output
        rc, out, err = cli(sim, mode, "--verbose", "identify")
        assert rc == 0 and out.startswith("device QTX40"), (rc, out, err)
        assert "    identify\n" in err and "    1 register (taken, " in err, err

        # bad usage: exit 2, a message, nothing on the line; the commands around it mark the log
        ok(sim, mode, "invert", "30", "off")
        sim.wait_for("read coils 0x003E x1", 10)
        before = len(requests(sim))
        for args in (["learn", "32", "00000001", "05"], ["sender", "1", "--org", "9",
                     "--data", "1,2,3,4", "--status", "0"], ["read", "--format", "xml"]):
            rc, out, err = cli(sim, mode, *args)
            assert rc == 2 and out == "" and err.startswith("qrx-cli: "), (args, rc, out, err)
        ok(sim, mode, "invert", "29", "off")
        sim.wait_for("read coils 0x003D x1", 10)
        # identification (2 requests), the write and its read-back
        assert len(requests(sim)) == before + 4, "bad usage sent something"

        # nobody at address 9: taken as a receiver silent to the identification, then exit 1 at
        # the response-time read, what was tried and what finds the gateway
        rc, out, err = cli(sim, mode, "--timeout", "150", "identify", address="9")
        assert rc == 1 and err.startswith("qrx-cli: read response time: no answer (3 attempts)\n"), err
        assert "asked address 9 on %s with --mode %s " % (sim.link, mode) in err, err
        assert "qrx-cli --port %s scan" % sim.link in err, err

        # the watch: a header, then lines of learned slots, flushed per pass; Ctrl-C ends it as done
        proc = subprocess.Popen([CLI, "--port", sim.link, "--mode", mode, "--address", "1",
                                 "watch", "--interval", "200"], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)
        header = proc.stdout.readline()
        first = proc.stdout.readline()
        proc.send_signal(signal.SIGINT)
        rest, err = proc.communicate(timeout=10)
        assert proc.returncode == 0, (proc.returncode, err)
        assert header == "utc,row,id,org,data0,data1,data2,data3,time,changed\n", header
        assert first.endswith(",false\n") and first.count(",") == 9, first
        assert all(l.count(",") == 9 for l in rest.splitlines()), rest

        # COMn through the stored settings, as in the window
        with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False) as reg:
            reg.write('Windows Registry Editor Version 5.00\n\n'
                      '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalund\\QRX-QTX-RS485-MODBUS\\Ports]\n'
                      '"COM7"="%s"\n' % sim.link)
        try:
            env = dict(os.environ, QRX_SETTINGS_FILE=reg.name)
            assert ok(sim, mode, "response-time", port="COM7", env=env) == "25\n"
        finally:
            os.unlink(reg.name)
        print(mode, "ok")


def scan():
    """A small range, the simulator at its fourth line setting: found in about a second."""
    with GatewaySim("--mode", "rtu", "--baud", "19200", "--parity", "none", "--address", "3") as sim:
        def run(*args):
            done = subprocess.run([CLI, "--port", sim.link, "scan", "--modes", "rtu", "--bauds",
                                   "9600,19200", "--parities", "even,none", *args],
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                  timeout=60)
            return done.returncode, done.stdout, done.stderr
        rc, out, err = run("--addresses", "1-4")
        assert rc == 0, (rc, out, err)
        assert out.startswith("found: address 3, RTU 19200 none, QTX40, response time 20 ms\n"), out
        rc, out, err = run("--addresses", "5-6", "--format", "json")
        assert rc == 1 and json.loads(out)["found"] == [], (rc, out, err)
    print("scan ok")


def clone():
    """backup from one simulator, restore onto another that holds fewer sensors and answers later:
    the differences without --yes (exit 3), written with --yes, then none."""
    fast = ("--baud", "115200")
    with tempfile.TemporaryDirectory() as d, \
            GatewaySim(*fast, "--sensors", "6") as first, \
            GatewaySim(*fast, "--sensors", "2", "--response-time", "40") as second:
        path = os.path.join(d, "gateway.qrxcfg")
        ok(first, "rtu", *fast, "backup", path)
        rc, out, err = cli(second, "rtu", *fast, "restore", path)
        assert rc == 3 and "Sensor 5: ORG 00 → " in out, (rc, out, err)
        assert out.endswith("Response time: 40 ms → 20 ms\n"), out
        differing = len(out.splitlines())
        rc, out, err = cli(second, "rtu", *fast, "restore", "--yes", path)
        assert rc == 0 and err == "", (rc, out, err)
        assert out.endswith("%d of %d rows written and verified.\n" % (differing, differing)), out
        assert ok(second, "rtu", *fast, "restore", path) == "No differences.\n"
    print("clone ok")


for m in ("rtu", "ascii"):
    session(m)
scan()
clone()
