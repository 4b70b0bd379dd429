#!/usr/bin/env bash
# Prints three measures of how much the handler modules repeat themselves:
# the pairs of places that share six or more lines in the product code
# (front/, modules/, platform/, tools/, tqjs/, leaving out tests and the
# record layout headers), the mean length of a request handler in lines, and
# the lines of modules/. Usage: scripts/shape-metrics.sh [REV] (default: the
# working tree). Needs the `duplicates` command for the first measure.
set -euo pipefail
cd "$(dirname "$0")/.."
rev=${1:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "$rev" ]; then
    git archive "$rev" front modules platform tools tqjs | tar -x -C "$work"
else
    cp -r front modules platform tools tqjs "$work"/
fi
# Layout headers: fixed-width records and their static_asserts.
find "$work" \( -name 'rec_*.h' -o -name 'msg_*.h' -o -name '*_records.h' -o -name '*_msgs.h' \) -delete
if command -v duplicates >/dev/null; then
    (cd "$work" && git init -q && git add -A >/dev/null && duplicates --seconds 120 | head -1)
fi
python3 - "$work" <<'PY'
import glob, os, re, sys
root = sys.argv[1]
sources = {p: open(p, errors="replace").read() for p in glob.glob(root + "/modules/**/*.cpp", recursive=True)}
names = set()
for text in sources.values():
    if "request_entry" not in text:
        continue
    for m in re.finditer(r'\{"(/[^"]+)",\s*([\w:]+)(<[^>]*>)?', text):
        names.add(m.group(2) + (m.group(3) or ""))
lengths = []
for name in sorted(names):
    if "<" in name and name.split("<")[0] in ("page_get", "page_set"):
        lengths.append(1)  # a record page: the row is the handler
        continue
    base = name.split("<")[0]
    found = None
    for text in sources.values():
        m = re.search(r'^(?:template <[^>]*>\n)?void %s\((?:request|char)[^)]*\)\s*\{' % re.escape(base), text, re.M)
        if not m:
            continue
        depth, i = 0, m.end() - 1
        while i < len(text):
            if text[i] == "{": depth += 1
            elif text[i] == "}":
                depth -= 1
                if depth == 0: break
            i += 1
        found = text[m.start():i + 1].count("\n") + 1
        break
    if found:
        lengths.append(found)
module_lines = sum(open(p, errors="replace").read().count("\n")
                   for p in glob.glob(root + "/modules/**/*", recursive=True) if os.path.isfile(p))
print(f"handlers: {len(lengths)}, mean length {sum(lengths) / max(len(lengths), 1):.1f} lines")
print(f"modules/: {module_lines} lines")
PY
