"""The tool's main window, through the serial device adapter and in real time, against
qrx-gateway-sim on a pseudo-terminal: identification, response time and one full table pass, in
both modes and both variants, and with corrupted answers and noise on the line."""
import sys

from simlib import GatewaySim, run_window, shown, value

ORGS = ["05", "06", "07"]


def expected_id(row):
    return "%08X" % (0x01830000 + row * 0x111)


def session(mode, variant, sensors, *faults):
    args = ["--mode", mode.lower(), "--address", "5", "--variant", variant,
            "--sensors", str(sensors), "--response-time", "25"]
    for f in faults:
        args += ["--fault", f]
    with GatewaySim(*args) as sim:
        rc, lines = run_window(sim.link, mode, 5)
        out = "\n".join(lines)
        print(value(lines, "pass"))
        assert rc == 0, "the pass did not end:\n" + out + "\n" + "\n".join(sim.drain()[-20:])
        assert value(lines, "connected") == "1", out
        assert value(lines, "devType") == ("QTX40" if variant == "qtx" else "QRX40"), out
        assert value(lines, "response") == "25", out
        rows = shown(lines, "sensor")
        for row in range(32):
            org, sid = rows[row][0], rows[row][1]
            if row < sensors:
                assert (org, sid) == (ORGS[row % 3], expected_id(row)), "row %d: %s" % (row, out)
            else:
                assert (org, sid) == ("00", "00000000"), "row %d: %s" % (row, out)
        senders = shown(lines, "sender")
        if variant == "qtx":
            assert senders[0][1:] == ["FF9A0000", "80", "0", "0", "0", "48"], out
            assert senders[2][1:] == ["FF9A0002", "135", "2", "40", "8", "48"], out
        reads = [l for l in sim.drain() if "read registers" in l and "<-" in l]
        sender_reads = [l for l in reads if " 0x019" in l or " 0x01A" in l or " 0x01B" in l
                        or " 0x01C" in l or " 0x01D" in l]
        assert bool(sender_reads) == (variant == "qtx"), "\n".join(reads)
        if faults:
            bad = [l for l in sim.lines if "check bad (fault)" in l]
            assert bad, "the fault plan hit no answer"
    print(mode, variant, sensors, " ".join(faults), "ok")


session("RTU", "qtx", 7)
session("ASCII", "qtx", 4)
session("ASCII", "qrx", 32)
session("RTU", "qrx", 2)
session("RTU", "qtx", 9, "corrupt=6", "noise=2")
session("ASCII", "qtx", 9, "corrupt=9", "drop=13")
sys.exit(0)
