"""qrx-cli publish against qrx-gateway-sim on a pseudo-terminal and Debian's mosquitto broker on a
free loopback port, read with mosquitto_sub: the retained status, gateway, discovery and states
are the simulated gateway's; a telegram gives one telegram message and one new state; the broker
stopped and started again gets the retained messages again; the gateway silent goes offline and
comes back online; SIGTERM leaves offline; TLS with a certificate authority made by openssl here,
a wrong password and a wrong authority named with exit 1; bad options exit 2 and send nothing."""
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
TOPICS = ("-t", "qrx/#", "-t", "homeassistant/#")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


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

    def __init__(self, name, port=None, extra=""):
        self.port = port or free_port()
        self.conf = os.path.join(WORK, name + ".conf")
        with open(self.conf, "w") as f:
            f.write("user %s\npersistence false\nlistener %d 127.0.0.1\n%s"
                    % (getpass.getuser(), self.port, extra or "allow_anonymous true\n"))
        self.log = open(os.path.join(WORK, name + ".log"), "a")
        self.proc = subprocess.Popen(["mosquitto", "-c", self.conf], stdout=self.log,
                                     stderr=subprocess.STDOUT)
        wait_until("mosquitto listens on %d" % self.port, 10, self.listening)

    def listening(self):
        assert self.proc.poll() is None, open(self.log.name).read()
        try:
            socket.create_connection(("127.0.0.1", self.port), 0.2).close()
            return True
        except OSError:
            return False

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(10)
        self.log.close()


def retained(broker):
    """{topic: payload} of what the broker retains now."""
    done = subprocess.run(["mosquitto_sub", "-h", "127.0.0.1", "-p", str(broker.port), *TOPICS,
                           "--retained-only", "-W", "1", "-F", "%t %p"],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=20)
    return dict((l.split(" ", 1) + [""])[:2] for l in done.stdout.splitlines())


class Subscriber:
    """mosquitto_sub for a while: its lines ("topic payload") in arrival order."""

    def __init__(self, broker, *tls):
        self.proc = subprocess.Popen(["mosquitto_sub", "-h", "127.0.0.1", "-p", str(broker.port),
                                      *tls, *TOPICS, "-F", "%t %p"], stdout=subprocess.PIPE,
                                     text=True)
        self.lines = []
        self.lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            with self.lock:
                self.lines.append(line.rstrip("\n"))

    def since(self, mark=0):
        with self.lock:
            return self.lines[mark:]

    def latest(self):
        """{topic: the last payload}, without the removed."""
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


def check_retained(messages):
    """Status, gateway, four states and their discovery: what the simulator holds."""
    assert messages["qrx/e2e/status"] == "online", messages
    gateway = json.loads(messages["qrx/e2e/gateway"])
    assert gateway["device"] == "QTX40" and gateway["response_time"] == 20, gateway
    assert gateway["line"] == "RTU 38400 even" and gateway["address"] == 1, gateway
    for row in range(4):
        state = json.loads(messages["qrx/e2e/sensor/%d/state" % row])
        sensor_id = "%08X" % (0x01830000 + row * 0x111)
        assert (state["row"], state["id"], state["org"]) == (row, sensor_id,
                                                            ("05", "06", "07")[row % 3]), state
        assert len(state["data"]) == 4 and 0 <= state["time"] <= 65535, state
        for k in range(4):
            uid = "qrx_e2e_%d_%s_%d" % (row, sensor_id, k)
            config = json.loads(messages["homeassistant/sensor/%s/config" % uid])
            assert config["state_topic"] == "qrx/e2e/sensor/%d/state" % row, config
            assert config["availability_topic"] == "qrx/e2e/status", config
    states = [t for t in messages if t.endswith("/state")]
    assert len(states) == 4 and len(messages) == 2 + 4 + 16, sorted(messages)


def check_telegrams(lines):
    """Each telegram message is followed, for its row, by one state with the same payload."""
    telegrams = 0
    for i, line in enumerate(lines):
        topic, payload = line.split(" ", 1)
        if topic.endswith("/telegram"):
            state = topic[:-len("telegram")] + "state"
            following = [l for l in lines[i + 1:] if l.startswith(topic[:-len("telegram")])]
            assert following and following[0] == state + " " + payload, (line, following[:1])
            telegrams += 1
        elif topic.endswith("/state"):
            before = lines[i - 1] if i else ""
            assert before == topic[:-len("state")] + "telegram " + payload, (line, before)
    return telegrams


