#!/usr/bin/env bash
# The plate lists end to end through webreq: "/6184" replacing the lists
# with 10,000 plates, then "/6183" deleting 5,000 of them. Prints the
# milliseconds of each request against the 500 ms target and the size of
# the plate database afterwards.
#   bench/anpr_lists.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
build=${BUILD_DIR:-build}
target_ms=500
cmake --build "$build" --target webreq nvrdb >/dev/null
root=$(mktemp -d /tmp/nvrbench.XXXXXX)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/mnt/nand/app" "$root/tmp" "$root/var/run"
NVR_ROOT="$root" "$build/bin/nvrdb" init

replace_body="$root/replace.json"
delete_body="$root/delete.json"
awk 'BEGIN {
    printf "{\"cnt\": 10000, \"plate\": ["
    for (i = 0; i < 10000; i++) printf "%s[\"%s\", \"AB%%20%05d\"]", (i ? "," : ""), (i % 3 ? "white" : "black"), i
    printf "]}"
}' >"$replace_body"
awk 'BEGIN {
    printf "{\"cnt\": 5000, \"plate\": ["
    for (i = 0; i < 10000; i += 2) printf "%s\"AB%%20%05d\"", (i ? "," : ""), i
    printf "]}"
}' >"$delete_body"

# Runs one request; prints its milliseconds, its reply body on stderr.
run() {
    local code=$1 body=$2 start end
    start=$(date +%s%N)
    env -i NVR_ROOT="$root" PATH="$build/bin:/usr/bin:/bin" REQUEST_METHOD=POST PATH_INFO="$code" \
        CONTENT_TYPE=application/json CONTENT_LENGTH="$(stat -c %s "$body")" REMOTE_ADDR=127.0.0.1 \
        "$build/bin/webreq" <"$body" | tail -c 40 >&2
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

verdict() { if (($1 < target_ms)); then echo PASS; else echo MISS; fi; }

best_replace=999999
best_delete=999999
for ((i = 0; i < runs; i++)); do
    r=$(run /6184 "$replace_body" 2>/dev/null)
    d=$(run /6183 "$delete_body" 2>/dev/null)
    ((r < best_replace)) && best_replace=$r
    ((d < best_delete)) && best_delete=$d
    echo "run $((i + 1)): /6184 10000 plates ${r} ms, /6183 5000 plates ${d} ms"
done
echo "/6184 replace 10000 plates: best ${best_replace} ms (target < ${target_ms}) $(verdict "$best_replace")"
echo "/6183 delete 5000 plates:   best ${best_delete} ms (target < ${target_ms}) $(verdict "$best_delete")"
db="$root/mnt/nand/app/anpr.db"
size=$(stat -c %s "$db")
wal=$(stat -c %s "$db-wal" 2>/dev/null || echo 0)
echo "anpr.db afterwards (5000 plates): ${size} bytes, log ${wal} bytes"
