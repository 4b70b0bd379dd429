#!/usr/bin/env bash
# A download of a recording of at least 200 MiB through the local server
# (lighttpd + webreq, the simulated core streaming an H.264 recording made
# with ffmpeg), fetched with curl, against a plain copy of the same bytes by
# a static CGI under the same server. Prints MiB/s of both, webreq's peak
# resident size and the time from the end marker to the end of the HTTP
# response, with PASS/MISS against the targets.
#   bench/download.sh [REPEAT]
set -euo pipefail
cd "$(dirname "$0")/.."
repeat=${1:-7}
build=${BUILD_DIR:-build}
cmake --build "$build" --target webreq nvrdb bench_rss bench_copy bench_download >/dev/null
run=$(mktemp -d /tmp/nvrdownload.XXXXXX)
port=$(( 20000 + RANDOM % 20000 ))
bash scripts/prepare-root.sh "$run" >/dev/null
repo=$(pwd)

# 50 frames of a noisy 1080p picture (about 700 KB a frame: two pieces
# each), played REPEAT times (7: about 230 MiB).
mkdir -p "$run/var/lib/coresim"
ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080:rate=25,noise=alls=20:allf=t" -frames:v 50 \
    -pix_fmt yuv420p -c:v libx264 -preset ultrafast -qp 28 -g 25 -f h264 "$run/var/lib/coresim/bench.h264"

printf '#!/bin/sh\nexec %s %s %s\n' "$repo/$build/bench/bench_rss" "$run/log/rss.txt" "$repo/$build/bin/webreq" \
    > "$run/cgi-bin/webreq.cgi"
printf '#!/bin/sh\nexec %s %s\n' "$repo/$build/bench/bench_copy" "$run/tmp/download.avi" > "$run/cgi-bin/copy.cgi"
chmod +x "$run/cgi-bin/webreq.cgi" "$run/cgi-bin/copy.cgi"
sed -e "s|@PORT@|$port|g" -e "s|@RUN@|$run|g" -e "s|@DIVISOR@|${NVR_TIME_DIVISOR:-1}|g" conf/lighttpd.conf.in > "$run/lighttpd.conf"
lighttpd -D -f "$run/lighttpd.conf" &
server=$!
trap 'kill $server 2>/dev/null; wait 2>/dev/null; rm -rf "$run"' EXIT
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.05; done
base="http://127.0.0.1:$port/cgi-bin"

read -r bytes secs marker_ms < <("$build/bench/bench_download" "$run" "$base/webreq.cgi/4013" \
    /var/lib/coresim/bench.h264 "$repeat" "$run/tmp/download.avi")
read -r copy_bytes copy_secs < <(curl -s -o /dev/null -w '%{size_download} %{time_total}\n' "$base/copy.cgi")
rss=$(sort -n "$run/log/rss.txt" | tail -1)
frames=$(ffprobe -v error -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$run/tmp/download.avi")

awk -v b="$bytes" -v s="$secs" -v cb="$copy_bytes" -v cs="$copy_secs" -v rss="$rss" -v m="$marker_ms" \
    -v f="$frames" -v want=$((50 * repeat)) 'BEGIN {
    mib = 1048576
    d = b / mib / s; c = cb / mib / cs
    printf "download through webreq:  %.1f MiB in %.2f s = %.1f MiB/s (%s of %d frames)\n", b / mib, s, d, f, want
    printf "plain copy (static CGI):  %.1f MiB in %.2f s = %.1f MiB/s\n", cb / mib, cs, c
    printf "download / copy: %.2f   (webreq streams at nice 19)\n", d / c
    printf "webreq peak resident size: %.1f MiB   (target at most 15: the 10 MiB queue plus a few)   %s\n",
           rss / 1024, (rss / 1024 <= 15 ? "PASS" : "MISS")
    printf "end marker to end of response: %.1f ms   (a full queue at the download rate: %.0f ms)\n", m,
           10 / d * 1000
    printf "at least 200 MiB: %s   every frame in the file: %s   %s\n", (b / mib >= 200 ? "yes" : "no"),
           (f == want ? "yes" : "no"), (b / mib >= 200 && f == want ? "PASS" : "MISS")
}'
