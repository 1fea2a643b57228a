"""A pymodbus client (an independent Modbus master) reads and writes qrx-gateway-sim's objects,
in ASCII and RTU."""
import sys

from simlib import SKIP, GatewaySim

try:
    from pymodbus.client import ModbusSerialClient
    from pymodbus.transaction import ModbusAsciiFramer, ModbusRtuFramer
except ImportError:
    print("python3-pymodbus is not installed")
    sys.exit(SKIP)


def client(sim, mode):
    framer = ModbusAsciiFramer if mode == "ascii" else ModbusRtuFramer
    # 8N1 in both modes: a pseudo-terminal refuses parity and 7 data bits, and the framing alone
    # decides here
    c = ModbusSerialClient(sim.link, framer=framer, baudrate=9600, timeout=2,
                           bytesize=8, parity="N", stopbits=1)
    assert c.connect(), "cannot open " + sim.link
    return c


def check(ok, what):
    if not ok:
        raise AssertionError(what)


def session(mode):
    with GatewaySim("--mode", mode, "--address", "7", "--sensors", "4",
                    "--response-time", "30") as sim:
        c = client(sim, mode)
        # sensor row 1: ORG 06 and the ID the program learned there
        r = c.read_holding_registers(10, 10, slave=7)
        check(not r.isError(), "read of row 1: %s" % r)
        check(r.registers[0] == 0x06, "ORG of row 1: %s" % r.registers)
        check(len(r.registers) == 10, "ten registers")
        # module type and response time
        r = c.read_holding_registers(0x0140, 2, slave=7)
        check(r.registers == [30, 0x41], "response time and module type: %s" % r.registers)
        # a sender row: 400.. holds ORG 05 of the first filled row
        r = c.read_holding_registers(400, 10, slave=7)
        check(r.registers[0] == 0x05 and r.registers[1] == 0xFF9A, "sender row 0: %s" % r.registers)
        # inversion coil of row 2 on, read back among the 32 inversion coils
        check(not c.write_coil(0x22, True, slave=7).isError(), "write coil")
        r = c.read_coils(0x20, 32, slave=7)
        check(r.bits[2] and not r.bits[1], "inversion coils: %s" % r.bits[:8])
        # manual learn-in: ORG and ID into row 9, then read back
        check(not c.write_registers(90, [0x07, 0x0183, 0x4C17], slave=7).isError(), "write regs")
        r = c.read_holding_registers(90, 3, slave=7)
        check(r.registers == [0x07, 0x0183, 0x4C17], "row 9: %s" % r.registers)
        # an address outside the table is refused with exception 02
        r = c.read_holding_registers(0x0200, 1, slave=7)
        check(r.isError() and r.exception_code == 2, "exception 02: %s" % r)
        # another slave's address gets no answer
        r = c.read_holding_registers(0, 1, slave=8)
        check(r.isError(), "address 8 must stay silent")
        c.close()
        sim.wait_for("write registers 0x005A x3", 5)


for mode in ("rtu", "ascii"):
    session(mode)
    print(mode, "ok")
