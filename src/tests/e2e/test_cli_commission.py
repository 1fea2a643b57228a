"""qrx-cli commission against qrx-gateway-sim serving two gateways on one pseudo-terminal: a site
file in the German spreadsheet's form; the check alone (missing sensors, exit 1); then --apply
--listen with the report and its JSON twin (every sensor written or found, heard, exit 0); a bad
file refused with its line and column before anything is sent (exit 2)."""
import json
import os
import shutil
import subprocess
import tempfile

from simlib import GatewaySim, program

CLI = program("qrx-cli")
FAST = ("--mode", "rtu", "--baud", "115200")

# the simulator's sensors: address 1 rows 0..2 IDs 01830000, 01830111, 01830222 (ORG 05, 06, 07),
# address 2 the same with 0184xxxx
SITE = ("\ufeffAdresse;Zeile;ID;ORG;Bezeichnung;Invertiert\r\n"
        "1;0;01830000;05;EG Flur Taster;nein\r\n"
        "1;1;01830111;06;\"EG Büro; Fenster\";\r\n"
        "1;2;01830222;07;EG Temperatur;\r\n"
        "1;5;0021D7A0;05;EG neuer Taster;ja\r\n"
        "2;0;01840000;05;OG Flur Taster;\r\n"
        "2;;01840111;06;OG Fenster;\r\n"
        "2;2;01840222;07;OG Temperatur;\r\n"
        "2;;0081C3B5;06;OG neuer Fensterkontakt;\r\n")


def commission(sim, *args):
    done = subprocess.run([CLI, "--port", sim.link, *FAST, "commission", *args],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=120)
    return done.returncode, done.stdout, done.stderr


def requests(sim):
    return [l for l in sim.drain() if " <- " in l]


def main():
    with tempfile.TemporaryDirectory() as d, \
            GatewaySim(*FAST, "--address", "1,2", "--sensors", "3", "--response-time", "5") as sim:
        site = os.path.join(d, "site.csv")
        with open(site, "w", encoding="utf-8", newline="") as f:
            f.write(SITE)

        rc, out, err = commission(sim, site)
        assert rc == 1, (rc, out, err)
        lines = out.splitlines()
        assert lines[0] == "gateway 1: QTX40, response time 5 ms", out
        assert '  1   1  01830111  06  verified  "EG Büro; Fenster"' in lines, out
        assert '  1   5  0021D7A0  05  missing  "EG neuer Taster"' in lines, out
        assert '  2   1  01840111  06  verified  "OG Fenster"' in lines, out
        assert lines[-1] == "6 of 8 sensors verified, 2 deficiencies", out
        assert {l.split()[2] for l in requests(sim)} == {"01", "02"}, "both gateways read"

        report, twin = os.path.join(d, "report.pdf"), os.path.join(d, "report.json")
        rc, out, err = commission(sim, site, "--apply", "--listen", "10s", "--report", report,
                                  "--json", twin, "--site", "Musterhaus", "--technician",
                                  "A. Becker", "--language", "de")
        assert rc == 0, (rc, out, err)
        assert '  1   5  0021D7A0  05  written and verified' in out, out
        assert '  2   3  0081C3B5  06  written and verified' in out, out  # the first free row
        assert out.endswith("8 of 8 sensors verified, 0 deficiencies\n"), out
        facts = json.load(open(twin, encoding="utf-8"))
        assert facts["summary"]["text"] == "8 von 8 Sensoren bestätigt, 0 Mängel", facts
        heard = [s["listen"]["telegrams"] for g in facts["gateways"] for s in g["sensors"]]
        assert len(heard) == 8 and min(heard) >= 1, heard
        assert facts["gateways"][0]["sensors"][3]["found"]["inverted"] is True, facts
        if shutil.which("pdftotext"):
            text = subprocess.run(["pdftotext", "-raw", report, "-"], stdout=subprocess.PIPE,
                                  text=True, check=True).stdout
            for words in ("Inbetriebnahmeprotokoll", "Anlage Musterhaus", "Gateway 2: QTX40",
                          "8 von 8 Sensoren bestätigt, 0 Mängel"):
                assert words in text, (words, text)

        before = len(requests(sim))
        with open(site, "a", encoding="utf-8") as f:
            f.write("2;7;0081C3B6;09;falsches ORG;\r\n")
        rc, out, err = commission(sim, site)
        assert rc == 2 and out == "", (rc, out, err)
        assert err == ("qrx-cli: commission: %s refused: Line 10, column \"ORG\": the ORG \"09\" "
                       "is not 05, 06 or 07\n" % site), err
        assert len(requests(sim)) == before, "a refused file sent something"
    print("commission ok")


if __name__ == "__main__":
    main()
