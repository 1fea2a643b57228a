"""qrx-gateway-sim reads the master's line settings from its pseudo-terminal and answers only a
master set as the gateway is: another baud rate gets silence, another parity garbled answers."""
import os
import select
import sys
import termios
import time
import tty

from simlib import GatewaySim, crc16

SPEEDS = {9600: termios.B9600, 19200: termios.B19200}


def frame(hex_text):
    pdu = bytes.fromhex(hex_text)
    return pdu + crc16(pdu)


def set_line(fd, baud, parity):
    """8 data bits with the parity and stop bits the tool uses: none means 2 stop bits."""
    tty.setraw(fd)
    attrs = termios.tcgetattr(fd)
    cflag = attrs[2] & ~(termios.PARENB | termios.PARODD | termios.CSTOPB)
    if parity != "N":
        cflag |= termios.PARENB
    if parity == "O":
        cflag |= termios.PARODD
    if parity == "N":
        cflag |= termios.CSTOPB
    attrs[2] = cflag
    attrs[4] = attrs[5] = SPEEDS[baud]
    termios.tcsetattr(fd, termios.TCSANOW, attrs)


def ask(fd, request, expected_length, seconds=1.0):
    """Writes the request and reads what comes within the given seconds."""
    termios.tcflush(fd, termios.TCIFLUSH)
    os.write(fd, request)
    got = b""
    end = time.monotonic() + seconds
    while len(got) < expected_length and time.monotonic() < end:
        ready, _, _ = select.select([fd], [], [], max(0.0, end - time.monotonic()))
        if ready:
            got += os.read(fd, 64)
    return got


with GatewaySim("--mode", "rtu", "--address", "3", "--baud", "19200", "--parity", "odd") as sim:
    fd = os.open(sim.link, os.O_RDWR | os.O_NOCTTY)
    request = frame("030301410001")
    good = frame("0303020041")

    set_line(fd, 19200, "O")
    got = ask(fd, request, len(good))
    assert got == good, "the gateway's own settings: %s" % got.hex()

    set_line(fd, 9600, "O")
    got = ask(fd, request, 1, 0.6)
    assert got == b"", "another baud rate must get silence: %s" % got.hex()
    sim.wait_for("requests are not understood", 5)

    set_line(fd, 19200, "E")
    got = ask(fd, request, len(good))
    assert got == bytes(len(good)), "odd against even damages every character: %s" % got.hex()

    set_line(fd, 19200, "N")
    got = ask(fd, request, len(good))
    assert len(got) == len(good) and got != good and 0 in got, "none: %s" % got.hex()
    sim.wait_for("answers arrive garbled", 5)

    os.close(fd)
print("ok")
sys.exit(0)
