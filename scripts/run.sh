#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it from the folder holding its sound cues.
# Usage: scripts/run.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}

scripts/deps.sh
cmake -S . -B "$build_dir" -G Ninja
cmake --build "$build_dir" --parallel "$(nproc)" --target gemino
cd "$build_dir"
exec ./gemino
