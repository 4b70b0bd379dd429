#!/usr/bin/env bash
# Cost of one webreq process against a static do-nothing program spawned the
# same way. Prints medians (ms) and the ratio.
#   bench/spawn.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-500}
build=${BUILD_DIR:-build}
cmake --build "$build" --target webreq nvrdb bench_noop bench_spawn >/dev/null
root=$(mktemp -d /tmp/nvrbench.XXXXXX)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/mnt/nand/app" "$root/tmp" "$root/var/run"
NVR_ROOT="$root" "$build/bin/nvrdb" init

spawn() { "$build/bench/bench_spawn" "$runs" - "$@" NVR_ROOT="$root" REQUEST_METHOD=GET; }

read -r noop_med noop_p10 noop_p90 _ < <(spawn "$build/bench/bench_noop" PATH_INFO=/9999)
read -r web_med web_p10 web_p90 web_rss < <(spawn "$build/bin/webreq" PATH_INFO=/9999 QUERY_STRING=a=1)
printf '%-34s %8s %8s %8s\n' "program" "median" "p10" "p90"
printf '%-34s %8s %8s %8s\n' "static do-nothing program" "$noop_med" "$noop_p10" "$noop_p90"
printf '%-34s %8s %8s %8s\n' "webreq, unregistered code" "$web_med" "$web_p10" "$web_p90"
# A settings read: the user list, straight from the database.
read -r set_med set_p10 set_p90 _ < <(spawn "$build/bin/webreq" PATH_INFO=/6070)
printf '%-34s %8s %8s %8s\n' "webreq, settings read (/6070)" "$set_med" "$set_p10" "$set_p90"
echo "peak resident size of one webreq: ${web_rss} KiB"
awk -v a="$web_med" -v s="$set_med" -v b="$noop_med" \
    'BEGIN { printf "ratio webreq / do-nothing: unregistered %.2f, settings read %.2f\n", a / b, s / b }'
