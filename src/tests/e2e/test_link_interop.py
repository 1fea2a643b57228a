"""The tool's link against an independent Modbus slave: a pymodbus serial server on one end of a
socat pseudo-terminal pair holds a known gateway image. On the other end, through the device
adapter, in ASCII and RTU: the link sends every request kind and collects the answers, then the
tool's main window reads the whole table. Every value must be the slave's."""
import subprocess

from simlib import crc16, program, run_window, shown, value
from slave_line import SlaveLine, slave


def expected_sensor(row):
    if row not in slave.SENSORS:
        return ["00", "00000000", "0", "0", "0", "0"]
    org, sid, data, _ = slave.SENSORS[row]
    # the window shows data byte 0 first; registers 3..6 hold data bytes 3..0
    return ["%02X" % org, "%08X" % sid] + [str(b) for b in reversed(data)]


def expected_sender(row):
    if row not in slave.SENDERS:
        return ["5", "00000000", "0", "0", "0", "0", "0"]
    org, sid, data, status = slave.SENDERS[row]
    # txt_snd_data_1 (data byte 3) comes from register 6, txt_snd_data_4 from register 3
    return [str(org), "%08X" % sid] + [str(b) for b in reversed(data)] + [str(status)]


def lrc(data):
    return bytes([(-sum(data)) & 0xFF])


def block(registers):
    return bytes([0x14]) + b"".join(r.to_bytes(2, "big") for r in registers)


def slot(row):
    org, sid, data, time = slave.SENSORS[row]
    return block([org, sid >> 16, sid & 0xFFFF, *data, time, 0, 0])


# The link script's answers from the slave's image (address 9), without the check.
SCRIPT = [
    ("identify", "09030200 41"),
    ("response-time", "090302000F"),
    ("set-response-time", "0910 0140 0001"),
    ("response-time-again", "09030200 28"),
    ("inversion-flags", "0901 04 10000200"),  # rows 4 and 17
    ("inversion-flag-row-4", "0901 01 01"),
    ("invert-row-0", "090F 0020 0001"),
    ("inversion-flags-again", "0901 04 11000200"),
    ("learn-on-row-3", "090F 0003 0001"),
    ("learn-off-row-3", "090F 0003 0001"),
    ("write-row-9", "0910 005A 0003"),
    ("watch-row-9", "0903" + block([7, 0x0183, 0xABCD] + [0] * 7).hex()),
    ("apply-sender-1", "0910 019A 000A"),
    ("sender-row-1", "0903" + block([7, 0, 0, 0x87, 2, 0x28, 8, 0x30, 0, 0]).hex()),
    ("transmit-1", "0905 0041 FF00"),
    ("sensor-row-17", "0903" + slot(17).hex()),
    ("sensor-row-31", "0903" + slot(31).hex()),
]


def check_link_script(mode, lines):
    """Every request kind answered as the slave's image says, with a good check."""
    got = dict(line.split(" ", 1) for line in lines if not line.startswith("message"))
    assert not [l for l in lines if l.startswith("message")], "\n".join(lines)
    for what, pdu_text in SCRIPT:
        pdu = bytes.fromhex(pdu_text.replace(" ", ""))
        answer = got.get(what, "missing")
        # ASCII kinds 12 and 13 are collected but have no handler
        answer = answer.replace(" (not dispatched)", "")
        assert answer != "timeout", "%s %s timed out" % (mode, what)
        raw = bytes.fromhex(answer)
        check = crc16(pdu) if mode == "RTU" else lrc(pdu)
        assert raw == pdu + check, "%s %s: %s, expected %s" % (mode, what, answer,
                                                                (pdu + check).hex().upper())


def run_link(device, mode):
    done = subprocess.run([program("qrx_e2e_link"), device, mode, "9"], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True, timeout=120)
    return done.stdout.splitlines()


def session(mode):
    with SlaveLine(mode, 9) as line:
        line.restart()
        check_link_script(mode, run_link(line.tool, mode))
        print(mode, "every request kind ok")
        line.restart()
        rc, lines = run_window(line.tool, mode, 9)
        out = "\n".join(lines)
        assert rc == 0, "the pass did not end:\n" + out
        assert value(lines, "devType") == "QTX40", out
        assert value(lines, "response") == "15", out
        assert value(lines, "connected") == "1", out
        assert value(lines, "alarm") == "", out
        sensors = shown(lines, "sensor")
        for row in range(32):
            assert sensors[row] == expected_sensor(row), "row %d: %s" % (row, sensors[row])
        senders = shown(lines, "sender")
        for row in range(8):
            assert senders[row] == expected_sender(row), "sender %d: %s" % (row, senders[row])
        print(mode, "ok,", value(lines, "pass"))


for m in ("RTU", "ASCII"):
    session(m)
