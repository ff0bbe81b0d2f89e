#!/bin/bash
# Makes the spreadsheet round-trip test data: the table `vomtrail export`
# writes for a small folder (made from samples/ with fixed modification
# times, as test_collections.py makes it), edited as a person would, then
# opened and saved by LibreOffice Calc as CSV with a comma and with a
# semicolon. The files it writes are committed; the tests do not need
# LibreOffice (Debian: libreoffice-calc-nogui) to run.
#   bash tests/host/data/make-spreadsheet-csv.sh build/native/host/vomtrail
set -euo pipefail
vomtrail=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
samples=$here/../../../samples
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/../collection_folder.py" "$samples" "$work/music"
(cd "$work/music" && XDG_STATE_HOME=$work/state "$vomtrail" export .) > "$work/exported.csv"
# The person's edits: a title with the separator, a comment on two lines,
# an INFO text outside ASCII, a genre by name.
python3 - "$work/exported.csv" "$work/edited.csv" <<'PY'
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1], newline="", encoding="utf-8")))
for row in rows:
    if row["path"].endswith("So What.mp3"):
        row["title"], row["genre"] = "So What; (Live)", "Jazz"
    if row["path"].endswith(".rmp3"):
        row["comment"] = "line one\nline two"
    if row["path"].endswith(".wav"):
        row["INAM"] = "Blåtoner"
with open(sys.argv[2], "w", newline="", encoding="utf-8") as out:
    writer = csv.DictWriter(out, fieldnames=list(rows[0].keys()), lineterminator="\n")
    writer.writeheader()
    writer.writerows(rows)
PY
for form in comma:44 semicolon:59; do
  name=${form%%:*} separator=${form##*:}
  mkdir -p "$work/$name"
  soffice --headless --infilter="CSV:44,34,76,1" \
    --convert-to "csv:Text - txt - csv (StarCalc):$separator,34,76,1" --outdir "$work/$name" "$work/edited.csv" >/dev/null 2>&1
  cp "$work/$name/edited.csv" "$here/libreoffice-$name.csv"
done
cp "$work/exported.csv" "$here/exported.csv"
