#!/usr/bin/env bash
# Retakes the manual's screenshots in docs/manual/img (headless, by qrx-doc-shots against the
# built-in demo gateway; the commissioning report's first page by pdftoppm) and the main window
# screenshots in docs/ under Xvfb (needs xvfb, x11-apps, imagemagick). Rebuild afterwards: the help documents embed the manual's pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
QT_QPA_PLATFORM=offscreen ./build/qrx-doc-shots docs/manual/img
# the commissioning report's first page, as the PDF has it (poppler-utils)
for pdf in docs/manual/img/commission-report-*.pdf; do
    pdftoppm -png -singlefile -f 1 -l 1 -scale-to-x 700 -scale-to-y -1 "$pdf" "${pdf%.pdf}"
    rm "$pdf"
done
shot() { # language code, output file
    local settings
    settings=$(mktemp)
    sed "s/\"Language\"=\"1033\"/\"Language\"=\"$1\"/" build/demo-settings.reg > "$settings"
    QRX_SETTINGS_FILE=$settings xvfb-run -a -s "-screen 0 1366x768x24" bash -c '
        ./build/qrx-config & app=$!
        for _ in $(seq 50); do xwininfo -root -tree | grep -q "Configuration Software" && break; sleep 0.1; done
        sleep 1
        xwd -root -silent | convert xwd:- -trim "$0"
        kill $app' "$2"
    rm -f "$settings"
}
shot 1033 docs/main-window-en.png
shot 1031 docs/main-window-de.png
