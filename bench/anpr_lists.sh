#!/usr/bin/env bash
# The plate lists: milliseconds of the store calls for 10,000 plates (a
# replace of the whole list, then a delete of 5,000), and of the same
# requests end to end through webreq with the largest batch its request
# buffer (30720 bytes) takes, against a list of 10,000 stored plates.
# Prints each figure against the 500 ms target and the size of anpr.db.
#   bench/anpr_lists.sh [PLATES_PER_REQUEST]
set -euo pipefail
cd "$(dirname "$0")/.."
per_request=${1:-1000}
build=${BUILD_DIR:-build}
target_ms=500
cmake --build "$build" --target webreq nvrdb bench_anpr_store >/dev/null
root=$(mktemp -d /tmp/nvrbench.XXXXXX)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/mnt/nand/app" "$root/tmp" "$root/var/run"
NVR_ROOT="$root" "$build/bin/nvrdb" init

verdict() { if (($1 < target_ms)); then echo PASS; else echo MISS; fi; }

read -r replace_ms delete_ms again_ms rc < <("$build/bench/bench_anpr_store" "$root" 10000)
echo "store call, replace with 10000 plates:        ${replace_ms} ms  $(verdict "$replace_ms")"
echo "store call, delete 5000 of them:              ${delete_ms} ms  $(verdict "$delete_ms")"
echo "store call, replace 5000 left with 10000:     ${again_ms} ms  $(verdict "$again_ms")"

replace_body="$root/replace.json"
delete_body="$root/delete.json"
awk -v n="$per_request" 'BEGIN {
    printf "{\"cnt\": %d, \"plate\": [", n
    for (i = 0; i < n; i++) printf "%s[\"%s\",\"AB%%20%05d\"]", (i ? "," : ""), (i % 3 ? "white" : "black"), i
    printf "]}"
}' >"$replace_body"
awk -v n="$per_request" 'BEGIN {
    printf "{\"cnt\": %d, \"plate\": [", n
    for (i = 0; i < 2 * n; i += 2) printf "%s\"AB%%20%05d\"", (i ? "," : ""), i
    printf "]}"
}' >"$delete_body"

# Runs one request; prints its milliseconds and the end of its reply.
run() {
    local code=$1 body=$2 start end reply
    start=$(date +%s%N)
    reply=$(env -i NVR_ROOT="$root" PATH="$build/bin:/usr/bin:/bin" REQUEST_METHOD=POST PATH_INFO="$code" \
        CONTENT_TYPE=application/json CONTENT_LENGTH="$(stat -c %s "$body")" REMOTE_ADDR=127.0.0.1 \
        "$build/bin/webreq" <"$body" | tail -n 1)
    end=$(date +%s%N)
    echo "$(((end - start) / 1000000)) $reply"
}

for f in "$delete_body" "$replace_body"; do
    size=$(stat -c %s "$f")
    ((size < 30720)) || { echo "a request of $per_request plates is $size bytes: over the request buffer"; exit 1; }
done
read -r d reply_d < <(run /6183 "$delete_body")
echo "webreq /6183 deleting ${per_request} of 10000:    ${d} ms  $(verdict "$d")  (reply ${reply_d})"
read -r r reply_r < <(run /6184 "$replace_body")
echo "webreq /6184 replacing 10000 with ${per_request}:  ${r} ms  $(verdict "$r")  (reply ${reply_r})"
db="$root/mnt/nand/app/anpr.db"
wal=$(stat -c %s "$db-wal" 2>/dev/null || echo 0)
echo "anpr.db afterwards (${per_request} plates): $(stat -c %s "$db") bytes, log ${wal} bytes"
