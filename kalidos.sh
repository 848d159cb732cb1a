#!/usr/bin/env bash
# KALIDOS from its source folder, on Debian or Ubuntu:
#   ./kalidos.sh            installs the missing build packages, builds, and starts the program with
#                           the bundled quartz example opened and the CuKa1 line chosen: press "Calcul."
#   ./kalidos.sh FILE       the same, with the structure file FILE opened
#   ./kalidos.sh --test     installs the missing build packages, configures, builds and runs every test
# The program works in ~/kalidos-work (or $KALIDOS_WORK): its data files are copied there and its
# listings fstr.out and fstr2.out written there. KALIDOS_WARNINGS_AS_ERRORS=ON turns warnings into
# errors for --test (the continuous integration does so).
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$repo/build"
jobs="$(nproc 2>/dev/null || echo 2)"

# The Debian packages of the build (the same list as README.md and .ci/run), installed when missing.
packages="g++ cmake ninja-build pkg-config qt6-base-dev qt6-svg-dev libgl-dev gemmi-dev libgtest-dev libgmock-dev libbenchmark-dev libxy-dev libpugixml-dev libzip-dev libeigen3-dev libsqlite3-dev pybind11-dev python3-dev python3-numpy python3-distributed"
install_missing_packages() {
    local missing=""
    for package in $packages; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "Installing the missing packages:$missing"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

configure() {
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKALIDOS_WARNINGS_AS_ERRORS="${KALIDOS_WARNINGS_AS_ERRORS:-OFF}" "$@"
}

run_tests() {
    configure
    cmake --build "$build" -j"$jobs"
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$jobs"
}

start_program() {
    local structure="$1" anode="$2"
    [ -f "$build/build.ninja" ] || configure
    cmake --build "$build" -j"$jobs" --target kalidos
    local work="${KALIDOS_WORK:-$HOME/kalidos-work}"
    mkdir -p "$work/examples"
    # The program reads its data files from the folder it starts in and writes its listings there.
    for file in "$repo"/data/*; do
        case "$(basename "$file")" in
            *.md|*.txt|*.py) continue ;;
        esac
        [ -f "$file" ] && cp -u "$file" "$work/"
    done
    cp -u "$repo"/examples/* "$work/examples/"
    cd "$work"
    if [ -n "$anode" ]; then
        exec "$build/app/kalidos" --anode "$anode" "$structure"
    fi
    exec "$build/app/kalidos" "$structure"
}

install_missing_packages
case "${1:-}" in
    --test) run_tests ;;
    "") start_program "$repo/examples/quartz.cry" CuKa1 ;;
    -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//' ;;
    *) start_program "$(realpath "$1")" "" ;;
esac
