#!/usr/bin/env python3
"""Start-up of qrx-cli to its first request: the time from starting the program to the first byte
of the identification request on a pseudo-terminal that stands in for the gateway (nobody
answers; the program is ended once the byte is there). Prints the median, the fastest and the
slowest of the runs, and the same for /bin/true as the cost of starting any program here.
    python3 tools/cli-startup.py build/qrx-cli [runs]"""
import os
import select
import statistics
import subprocess
import sys
import time


def first_request_ms(program):
    master, slave = os.openpty()
    device = os.ttyname(slave)
    started = time.perf_counter()
    proc = subprocess.Popen([program, "--port", device, "--mode", "rtu", "--address", "1",
                             "--retries", "0", "identify"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    ready, _, _ = select.select([master], [], [], 5)
    took = (time.perf_counter() - started) * 1000
    proc.kill()
    proc.wait()
    os.close(master)
    os.close(slave)
    if not ready:
        raise SystemExit("no request within 5 s")
    return took


def exit_ms(program):
    started = time.perf_counter()
    subprocess.run([program])
    return (time.perf_counter() - started) * 1000


def summary(name, values):
    print("%-28s median %6.1f ms  fastest %6.1f ms  slowest %6.1f ms  (%d runs)" % (
        name, statistics.median(values), min(values), max(values), len(values)))


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else "build/qrx-cli"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 30
    first_request_ms(program)  # warm the page cache
    summary("qrx-cli to first request", [first_request_ms(program) for _ in range(runs)])
    summary("/bin/true to exit", [exit_ms("/bin/true") for _ in range(runs)])


if __name__ == "__main__":
    main()
