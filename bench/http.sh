#!/usr/bin/env bash
# Requests through the local server (lighttpd + webreq + simulated core) with
# a real HTTP client (curl, one connection per request series), against a
# static hello-world CGI under the same server, all in one run. Prints
# medians, and PASS or MISS beside each target:
#   - a setting read and a store of a changing value: at most 1.5 x hello;
#   - a waiting query the core answers at once (/2001): at most hello + 2 ms;
#   - reads after 10,000 changing stores: within 10% of the fresh database;
#   - with the core daemon gone, a waiting request answers within the send
#     attempts' bound (30 s; measured last, it takes that long).
# Beside them, the floor: a static CGI that only opens the database and reads
# one setting through the same SQLite library, against the same hello.
#   bench/http.sh [RUNS] [STORES]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-200}
stores=${2:-10000}
build=${BUILD_DIR:-build}
cmake --build "$build" --target webreq coresim nvrdb bench_hello bench_db_read >/dev/null
run=$(mktemp -d /tmp/nvrhttp.XXXXXX)
port=$(( 20000 + RANDOM % 20000 ))
mkdir -p "$run"/{mnt/nand/app,mnt/nand2,tmp,var/run,dev/shm,www,cgi-bin,log}
NVR_ROOT="$run" "$build/bin/nvrdb" init
echo "bench" > "$run/www/index.html"
ln -sf "$(pwd)/$build/bin/webreq" "$run/cgi-bin/webreq.cgi"
ln -sf "$(pwd)/$build/bench/bench_hello" "$run/cgi-bin/hello.cgi"
ln -sf "$(pwd)/$build/bench/bench_db_read" "$run/cgi-bin/db_read.cgi"
sed -e "s|@PORT@|$port|g" -e "s|@RUN@|$run|g" -e "s|@DIVISOR@|1|g" conf/lighttpd.conf.in > "$run/lighttpd.conf"

NVR_ROOT="$run" "$build/bin/coresim" > /dev/null &
core=$!
lighttpd -D -f "$run/lighttpd.conf" &
server=$!
trap 'kill $server $core 2>/dev/null; wait 2>/dev/null; rm -rf "$run"' EXIT
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.05; done

