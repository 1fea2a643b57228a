"""A pymodbus slave (an independent Modbus implementation) holding a known gateway image, for the
interoperability tests: python3 pymodbus_slave.py <device> <ascii|rtu> <address> on a serial
line, or python3 pymodbus_slave.py <port> tcp <address> as a Modbus TCP server on 127.0.0.1."""
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.server import StartSerialServer, StartTcpServer
from pymodbus.transaction import ModbusAsciiFramer, ModbusRtuFramer

# row: (ORG, ID, data bytes 0..3 in register order, time value)
SENSORS = {
    0: (0x05, 0x0021A3F1, (0x00, 0x00, 0x00, 0x70), 0x0003),
    4: (0x06, 0x0081B220, (0x09, 0x00, 0x00, 0x00), 0x0101),
    17: (0x07, 0x01834C17, (0x08, 0x7F, 0x66, 0x00), 0xFFFF),
    31: (0x07, 0xFFFFFFFE, (0xFF, 0xFF, 0xFF, 0xFF), 0x8000),
}
SENDERS = {
    3: (0x06, 0xFF9A0003, (0x09, 0x00, 0x00, 0x00), 0x00),
    7: (0x07, 0xFF9A0007, (0x08, 0x28, 0x02, 0x87), 0x30),
}
INVERTED_ROWS = (4, 17)


def image():
    regs = [0] * 480
    for row, (org, sid, data, time) in SENSORS.items():
        regs[10 * row:10 * row + 8] = [org, sid >> 16, sid & 0xFFFF, *data, time]
    for row, (org, sid, data, status) in SENDERS.items():
        base = 400 + 10 * row
        regs[base:base + 8] = [org, sid >> 16, sid & 0xFFFF, *data, status]
    regs[0x140] = 15  # minimal response time
    regs[0x141] = 0x0041  # transceiver
    coils = [False] * 0x48
    for row in INVERTED_ROWS:
        coils[0x20 + row] = True
    return regs, coils


def tool_image():
    """The image as qrx-cli read --format json shows it."""
    sensors = []
    for row in range(32):
        org, sid, data, t = SENSORS.get(row, (0, 0, (0, 0, 0, 0), 0))
        # registers 3..6 of a sensor slot hold data bytes 3..0
        sensors.append({"row": row, "org": "%02X" % org, "id": "%08X" % sid,
                        "data": list(reversed(data)), "time": t, "inverted": row in INVERTED_ROWS})
    senders = []
    for row in range(8):
        org, sid, data, status = SENDERS.get(row, (0, 0, (0, 0, 0, 0), 0))
        # registers 3..6 of a sender slot hold the sender tab's "Data-Byte 0".."Data-Byte 3"
        senders.append({"row": row, "org": org, "id": "%08X" % sid, "data": list(data),
                        "status": status})
    return {"device": "QTX40", "response_time": 15, "sensors": sensors, "senders": senders}


def main():
    device, mode, address = sys.argv[1], sys.argv[2], int(sys.argv[3])
    regs, coils = image()
    store = ModbusSlaveContext(hr=ModbusSequentialDataBlock(0, regs),
                               co=ModbusSequentialDataBlock(0, coils), zero_mode=True)
    context = ModbusServerContext(slaves={address: store}, single=False)
    if mode == "tcp":
        StartTcpServer(context=context, address=("127.0.0.1", int(device)))
        return
    framer = ModbusAsciiFramer if mode == "ascii" else ModbusRtuFramer
    print("listening", flush=True)
    StartSerialServer(context=context, framer=framer, port=device, baudrate=9600, bytesize=8,
                      parity="N", stopbits=1, timeout=0.005)


if __name__ == "__main__":
    main()
