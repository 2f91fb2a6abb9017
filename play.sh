#!/usr/bin/env bash
# Builds the cabinet and runs it full screen from its staged working directory.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
brindlemark_install_packages

cmake --preset release
cmake --build --preset release
cd build/release/stage
exec ../brindlemark
