#!/usr/bin/env bash
# Builds the cabinet with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
brindlemark_install_packages

cmake --preset dev
cmake --build --preset dev
ctest --preset dev
# Each libFuzzer harness for ten seconds, in its own clang build (scripts/fuzz.sh --minutes N
# runs a longer campaign).
scripts/fuzz.sh --seconds 10
# The real cabinet on a virtual X screen, played by touches through the X server (a few minutes).
ctest --preset play
# Installation, the Debian package and its systemd units.
ctest --preset package
