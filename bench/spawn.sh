#!/usr/bin/env bash
# Cost of one webreq process against a static do-nothing program spawned the
# same way, and the peak resident size of real requests, with PASS or MISS
# against the target: at most 4 MiB whatever the request (an upload's file
# goes to disk, not into memory).
#   bench/spawn.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-500}
build=${BUILD_DIR:-build}
cmake --build "$build" --target webreq nvrdb coresim bench_noop bench_spawn >/dev/null
root=$(mktemp -d /tmp/nvrbench.XXXXXX)
mkdir -p "$root/mnt/nand/app" "$root/mnt/nand2" "$root/tmp" "$root/var/run" "$root/bodies"
NVR_ROOT="$root" "$build/bin/nvrdb" init
NVR_ROOT="$root" "$build/bin/coresim" > /dev/null &
core=$!
trap 'kill $core 2>/dev/null; wait 2>/dev/null; rm -rf "$root"' EXIT

spawn() { "$build/bench/bench_spawn" "$1" "$2" "${@:3}" NVR_ROOT="$root"; }

read -r noop_med noop_p10 noop_p90 _ _ < <(spawn "$runs" - "$build/bench/bench_noop" REQUEST_METHOD=GET PATH_INFO=/9999)
read -r web_med web_p10 web_p90 _ _ < <(spawn "$runs" - "$build/bin/webreq" REQUEST_METHOD=GET PATH_INFO=/9999 QUERY_STRING=a=1)
read -r set_med set_p10 set_p90 _ _ < <(spawn "$runs" - "$build/bin/webreq" REQUEST_METHOD=GET PATH_INFO=/6070)
printf '%-34s %8s %8s %8s\n' "program" "median" "p10" "p90"
printf '%-34s %8s %8s %8s\n' "static do-nothing program" "$noop_med" "$noop_p10" "$noop_p90"
printf '%-34s %8s %8s %8s\n' "webreq, unregistered code" "$web_med" "$web_p10" "$web_p90"
printf '%-34s %8s %8s %8s\n' "webreq, settings read (/6070)" "$set_med" "$set_p10" "$set_p90"
awk -v a="$web_med" -v s="$set_med" -v b="$noop_med" \
    'BEGIN { printf "ratio webreq / do-nothing: unregistered %.2f, settings read %.2f\n\n", a / b, s / b }'

# Bodies of real requests, the large ones those that once grew memory without
# bound: one 64 MB field, 200,000 tiny fields, a 64 MB file.
b=$root/bodies
printf '{"autoLoginEnable": 0}' > "$b/store0"
printf '{"autoLoginEnable": 1}' > "$b/store1"
{ printf '{"autoLoginEnable": 1, "pad": "'; head -c 30000 /dev/zero | tr '\0' x; printf '"}'; } > "$b/json30k"
part() { printf -- '--bb\r\nContent-Disposition: form-data; name="%s"%s\r\n\r\n' "$1" "${2:+; filename=\"$2\"}"; }
{ part big; head -c 67108864 /dev/zero | tr '\0' v; printf '\r\n--bb--\r\n'; } > "$b/field64m"
awk 'BEGIN { for (i = 0; i < 200000; i++) printf "--bb\r\nContent-Disposition: form-data; name=\"f%d\"\r\n\r\nv\r\n", i;
             printf "--bb--\r\n" }' > "$b/fields200k"
{ part file upload.bin; head -c 67108864 /dev/zero; printf '\r\n--bb--\r\n'; } > "$b/file64m"

multipart=CONTENT_TYPE="multipart/form-data; boundary=bb"
json=CONTENT_TYPE=application/json
target_kib=4096
printf '%-50s %12s %10s\n' "request" "peak KiB" "target"
peak() {
    local label=$1 runs=$2 body=$3
    shift 3
    local rss
    read -r _ _ _ rss _ < <(spawn "$runs" "$body" "$build/bin/webreq" "$@")
    printf '%-50s %12s %10s  %s\n' "$label" "$rss" "<= $target_kib" "$([ "$rss" -le "$target_kib" ] && echo PASS || echo MISS)"
}
peak "settings read (/6070)" 20 - REQUEST_METHOD=GET PATH_INFO=/6070
peak "setting stored, changing value (/3301)" 20 "$b/store0,$b/store1" REQUEST_METHOD=POST PATH_INFO=/3301 "$json"
peak "JSON body of 30 KB (/3301)" 20 "$b/json30k" REQUEST_METHOD=POST PATH_INFO=/3301 "$json"
peak "camera list from the core (/2001)" 20 - REQUEST_METHOD=GET PATH_INFO=/2001
peak "multipart, one 64 MB field (/7041)" 3 "$b/field64m" REQUEST_METHOD=POST PATH_INFO=/7041 "$multipart"
peak "multipart, 200,000 tiny fields (/7041)" 3 "$b/fields200k" REQUEST_METHOD=POST PATH_INFO=/7041 "$multipart"
peak "multipart upload, 64 MB file (/7041; file on disk)" 3 "$b/file64m" REQUEST_METHOD=POST PATH_INFO=/7041 "$multipart"
