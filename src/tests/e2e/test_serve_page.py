"""qrx-cli serve against qrx-gateway-sim on a pseudo-terminal: the API over real sockets (token,
a body far too large cut off at the socket, a foreign Host), a WebSocket client that sees a
telegram arrive as one change message, Debian's chromium loading the page with its token (the
DOM it dumps holds the learned sensors' IDs), the site file's labels, HTTPS and WSS with a certificate made by openssl,
and SIGTERM. With QRX_SERVE_SHOTS=DIR the page is also pictured at 360 x 740, in English and
German (serve-phone-en.png, serve-phone-de.png), for the manuals."""
import json
import os
import re
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

from simlib import SKIP, GatewaySim, program

CHROMIUM = shutil.which("chromium")
try:
    import websocket  # Debian: python3-websocket
except ImportError:
    websocket = None
if not CHROMIUM or not websocket or not shutil.which("openssl"):
    print("chromium, python3-websocket or openssl is missing")
    sys.exit(SKIP)

CLI = program("qrx-cli")
SITE = os.path.join(os.path.dirname(__file__), "..", "..", "..", "docs", "example-site.csv")
WORK = tempfile.mkdtemp(prefix="qrx-serve-")
# the simulator's four sensors: ID 01830000 + 111 x row
SENSOR_IDS = ["%08X" % (0x01830000 + row * 0x111) for row in range(4)]


def serve(sim, *args):
    """qrx-cli serve on a free port; (process, base URL, token) once it listens."""
    proc = subprocess.Popen([CLI, "--port", sim.link, "--mode", "rtu", "--baud", "38400",
                             "--address", "1", "serve", "--listen", "127.0.0.1:0", *args],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    first = proc.stdout.readline().strip()
    m = re.match(r"(https?://127\.0\.0\.1:(\d+))/#token=([0-9a-f]{32})$", first)
    assert m, (first, proc.stderr.read() if proc.poll() is not None else "")
    with socket.socket() as s:
        assert s.connect_ex(("127.0.0.1", int(m.group(2)))) == 0
    return proc, m.group(1), m.group(3)


def stop(proc):
    proc.send_signal(signal.SIGTERM)
    assert proc.wait(10) == 0, proc.stderr.read()


def get(url, token=None, context=None, host=None):
    request = urllib.request.Request(url)
    if token:
        request.add_header("Authorization", "Bearer " + token)
    if host:
        request.add_header("Host", host)
    try:
        with urllib.request.urlopen(request, timeout=10, context=context) as r:
            return r.status, r.read()
    except urllib.error.HTTPError as e:
        return e.code, e.read()


def state_with_sensors(base, token, context=None):
    end = time.monotonic() + 15
    while time.monotonic() < end:  # the first whole pass
        status, body = get(base + "/api/state", token, context)
        rows = json.loads(body)["rows"]
        if status == 200 and all("id" in r for r in rows):
            return rows
        time.sleep(0.1)
    raise AssertionError("no whole pass: %s" % body)


def sockets(base, token):
    assert get(base + "/api/state")[0] == 401
    assert get(base + "/api/state", "0" * 32)[0] == 401
    assert get(base + "/api/state", token, host="evil.example")[0] == 421
    # a body far beyond 4 KiB: answered at the socket, which reads no further
    with socket.create_connection(("127.0.0.1", int(base.rsplit(":", 1)[1])), timeout=10) as s:
        s.sendall(b"POST /api/rows/1/invert HTTP/1.1\r\nHost: " + base[7:].encode() +
                  b"\r\nContent-Length: 1000000\r\n\r\n")
        try:
            s.sendall(b"x" * 1000000)
        except OSError:
            pass  # closed under us
        answer = s.recv(4096)
    assert answer.startswith(b"HTTP/1.1 413"), answer


def telegram_as_one_message(base, token):
    page = websocket.create_connection(base.replace("http", "ws") + "/live", timeout=15)
    page.send(json.dumps({"token": token}))
    whole = json.loads(page.recv())
    assert whole["type"] == "state" and len(whole["rows"]) == 32, whole
    times = {r["row"]: r["time"] for r in whole["rows"] if r.get("learned")}
    told = []
    while not told:  # the simulator's sensors send every 2 to 8 s
        change = json.loads(page.recv())
        assert change["type"] == "change", change
        for row in change.get("telegrams", []):
            sent = [r for r in change["rows"] if r["row"] == row]
            assert len(sent) == 1 and sent[0]["time"] != times[row], (change, times)
            times[row] = sent[0]["time"]
            told.append(row)
        assert all(r["row"] in change.get("telegrams", []) for r in change.get("rows", [])), \
            "only what changed: %s" % change
    page.close()


def chromium(url, *args):
    profile = tempfile.mkdtemp(dir=WORK)
    return subprocess.run([CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu",
                           "--disable-quic", "--no-first-run", "--disable-background-networking",
                           "--disable-component-update", "--disable-sync",
                           "--user-data-dir=" + profile, "--virtual-time-budget=3000", *args, url],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                          timeout=120).stdout


def browser(base, token):
    dom = chromium(base + "/#token=" + token, "--dump-dom")
    shown = re.findall(r'class="id">([0-9A-F]{8})<', dom)
    assert shown[:4] == SENSOR_IDS, (shown, dom[:2000])
    assert "QTX40" in dom, dom[:2000]
    shots = os.environ.get("QRX_SERVE_SHOTS")
    for language in ("en", "de") if shots else ():
        chromium(base + "/#token=" + token, "--window-size=360,740", "--hide-scrollbars",
                 "--accept-lang=" + language, "--screenshot=" + os.path.join(shots,
                                                                      "serve-phone-%s.png" % language))


def tls(sim):
    key, cert = os.path.join(WORK, "key.pem"), os.path.join(WORK, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-days", "1", "-subj", "/CN=127.0.0.1"], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    proc, base, token = serve(sim, "--tls-cert", cert, "--tls-key", key)
    try:
        assert base.startswith("https://")
        trusted = ssl.create_default_context(cafile=cert)
        trusted.check_hostname = False
        state_with_sensors(base, token, trusted)
        page = websocket.create_connection(base.replace("https", "wss") + "/live", timeout=15,
                                           sslopt={"ca_certs": cert, "check_hostname": False},
                                           header=["Authorization: Bearer " + token])
        assert json.loads(page.recv())["type"] == "state"
        page.close()
    finally:
        stop(proc)


def main():
    with GatewaySim("--mode", "rtu", "--baud", "38400", "--sensors", "4") as sim:
        proc, base, token = serve(sim, "--site", SITE)
        try:
            rows = state_with_sensors(base, token)
            assert [r["id"] for r in rows[:4]] == SENSOR_IDS, rows[:4]
            assert rows[0]["label"] == "EG Flur, Taster Licht", rows[0]  # from the site file
            sockets(base, token)
            telegram_as_one_message(base, token)
            browser(base, token)
        finally:
            stop(proc)
        tls(sim)
    shutil.rmtree(WORK)
    print("ok")


main()
