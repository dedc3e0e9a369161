#!/bin/bash
# Builds the host programs, the Windows programs and the release zip, and runs every test:
# the host tests, then the structure, reproducibility and Wine tests of the real
# timerhold.exe and timercheck.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
cmake --workflow --preset host
cmake --workflow --preset release
ctest --preset windows
