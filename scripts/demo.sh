#!/bin/sh
# The main job on the bundled example.
set -e
BUILD=${1:-build}
"$BUILD/src/cli/kelmora-calc" spectrum examples/compressor-spl.csv --distance 1 --q 2
