#!/usr/bin/env bash
# A CSV export of ENTRIES log entries (default 100000) through the local
# server (lighttpd + webreq, the simulated core writing the export file).
# Prints the entries per second and webreq's peak resident size, with
# PASS/MISS against the target of at most 4 MiB: the export is streamed
# from the file one record at a time, whatever its length.
#   bench/log_export.sh [ENTRIES]
set -euo pipefail
cd "$(dirname "$0")/.."
entries=${1:-100000}
build=${BUILD_DIR:-build}
cmake --build "$build" --target webreq coresim nvrdb bench_rss >/dev/null
run=$(mktemp -d /tmp/nvrlogexport.XXXXXX)
port=$(( 20000 + RANDOM % 20000 ))
mkdir -p "$run"/{mnt/nand/app,mnt/nand2,tmp/log,var/run,dev/shm,www,cgi-bin,log}
NVR_ROOT="$run" "$build/bin/nvrdb" init
echo "bench" > "$run/www/index.html"
repo=$(pwd)
printf '#!/bin/sh\nexec %s %s %s\n' "$repo/$build/bench/bench_rss" "$run/log/rss.txt" "$repo/$build/bin/webreq" \
    > "$run/cgi-bin/webreq.cgi"
chmod +x "$run/cgi-bin/webreq.cgi"
sed -e "s|@PORT@|$port|g" -e "s|@RUN@|$run|g" -e "s|@DIVISOR@|1|g" conf/lighttpd.conf.in > "$run/lighttpd.conf"

NVR_CORESIM_LOG_ENTRIES=$entries NVR_ROOT="$run" "$build/bin/coresim" > /dev/null &
core=$!
lighttpd -D -f "$run/lighttpd.conf" &
server=$!
trap 'kill $server $core 2>/dev/null; wait 2>/dev/null; rm -rf "$run"' EXIT
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.05; done

# The coresim log has one entry every 15 minutes back from now: search all of it.
start=$(date -u -d "@$(( $(date +%s) - entries * 900 - 86400 ))" +%Y-%m-%dT%H:%M:%S)
end=$(date -u -d "@$(( $(date +%s) + 86400 ))" +%Y-%m-%dT%H:%M:%S)
body="{\"language\":\"en\",\"mainType\":1,\"subTypeArr\":[10],\"startTime\":\"$start\",\"endTime\":\"$end\",\"curPageNum\":1}"
read -r bytes secs < <(curl -s -o "$run/export.csv" -w '%{size_download} %{time_total}\n' \
    -H 'Content-Type: application/json' --data "$body" "http://127.0.0.1:$port/cgi-bin/webreq.cgi/1003")
rows=$(( $(wc -l < "$run/export.csv") - 1 ))
rss=$(sort -n "$run/log/rss.txt" | tail -1)
awk -v n="$rows" -v want="$entries" -v s="$secs" -v b="$bytes" -v rss="$rss" 'BEGIN {
    printf "export of %d entries (%d rows, %.1f MiB of CSV) in %.2f s = %.0f entries/s   (daemon file writing included)\n",
           want, n, b / 1048576, s, n / s
    printf "every entry a row: %s\n", (n == want ? "PASS" : "MISS")
    printf "webreq peak resident size: %.2f MiB   (target at most 4)   %s\n", rss / 1024, (rss / 1024 <= 4 ? "PASS" : "MISS")
}'
