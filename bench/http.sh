#!/usr/bin/env bash
# Requests through the local server (lighttpd + webreq + simulated core) with
# a real HTTP client (curl, one connection per request series), against a
# static hello-world CGI under the same server. Prints medians and ratios.
#   bench/http.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-200}
build=${BUILD_DIR:-build}
cmake --build "$build" --target webreq coresim nvrdb bench_hello bench_spawn >/dev/null
run=$(mktemp -d /tmp/nvrhttp.XXXXXX)
port=$(( 20000 + RANDOM % 20000 ))
bash scripts/prepare-root.sh "$run" >/dev/null
ln -sf "$(pwd)/$build/bin/webreq" "$run/cgi-bin/webreq.cgi"
ln -sf "$(pwd)/$build/bench/bench_hello" "$run/cgi-bin/hello.cgi"
sed -e "s|@PORT@|$port|g" -e "s|@RUN@|$run|g" -e "s|@DIVISOR@|1|g" conf/lighttpd.conf.in > "$run/lighttpd.conf"

NVR_ROOT="$run" "$build/bin/coresim" > /dev/null &
core=$!
lighttpd -D -f "$run/lighttpd.conf" &
server=$!
trap 'kill $server $core 2>/dev/null; wait 2>/dev/null; rm -rf "$run"' EXIT
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.05; done

base="http://127.0.0.1:$port/cgi-bin"
# Median of the per-request times (ms) of RUNS requests: curl ARGS...
median() {
    local args=()
    for _ in $(seq "$runs"); do args+=(--next -s -o /dev/null -w '%{time_total}\n' "$@"); done
    curl "${args[@]:1}" | sort -n | awk '{ a[NR] = $1 * 1000 } END { printf "%.2f", a[int((NR + 1) / 2)] }'
}
json=(-H 'Content-Type: application/json')
hello=$(median "$base/hello.cgi")
setting=$(median "${json[@]}" -d '{"autoLoginEnable": 0}' "$base/webreq.cgi/3301")
reading=$(median "$base/webreq.cgi/6070")
notice=$(median "${json[@]}" -d '{"id": 3, "enable": 1, "ipAddr": "10.0.0.3", "managePort": 80}' "$base/webreq.cgi/3304")
query=$(median "$base/webreq.cgi/2001")

printf '%-52s %8s\n' "request (median of $runs, ms)" "time"
printf '%-52s %8s\n' "static hello-world CGI" "$hello"
printf '%-52s %8s\n' "setting stored, no core message (/3301)" "$setting"
printf '%-52s %8s\n' "setting read, no core message (/6070)" "$reading"
printf '%-52s %8s\n' "setting stored with one core notice (/3304)" "$notice"
printf '%-52s %8s\n' "waiting query answered at once (/2001)" "$query"
awk -v h="$hello" -v s="$setting" -v r="$reading" -v n="$notice" -v q="$query" 'BEGIN {
    printf "ratio store / hello: %.2f   read / hello: %.2f   (target at most 1.5)\n", s / h, r / h
    printf "notice - hello: %.2f ms   query - hello: %.2f ms   (target at most 15)\n", n - h, q - h
}'
read -r _ _ _ rss < <("$build/bench/bench_spawn" 20 - "$build/bin/webreq" NVR_ROOT="$run" REQUEST_METHOD=GET PATH_INFO=/6070)
echo "peak resident size of one webreq (/6070): ${rss} KiB"
