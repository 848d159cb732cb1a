#!/usr/bin/env bash
# Builds what is missing and starts KALIDOS in a working folder that holds the program's data files
# and the bundled example structures.
#   ./kalidos.sh [WORKING_FOLDER]        (default: ~/kalidos-work)
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="${1:-$HOME/kalidos-work}"
build="$repo/build"

# The Debian packages of the build (the same list as README.md and .ci/run), installed when missing.
packages="g++ cmake ninja-build pkg-config qt6-base-dev qt6-svg-dev libgl-dev gemmi-dev libgtest-dev libgmock-dev libbenchmark-dev libxy-dev libpugixml-dev libzip-dev nlohmann-json3-dev libcli11-dev pybind11-dev python3-dev python3-numpy python3-distributed"
missing=""
for package in $packages; do
    dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    $sudo apt-get install -y -q$missing
fi

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target kalidos

# The program reads its data files from the folder it starts in and writes its listings there.
mkdir -p "$work"
if [ -d "$repo/data" ]; then
    for file in "$repo"/data/*; do
        case "$(basename "$file")" in
            *.md|*.txt|*.py) continue ;;
        esac
        [ -f "$file" ] && cp -u "$file" "$work/"
    done
fi
if [ -d "$repo/examples" ]; then
    mkdir -p "$work/examples"
    cp -u "$repo"/examples/* "$work/examples/" 2>/dev/null || true
fi
cd "$work"
exec "$build/app/kalidos"
