#!/usr/bin/env bash
# Set-up for a Debian machine: installs what is missing, builds, then either starts the tool
# against the built-in simulated gateway ("run") or runs every test ("test").
#   bash tools/setup.sh run
#   bash tools/setup.sh test
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
what=${1:-run}

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-serialport-dev
          qt6-charts-dev libqt6opengl6-dev
          libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth fonts-dejavu-core socat
          python3-pymodbus python3-serial python3-serial-asyncio mbpoll ser2net clang libclang-rt-14-dev
          poppler-utils dpkg-dev desktop-file-utils libmosquitto-dev mosquitto mosquitto-clients
          openssl qt6-httpserver-dev qt6-websockets-dev libqrencode-dev chromium python3-websocket)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)
build() { # dir, cmake options...
    local dir=$1; shift
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

case "$what" in
run)
    build build
    export QRX_SETTINGS_FILE=${QRX_SETTINGS_FILE:-$root/build/demo-settings.reg}
    exec ./build/qrx-config
    ;;
test)
    build build
    (cd build && ctest --output-on-failure -j "$jobs")
    # The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
    build build-asan -DQRX_SANITIZE=ON -DQRX_BENCH=OFF
    (cd build-asan && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j "$jobs" -E '^e2e_')
    # Fuzz the parsers of line input briefly, where clang is there.
    if command -v clang++ >/dev/null; then
        build build-fuzz -DQRX_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++
        bash tools/run-fuzzers.sh build-fuzz "${QRX_FUZZ_SECONDS:-60}"
    fi
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
