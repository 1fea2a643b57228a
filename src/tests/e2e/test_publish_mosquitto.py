"""qrx-cli publish against qrx-gateway-sim on a pseudo-terminal and mosquitto on a free port, read
with mosquitto_sub: retained messages, telegrams, the broker restarted, the gateway silent, SIGTERM,
TLS with a CA made by openssl, a wrong password or CA (exit 1); bad options: CliUsageTest."""
import getpass
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

from simlib import SKIP, GatewaySim, program

for peer in ("mosquitto", "mosquitto_sub", "mosquitto_passwd", "openssl"):
    if not shutil.which(peer):
        print(peer, "is missing")
        sys.exit(SKIP)

CLI = program("qrx-cli")
WORK = tempfile.mkdtemp(prefix="qrx-mqtt-")
os.chmod(WORK, 0o755)  # a broker started as root reads its files as the user it becomes
LINE = ("--mode", "rtu", "--baud", "38400", "--parity", "even", "--address", "1")


def wait_until(what, seconds, check):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        result = check()
        if result:
            return result
        time.sleep(0.05)
    raise AssertionError("not within %g s: %s" % (seconds, what))


class Broker:
    """mosquitto from a config this test writes, on a free port; waited for by polling the port."""

    def __init__(self, name, port=None, extra="allow_anonymous true\n"):
        if not port:  # a free one
            with socket.socket() as s:
                s.bind(("127.0.0.1", 0))
                port = s.getsockname()[1]
        self.port = port
        conf = os.path.join(WORK, name + ".conf")
        with open(conf, "w") as f:
            f.write("user %s\npersistence false\nlistener %d 127.0.0.1\n%s"
                    % (getpass.getuser(), port, extra))
        self.proc = subprocess.Popen(["mosquitto", "-c", conf], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        with socket.socket() as s:
            wait_until("mosquitto on %d" % port, 10, lambda: self.proc.poll() is None and
                       s.connect_ex(("127.0.0.1", port)) == 0)

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)


class Subscriber:
    """mosquitto_sub: its lines ("topic payload") in arrival order, retained ones first."""

    def __init__(self, broker, *tls):
        self.proc = subprocess.Popen(["mosquitto_sub", "-h", "127.0.0.1", "-p", str(broker.port),
                                      *tls, "-t", "qrx/#", "-t", "homeassistant/#", "-F",
                                      "%t %p"], stdout=subprocess.PIPE, text=True)
        self.lines = []
        threading.Thread(target=lambda: [self.lines.append(l.rstrip("\n"))
                                         for l in self.proc.stdout], daemon=True).start()

    def since(self, mark=0):
        return list(self.lines[mark:])

    def latest(self):
        """{topic: its last payload}, without the removed."""
        out = dict((l.split(" ", 1) + [""])[:2] for l in self.since())
        return {t: p for t, p in out.items() if p}

    def status(self):
        return self.latest().get("qrx/e2e/status")

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)


def publisher(sim, broker_url, *args):
    return subprocess.Popen([CLI, "--port", sim.link, *LINE, "publish", "--broker", broker_url,
                             "--name", "e2e", "--interval", "200", *args],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)


def check_retained(m):
    """Status, gateway, four states and their discovery: what the simulator holds."""
    assert m["qrx/e2e/status"] == "online" and len(m) == 2 + 4 + 4 * 4, sorted(m)
    gateway = json.loads(m["qrx/e2e/gateway"])
    assert (gateway["device"], gateway["response_time"], gateway["line"]) == (
        "QTX40", 20, "RTU 38400 even"), gateway
    for row in range(4):  # the simulator's sensors: ID 01830000 + 111 x row, ORG 05, 06, 07, 05
        sensor_id = "%08X" % (0x01830000 + row * 0x111)
        state = json.loads(m["qrx/e2e/sensor/%d/state" % row])
        assert (state["row"], state["id"], state["org"]) == (row, sensor_id, "0%d" % (5 + row % 3))
        for k in range(4):
            config = json.loads(m["homeassistant/sensor/qrx_e2e_%d_%s_%d/config" % (row, sensor_id, k)])
            assert config["state_topic"] == "qrx/e2e/sensor/%d/state" % row, config


def check_telegrams(lines):
    """After the first pass only pairs: a telegram, then the state of its row, the same JSON."""
    if lines and "/state " in lines[0]:
        lines = lines[1:]  # the pair began before the mark
    assert len(lines) % 2 == 0, lines
    for telegram, state in zip(lines[::2], lines[1::2]):
        topic, payload = telegram.split(" ", 1)
        assert topic.endswith("/telegram"), telegram
        assert state == topic[:-len("telegram")] + "state " + payload, (telegram, state)


