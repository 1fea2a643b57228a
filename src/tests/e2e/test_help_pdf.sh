#!/usr/bin/env bash
# The help documents of the build: both PDFs exist and are A4, page 1 renders and carries the
# manual's title, every picture of the manual is in the PDF, and the demo settings' Help menu
# resolves to the built document.
set -euo pipefail
build=${QRX_BUILD_DIR:?QRX_BUILD_DIR is the build folder}
manuals=$(cd "$(dirname "$0")/../../../docs/manual" && pwd)
for tool in pdftoppm pdftotext pdfinfo pdfimages; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing (poppler-utils)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

check() { # pdf, markdown
    local pdf=$1 md=$2 title text pictures embedded
    [ -s "$pdf" ] || fail "$pdf is missing or empty"
    title=$(head -n 1 "$md" | sed 's/^# //')
    pdfinfo "$pdf" > "$work/info"
    grep -q "^Page size: *595 x 842 pts (A4)" "$work/info" || fail "$pdf is not A4"
    grep -qF "Title:           $title" "$work/info" || fail "$pdf has not the title $title"
    rm -f "$work/page.png"
    pdftoppm -f 1 -l 1 -r 30 -singlefile -png "$pdf" "$work/page"
    [ -s "$work/page.png" ] || fail "page 1 of $pdf does not render"
    # one line, ligatures (fi, fl) spelled out
    text=$(pdftotext -raw -f 1 -l 1 "$pdf" - | sed 's/\xef\xac\x81/fi/g; s/\xef\xac\x82/fl/g' | tr '\n' ' ')
    [[ "$text" == *"$title"* ]] || fail "page 1 of $pdf does not show the title: ${text:0:200}"
    pictures=$(grep -o '!\[[^]]*\]([^)]*)' "$md" | wc -l)
    embedded=$(pdfimages -list "$pdf" | tail -n +3 | wc -l)
    [ "$pictures" -gt 0 ] || fail "$md names no pictures"
    [ "$embedded" -ge "$pictures" ] || fail "$pdf holds $embedded pictures, $md names $pictures"
    echo "ok: $pdf ($(grep '^Pages:' "$work/info" | tr -s ' '), $embedded pictures)"
}
check "$build/Doc/QRX-QTX-RS485_MODBUS.pdf" "$manuals/manual-de.md"
check "$build/Doc/QRX-QTX-RS485_MODBUS_engl.pdf" "$manuals/manual-en.md"

# The demo settings name the build folder as the installation: Help opens the built document.
[ -x "$build/qrx-config" ] || { echo "skipped: qrx-config is not built"; exit 77; }
help=$(QRX_SETTINGS_FILE=$build/demo-settings.reg "$build/qrx-config" --print-help-path)
[ "$help" = "$build/Doc/QRX-QTX-RS485_MODBUS_engl.pdf" ] || fail "demo help path is $help"
echo "ok: the demo's Help opens $help"
