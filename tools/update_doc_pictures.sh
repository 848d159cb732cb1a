#!/usr/bin/env bash
# Renews the pictures of README.md: the offscreen test that starts the program as ./kalidos.sh does
# (quartz, CuKa1, "Calcul.") grabs the main window, the diagram window and the printed page into
# the build folder; they are copied into docs/. Run after ./kalidos.sh --test or any build of
# test_main_window. The Structure window's pictures come from
# StructureWindow.PicturesExportsAndPrint, saved through the window's own picture export.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$repo/build}"
cmake --build "$build" --target test_main_window
QT_QPA_PLATFORM=offscreen LC_ALL=C "$build/tests/main_window/test_main_window" \
    --gtest_filter='ProgramTest.ExampleAndAnodeNamedAtStartCalculateAtOnePress:StructureWindow.PicturesExportsAndPrint'
mkdir -p "$repo/docs"
for name in main_window diagram_window printed_page structure_rutile structure_quartz structure_ellipsoids_c \
    structure_ellipsoids; do
    cp "$build/tests/main_window/pictures/readme_$name.png" "$repo/docs/$name.png"
done
echo "the pictures of docs/ renewed"
# The refinement of the measured corundum (needs ../shared/realdata).
cmake --build "$build" --target test_refinement_window
QT_QPA_PLATFORM=offscreen LC_ALL=C "$build/tests/refinement_window/test_refinement_window" \
    --gtest_filter='RefinementWindowTest.ThreePressesReachTheBatchFiguresForTheReadme'
for name in refinement_window refinement_diagram; do
    if [ -f "$build/tests/refinement_window/pictures/readme_$name.png" ]; then
        cp "$build/tests/refinement_window/pictures/readme_$name.png" "$repo/docs/$name.png"
        echo "docs/$name.png renewed"
    fi
done
# The Series window (docs/series_window.png) over the 200-diagram corundum series is renewed by
# bench/series_corundum.py --picture, which makes the series first.
