#!/bin/sh
# The main jobs on the bundled example: a spectrum conversion, then the prediction of the example
# factory at its site boundary (with the calculation breakdown) and over its horizontal grid, drawn as
# a noise map. The files go to out/, the points' LAeqT and LAmax to the terminal.
set -e
cd "$(dirname "$0")/.."
BUILD=${1:-build}
CALC="$BUILD/src/cli/kelmora-calc"
OUT=out
mkdir -p "$OUT"

"$CALC" spectrum examples/compressor-spl.csv --distance 1 --q 2

# The build writes the example project; a build without it gets one from the JSON form here.
PROJECT="$BUILD/examples/factory.kel"
if [ ! -f "$PROJECT" ]; then
    PROJECT="$OUT/factory.kel"
    "$CALC" load examples/factory.json -o "$PROJECT"
fi

# A copy of the project computed in another prediction mode (1 list, 2 horizontal grid); the other
# settings, the points and the grid stay as stored.
with_mode() {
    "$CALC" dump "$PROJECT" | sed "s/\"mode\": [0-9]*,/\"mode\": $1,/" >"$OUT/factory-mode$1.json"
    "$CALC" load "$OUT/factory-mode$1.json" -o "$2"
}

# Prints X, Y, Z, LAeqT and LAmax of the points from the two X Y Z result files (after their header
# lines, which are in the files' Japanese code page).
print_points() {
    awk 'NR == FNR { if (FNR > 1) laeq[FNR] = $3; next }
         FNR == 1 { printf "%10s %10s %8s %8s %8s\n", "X[m]", "Y[m]", "Z[m]", "LAeqT", "LAmax"; next }
         { printf "%10s %10s %8s %8s %8s\n", $1, $2, $4, laeq[FNR], $3 }' "$1" "$2"
}

echo
echo "== Site boundary: points of the list, with the calculation breakdown =="
with_mode 1 "$OUT/factory-boundary.kel"
"$CALC" run "$OUT/factory-boundary.kel" --breakdown "$OUT/boundary-breakdown.csv" \
    --laeq "$OUT/boundary-laeq.txt" --lamax "$OUT/boundary-lamax.txt"
print_points "$OUT/boundary-laeq.txt" "$OUT/boundary-lamax.txt"

# The breakdown of every grid point would run to gigabytes on this site: the grid writes its results
# only.
echo
echo "== Horizontal grid over the site =="
with_mode 2 "$OUT/factory-grid.kel"
"$CALC" run "$OUT/factory-grid.kel" --laeq "$OUT/grid-laeq.txt" --lamax "$OUT/grid-lamax.txt"
print_points "$OUT/grid-laeq.txt" "$OUT/grid-lamax.txt"

# The grid's LAeqT as a noise map: coloured 5 dB bands under the plan's site drawing with the legend,
# the same on a printed A3 page with scale bar, north arrow and title block, and the same bands,
# iso-lines and points for GIS.
echo
echo "== Noise map of the horizontal grid =="
"$CALC" map "$OUT/factory-grid.kel" --results "$OUT/grid-laeq.txt" --zoom 2 -o "$OUT/grid-map.png"
"$CALC" map "$OUT/factory-grid.kel" --results "$OUT/grid-laeq.txt" -o "$OUT/grid-map.pdf" --layout A3L \
    --scale 500 --title "工場周辺の騒音予測" >/dev/null
"$CALC" map "$OUT/factory-grid.kel" --results "$OUT/grid-laeq.txt" -o "$OUT/grid-map.geojson" >/dev/null

echo
echo "Files written to $OUT/ (CP932 text with CR LF line ends; the map as PNG, PDF and GeoJSON):"
ls -l "$OUT"/boundary-breakdown.csv "$OUT"/boundary-*.txt "$OUT"/grid-*.txt "$OUT"/grid-map.*
