#!/usr/bin/env bash
# cpack -G DEB builds the Debian package of the build: its control data names the package, the
# maintainer and the Qt 6 runtime it depends on; it holds the programs, the help documents, the
# settings file (a conffile), the desktop entry, the icon and the publisher's service; and
# unpacked, its program finds its help document through its own settings.
set -euo pipefail
build=${QRX_BUILD_DIR:?QRX_BUILD_DIR is the build folder}
for tool in cpack dpkg-deb; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
[ -f "$build/CPackConfig.cmake" ] || { echo "skipped: no CPack configuration in $build"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$out" > "$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; fail "cpack"; }
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -s "${debs[0]}" ] || fail "no single package in $out"
deb=${debs[0]}

info=$(dpkg-deb --info "$deb")
grep -q '^ Package: qrx-qtx-rs485-modbus$' <<<"$info" || fail "package name: $info"
grep -q '^ Maintainer: .\+' <<<"$info" || fail "no maintainer"
grep -q '^ Description: .\+' <<<"$info" || fail "no description"
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6charts6 libqt6httpserver6 \
           libqt6websockets6 libmosquitto1 libqrencode4 adduser; do
    grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
docs=.$prefix/share/qrx-qtx-rs485-modbus/Doc
programs=(".$prefix/bin/qrx-config" ".$prefix/bin/qrx-cli" ".$prefix/share/man/man1/qrx-cli.1")
[ -x "$build/qrx-gateway-sim" ] && programs+=(".$prefix/bin/qrx-gateway-sim")
for f in "${programs[@]}" "$docs/QRX-QTX-RS485_MODBUS.pdf" "$docs/QRX-QTX-RS485_MODBUS_engl.pdf" \
         ".$prefix/share/applications/qrx-config.desktop" \
         ".$prefix/share/icons/hicolor/scalable/apps/qrx-config.svg" \
         ".$prefix/share/doc/qrx-qtx-rs485-modbus/copyright"; do
    grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
grep -q "_CPack_Packages\|$out" <<<"$contents" && fail "the package holds staging paths"

mkdir "$out/root"
dpkg-deb -x "$deb" "$out/root"
settings=$(env -u QRX_SETTINGS_FILE "$out/root$prefix/bin/qrx-config" --print-settings-path)
[ -s "$out/root$settings" ] || fail "the package lacks the settings file $settings"
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles | grep -qxF "$settings" ||
    fail "the settings file is not a conffile"
# the publisher's service: options from beside the settings, a user in dialout (postinst makes it)
unit=$(cat "$out/root$prefix/lib/systemd/system/qrx-publish@.service") || fail "no qrx-publish@"
for line in "EnvironmentFile=$(dirname "$settings")/publish-%i.conf" \
            "ExecStart=$prefix/bin/qrx-cli \$QRX_LINE publish \$QRX_PUBLISH" \
            "User=qrx-publish" "SupplementaryGroups=dialout" "Restart=on-failure"; do
    grep -qxF "$line" <<<"$unit" || fail "qrx-publish@.service lacks $line"
done
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./postinst | grep -q "adduser --quiet qrx-publish dialout" ||
    fail "postinst does not put the publisher's user into dialout"
help=$(QRX_SETTINGS_FILE=$out/root$settings "$out/root$prefix/bin/qrx-config" --print-help-path)
[ -s "$out/root$help" ] || fail "the packaged settings lead to $help, which the package lacks"
identified=$("$out/root$prefix/bin/qrx-cli" --port simulator --address 1 identify) ||
    fail "the packaged qrx-cli failed against the built-in gateway"
grep -qx 'device QTX40' <<<"$identified" || fail "the packaged qrx-cli identified: $identified"
echo "ok: $(basename "$deb"), Depends: $depends"