def plain(sim):
    broker = Broker("plain")
    pub = publisher(sim, "mqtt://127.0.0.1:%d" % broker.port)
    sub = Subscriber(broker)
    try:
        wait_until("the first pass published", 15, lambda: len(sub.latest()) == 22)
        sub.stop()
        sub = Subscriber(broker)  # subscribed after the first pass: what it gets, was retained
        wait_until("everything retained", 5, lambda: len(sub.latest()) == 22)
        check_retained(sub.latest())

        mark = len(sub.since())  # telegrams of four sensors come every 2 to 8 s
        wait_until("two telegrams and their states", 15, lambda: sum(
            "/telegram " in l for l in sub.since(mark)) > 1 and "/state " in sub.since(mark)[-1])
        check_telegrams(sub.since(mark))

        # the broker stopped and started again, empty: the publisher publishes it all again
        sub.stop()
        broker.stop()
        broker = Broker("plain", broker.port)
        sub = Subscriber(broker)
        wait_until("retained again after the restart", 15, lambda: len(sub.latest()) == 22)
        check_retained(sub.latest())

        # the gateway silent: offline; answering again: online
        os.kill(sim.proc.pid, signal.SIGSTOP)
        try:
            wait_until("offline while the gateway is silent", 10, lambda: sub.status() == "offline")
        finally:
            os.kill(sim.proc.pid, signal.SIGCONT)
        wait_until("online again", 10, lambda: sub.status() == "online")

        # SIGTERM: offline, a clean end
        pub.send_signal(signal.SIGTERM)
        out, err = pub.communicate(timeout=10)
        assert pub.returncode == 0 and "gateway offline" in err, (pub.returncode, err)
        wait_until("offline at the end", 5, lambda: sub.status() == "offline")
    finally:
        if pub.poll() is None:
            pub.kill()
        sub.stop()
        broker.stop()
    print("plain ok")


def tls(sim):
    """A broker with TLS and a password file; its CA, its certificate and another CA made here."""
    def openssl(*args):
        subprocess.run(["openssl", *args], cwd=WORK, check=True, capture_output=True)
    ec = ("-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes")
    for ca in ("ca", "other-ca"):
        openssl("req", "-x509", *ec, "-keyout", ca + ".key", "-out", ca + ".crt", "-days", "2",
                "-subj", "/CN=qrx test " + ca)
    openssl("req", *ec, "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost")
    with open(os.path.join(WORK, "san.ext"), "w") as f:
        f.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n")
    openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
            "-CAcreateserial", "-out", "server.crt", "-days", "2", "-extfile", "san.ext")
    path = lambda name: os.path.join(WORK, name)
    subprocess.run(["mosquitto_passwd", "-b", "-c", path("passwords"), "qrx", "right"], check=True)
    for name in ("right", "wrong"):
        with open(path(name), "w") as f:
            f.write(name + "\n")
    [os.chmod(path(name), 0o644) for name in ("server.key", "passwords")]
    broker = Broker("tls", extra="allow_anonymous false\npassword_file %s\ncafile %s\ncertfile %s\n"
                    "keyfile %s\n" % tuple(map(path, ("passwords", "ca.crt", "server.crt",
                                                      "server.key"))))
    url = "mqtts://127.0.0.1:%d" % broker.port
    login = ("--cafile", path("ca.crt"), "--username", "qrx", "--password-file")
    pub = publisher(sim, url, *login, path("right"))
    sub = Subscriber(broker, "--cafile", path("ca.crt"), "-u", "qrx", "-P", "right")
    try:
        wait_until("online over TLS", 15, lambda: sub.status() == "online")
        pub.send_signal(signal.SIGTERM)
        assert pub.wait(10) == 0
        for args, named in (((*login, path("wrong")), "not authorised"),
                            (("--cafile", path("other-ca.crt")), "certificate verify failed")):
            pub = publisher(sim, url, *args)
            out, err = pub.communicate(timeout=30)
            assert pub.returncode == 1 and named in err, (args, pub.returncode, err)
    finally:
        if pub.poll() is None:
            pub.kill()
        sub.stop()
        broker.stop()
    print("tls ok")


try:
    with GatewaySim("--mode", "rtu", "--baud", "38400", "--sensors", "4") as gateway:
        plain(gateway)
        tls(gateway)
finally:
    shutil.rmtree(WORK, ignore_errors=True)
