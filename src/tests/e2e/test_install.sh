#!/usr/bin/env bash
# cmake --install of the build into a staging folder (DESTDIR) holds every file; the installed
# program's default settings file is the installed one, and with it the Help menu resolves to the
# installed help document of the language.
set -euo pipefail
build=${QRX_BUILD_DIR:?QRX_BUILD_DIR is the build folder}
command -v cmake >/dev/null || { echo "skipped: cmake is missing"; exit 77; }
[ -x "$build/qrx-config" ] || { echo "skipped: qrx-config is not built"; exit 77; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$stage cmake --install "$build" > "$stage.log" 2>&1 || { cat "$stage.log"; fail "install"; }
rm -f "$stage.log"
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
root=$stage$prefix
docs=$prefix/share/qrx-qtx-rs485-modbus/Doc
programs=(qrx-config qrx-cli)
[ -x "$build/qrx-gateway-sim" ] && programs+=(qrx-gateway-sim) # where the simulator is built
for p in "${programs[@]}"; do
    [ -x "$root/bin/$p" ] || fail "$root/bin/$p is not installed as a program"
done
for f in "$stage$docs/QRX-QTX-RS485_MODBUS.pdf" "$stage$docs/QRX-QTX-RS485_MODBUS_engl.pdf" \
         "$root/share/applications/qrx-config.desktop" "$root/share/man/man1/qrx-cli.1" \
         "$root/share/icons/hicolor/scalable/apps/qrx-config.svg"; do
    [ -s "$f" ] || fail "$f is not installed"
done
cmp -s "$stage$docs/QRX-QTX-RS485_MODBUS.pdf" "$build/Doc/QRX-QTX-RS485_MODBUS.pdf" ||
    fail "the installed German document is not the built one"

# Without QRX_SETTINGS_FILE the installed program reads the installed settings file.
settings=$(env -u QRX_SETTINGS_FILE "$root/bin/qrx-config" --print-settings-path)
[ -s "$stage$settings" ] || fail "the default settings file $settings is not installed"
grep -q '^"Pfad"="'"$prefix"'/share/qrx-qtx-rs485-modbus"' "$stage$settings" ||
    fail "the installed settings do not name $prefix/share/qrx-qtx-rs485-modbus"

# The installed settings are German; the same with "Language"="1033" is English.
help=$(QRX_SETTINGS_FILE=$stage$settings "$root/bin/qrx-config" --print-help-path)
[ "$help" = "$docs/QRX-QTX-RS485_MODBUS.pdf" ] || fail "help path $help"
[ -s "$stage$help" ] || fail "the help path $help names no installed file"
sed 's/"Language"="1031"/"Language"="1033"/' "$stage$settings" > "$stage/english.reg"
help=$(QRX_SETTINGS_FILE=$stage/english.reg "$root/bin/qrx-config" --print-help-path)
[ "$help" = "$docs/QRX-QTX-RS485_MODBUS_engl.pdf" ] || fail "English help path $help"
[ -s "$stage$help" ] || fail "the English help path $help names no installed file"

# The installed command-line tool runs without a display and knows its commands.
usage=$("$root/bin/qrx-cli" --help) || fail "qrx-cli --help failed"
grep -q '^  read ' <<<"$usage" || fail "qrx-cli --help lists no read command"
rc=0; "$root/bin/qrx-cli" --port simulator identify 2>/dev/null || rc=$?
[ "$rc" -eq 2 ] || fail "qrx-cli without --address: exit $rc, not 2"

# The desktop entry starts the installed program and names the installed icon.
desktop=$root/share/applications/qrx-config.desktop
grep -qx 'Exec=qrx-config' "$desktop" || fail "desktop entry does not start qrx-config"
grep -qx 'Icon=qrx-config' "$desktop" || fail "desktop entry does not name the icon"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop entry is not valid"
fi
if command -v python3 >/dev/null; then
    python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' \
        "$root/share/icons/hicolor/scalable/apps/qrx-config.svg" || fail "the icon is not XML"
fi
echo "ok: installed below $prefix, settings $settings, help $docs"