def plain(sim):
    broker = Broker("plain")
    sub = Subscriber(broker)
    pub = publisher(sim, "mqtt://127.0.0.1:%d" % broker.port)
    try:
        wait_until("online, every state and discovery", 15,
                   lambda: sub.status() == "online" and len(sub.latest()) == 22)
        check_retained(retained(broker))

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
        assert pub.returncode == 0, (pub.returncode, err)
        wait_until("offline at the end", 5, lambda: sub.status() == "offline")
        assert "gateway offline" in err, err
    finally:
        if pub.poll() is None:
            pub.kill()
        sub.stop()
        broker.stop()
    print("plain ok")


def make_certificates():
    def openssl(*args):
        subprocess.run(["openssl", *args], cwd=WORK, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    for ca in ("ca", "other-ca"):
        openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                "-nodes", "-keyout", ca + ".key", "-out",
                ca + ".crt", "-days", "2", "-subj", "/CN=qrx test " + ca)
    openssl("req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
            "-keyout", "server.key", "-out", "server.csr",
            "-subj", "/CN=localhost")
    with open(os.path.join(WORK, "san.ext"), "w") as f:
        f.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n")
    openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
            "-CAcreateserial", "-out", "server.crt", "-days", "2", "-extfile", "san.ext")
    os.chmod(os.path.join(WORK, "server.key"), 0o644)


def tls(sim):
    make_certificates()
    subprocess.run(["mosquitto_passwd", "-b", "-c", os.path.join(WORK, "passwords"), "qrx",
                    "right"], check=True)
    os.chmod(os.path.join(WORK, "passwords"), 0o644)
    for name, password in (("right", "right\n"), ("wrong", "wrong\n")):
        with open(os.path.join(WORK, name), "w") as f:
            f.write(password)
    broker = Broker("tls", extra="allow_anonymous false\npassword_file %s\ncafile %s\n"
                    "certfile %s\nkeyfile %s\n" % tuple(os.path.join(WORK, f) for f in (
                        "passwords", "ca.crt", "server.crt", "server.key")))
    url = "mqtts://127.0.0.1:%d" % broker.port
    ca = os.path.join(WORK, "ca.crt")
    sub_tls = ("--cafile", ca, "-u", "qrx", "-P", "right")
    pub = None
    try:
        pub = publisher(sim, url, "--cafile", ca, "--username", "qrx", "--password-file",
                        os.path.join(WORK, "right"))
        sub = Subscriber(broker, *sub_tls)
        wait_until("online over TLS", 15, lambda: sub.status() == "online")
        sub.stop()
        pub.send_signal(signal.SIGTERM)
        pub.communicate(timeout=10)
        assert pub.returncode == 0

        for args, named in ((("--cafile", ca, "--username", "qrx", "--password-file",
                              os.path.join(WORK, "wrong")), "not authorised"),
                            (("--cafile", os.path.join(WORK, "other-ca.crt")),
                             "certificate verify failed")):
            pub = publisher(sim, url, *args)
            out, err = pub.communicate(timeout=30)
            assert pub.returncode == 1 and named in err, (args, pub.returncode, err)
    finally:
        if pub and pub.poll() is None:
            pub.kill()
        broker.stop()
    print("tls ok")


def bad_options(sim):
    sim.drain()
    before = len([l for l in sim.lines if " <- " in l])
    for args in (("--broker", "mqtt://"), ("--broker", "mqtt://127.0.0.1", "--password", "x"),
                 ("--broker", "mqtt://127.0.0.1", "--cafile", "/etc/hostname")):
        done = subprocess.run([CLI, "--port", sim.link, *LINE, "publish", *args],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                              timeout=20)
        assert done.returncode == 2, done
        assert done.stderr.startswith("qrx-cli: ") and done.stdout == "", done
    # an identification marks the log: its two requests are all that came since
    subprocess.run([CLI, "--port", sim.link, *LINE, "identify"], check=True, timeout=20,
                   stdout=subprocess.DEVNULL)
    sim.wait_for("read registers 0x0140 x1", 10)
    assert len([l for l in sim.drain() if " <- " in l]) == before + 2, "a bad option sent something"
    print("bad options ok")


try:
    with GatewaySim("--mode", "rtu", "--baud", "38400", "--sensors", "4") as gateway:
        plain(gateway)
        tls(gateway)
        bad_options(gateway)
finally:
    shutil.rmtree(WORK, ignore_errors=True)