base="http://127.0.0.1:$port/cgi-bin"
# A curl configuration of COUNT requests to URL, one connection each series;
# with BODY set, the requests are JSON posts alternating between BODY with
# the value 0 and with 1, so that every store changes the stored value.
requests() {
    local count=$1 url=$2 body=${3:-} i
    local quoted=${body//\"/\\\"}
    local data=("data = \"${quoted//@V@/0}\"" "data = \"${quoted//@V@/1}\"")
    for ((i = 0; i < count; i++)); do
        ((i == 0)) || echo next
        echo "url = \"$url\""
        echo 'output = "/dev/null"'
        echo 'write-out = "%{url_effective} %{time_total}\n"'
        if [ -n "$body" ]; then
            echo 'header = "Content-Type: application/json"'
            echo "${data[i % 2]}"
        fi
    done
}
# Medians (ms) of RUNS rounds, as "URL median" lines. Each round requests
# every URL once, in turn, so that a machine that gets busier or quieter
# during the run weighs on all of them alike. An argument is a URL, or
# URL|BODY for a store (alternating values as in requests).
medians() {
    local i entry body first=1
    for ((i = 0; i < runs; i++)); do
        for entry in "$@"; do
            ((first)) || echo next
            first=0
            if [[ $entry == *"|"* ]]; then
                body=${entry#*|}
                requests 1 "${entry%%|*}" "${body//@V@/$((i % 2))}"
            else
                requests 1 "$entry"
            fi
        done
    done | curl -s -K - |
        awk '{ t[$1, ++n[$1]] = $2 * 1000 }
             END { for (u in n) { m = n[u]; k = 0
                       for (j = 1; j <= m; j++) v[++k] = t[u, j]
                       asort_n(v, m); printf "%s %.2f\n", u, v[int((m + 1) / 2)]; delete v } }
             function asort_n(a, m,    i, j, x) {
                 for (i = 2; i <= m; i++) { x = a[i]; for (j = i - 1; j >= 1 && a[j] > x; j--) a[j + 1] = a[j]; a[j + 1] = x } }'
}
declare -A med
measure() {
    local url value
    while read -r url value; do med[$url]=$value; done < <(medians "$@")
}
verdict() { awk -v v="$1" -v t="$2" 'BEGIN { print (v <= t ? "PASS" : "MISS") }'; }
line() { printf '%-58s %10s %12s  %s\n' "$1" "$2" "$3" "$4"; }

store_body='{"autoLoginEnable": @V@}'
measure "$base/hello.cgi" "$base/db_read.cgi" "$base/webreq.cgi/6070" "$base/webreq.cgi/7042" \
    "$base/webreq.cgi/3301|$store_body" "$base/webreq.cgi/2001"
hello=${med[$base/hello.cgi]}
floor=${med[$base/db_read.cgi]}
reading=${med[$base/webreq.cgi/6070]}
one_setting=${med[$base/webreq.cgi/7042]}
storing=${med[$base/webreq.cgi/3301]}
query=${med[$base/webreq.cgi/2001]}

requests "$stores" "$base/webreq.cgi/3301" "$store_body" | curl -s -K - > /dev/null
measure "$base/hello.cgi" "$base/webreq.cgi/6070" "$base/webreq.cgi/7042"
aged_hello=${med[$base/hello.cgi]}
aged_reading=${med[$base/webreq.cgi/6070]}
aged_one=${med[$base/webreq.cgi/7042]}
log_files=$(cd "$run/mnt/nand/app" && ls -l | awk 'NR > 1 { printf "%s %s B  ", $9, $5 }')

kill "$core"
wait "$core" 2>/dev/null || true
absent=$(curl -s -o /dev/null -w '%{time_total}' "$base/webreq.cgi/2001" | awk '{ printf "%.2f", $1 }')

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
line "request (median of $runs, ms)" "measured" "target" ""
line "static hello-world CGI" "$hello" "" ""
line "floor: static CGI reading one setting with SQLite / hello" "$(ratio "$floor" "$hello")" "" ""
line "setting read, no core message (/6070) / hello" "$(ratio "$reading" "$hello")" "<= 1.50" \
    "$(verdict "$(ratio "$reading" "$hello")" 1.5)"
line "setting stored, changing value (/3301) / hello" "$(ratio "$storing" "$hello")" "<= 1.50" \
    "$(verdict "$(ratio "$storing" "$hello")" 1.5)"
line "waiting query answered at once (/2001) - hello, ms" \
    "$(awk -v q="$query" -v h="$hello" 'BEGIN { printf "%.2f", q - h }')" "<= 2.00" \
    "$(verdict "$(awk -v q="$query" -v h="$hello" 'BEGIN { print q - h }')" 2)"
# The aged reads are compared as ratios to a hello measured beside them, so
# that a machine that got busier meanwhile does not count against them.
for pair in "/6070:$reading:$aged_reading" "/7042:$one_setting:$aged_one"; do
    IFS=: read -r code fresh aged <<< "$pair"
    growth=$(awk -v f="$fresh" -v a="$aged" -v h="$hello" -v ah="$aged_hello" 'BEGIN { printf "%.2f", (a / ah) / (f / h) }')
    line "read $code after $stores stores / fresh (vs hello)" "$growth" "<= 1.10" "$(verdict "$growth" 1.1)"
done
line "core daemon gone: waiting /2001 answers after, s" "$absent" "<= 30.50" "$(verdict "$absent" 30.5)"
echo "reads fresh: /6070 $reading ms, /7042 $one_setting ms; after the stores: /6070 $aged_reading ms," \
     "/7042 $aged_one ms (hello $aged_hello ms)"
echo "database files after $stores stores: $log_files"
