#!/usr/bin/env bash
# The local server: installs what is missing, builds the programs it serves
# (webreq, coresim, nvrdb and the tools webreq runs), prepares a run root with a fresh configuration
# database, starts the simulated core daemon and lighttpd on 127.0.0.1 (port
# 8080, or $PORT), and stays in the foreground. Ctrl-C stops both. The
# request console is at /console/: the registry as JSON (nvrapi) and the
# core journal's read-only view (corejournal.cgi) beside webreq.
#
# The banner appears only once this server's own lighttpd answers (a token
# written into this run root comes back); when lighttpd or the core daemon
# cannot start (a port or socket already taken) their own messages are
# shown and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
port=${PORT:-8080}
run=${NVR_RUN:-$repo/run}
build=${BUILD_DIR:-build}

# NVR_SERVE_QUICK=1 (the console's browser test): serve what is built, with
# no package check, no build and no test recording.
quick=${NVR_SERVE_QUICK:-0}
if [ "$quick" != 1 ]; then
    bash scripts/install-deps.sh
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
    cmake --build "$build" -j"$(nproc)" --target webreq coresim nvrdb tqprofile tqchip_update \
        nvrapi corejournal
fi
build=$(cd "$build" && pwd)
BUILD_DIR=$build bash scripts/prepare-root.sh "$run"

sed -e "s|@PORT@|$port|g" -e "s|@RUN@|$run|g" -e "s|@DIVISOR@|${NVR_TIME_DIVISOR:-1}|g" \
    -e "s|@BIN@|$build/bin|g" \
    conf/lighttpd.conf.in > "$run/lighttpd.conf"
ln -sf "$build/bin/webreq" "$run/cgi-bin/webreq.cgi"
ln -sf "$build/bin/corejournal" "$run/cgi-bin/corejournal.cgi"
rm -rf "$run/www/console"
cp -r www/console "$run/www/console"
"$build/bin/nvrapi" --json > "$run/www/console/registry.json"
token=$(od -An -N8 -tx8 /dev/urandom | tr -d ' ')
echo "$token" > "$run/www/serve-token.txt"

pids=()
stop() {
    trap - INT TERM EXIT
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    echo "stopped"
}
trap stop INT TERM EXIT

# The recording the simulated core streams for a download (/4013): ten
# seconds of a test picture as an H.264 elementary stream.
recording="$run/var/lib/coresim/recording.h264"
if [ "$quick" != 1 ] && [ ! -s "$recording" ]; then
    mkdir -p "$(dirname "$recording")"
    ffmpeg -v error -f lavfi -i testsrc=size=640x360:rate=25 -t 10 -pix_fmt yuv420p \
        -c:v libx264 -g 25 -f h264 "$recording"
fi

# Messages of either program before it is up land here; they are shown when
# it fails to come up.
core_err=$run/log/coresim-start.log
server_err=$run/log/lighttpd-start.log
NVR_ROOT="$run" "$build/bin/coresim" --journal "$run/log/coresim.jsonl" 2> "$core_err" &
core=$!
pids+=("$core")
lighttpd -D -f "$run/lighttpd.conf" 2> "$server_err" &
server=$!
pids+=("$server")

fail() {
    echo "serve.sh: $1" >&2
    [ -s "$2" ] && cat "$2" >&2
    exit 1
}
base="http://127.0.0.1:$port/cgi-bin/webreq.cgi"
up=
for _ in $(seq 100); do
    kill -0 "$server" 2>/dev/null || { wait "$server" || true; fail "lighttpd did not start on 127.0.0.1:$port:" "$server_err"; }
    kill -0 "$core" 2>/dev/null || { wait "$core" || true; fail "the simulated core daemon did not start:" "$core_err"; }
    if [ "$(curl -s --max-time 1 "http://127.0.0.1:$port/serve-token.txt" 2>/dev/null)" = "$token" ]; then
        up=1
        break
    fi
    sleep 0.1
done
[ -n "$up" ] || fail "lighttpd on 127.0.0.1:$port did not answer with this run's token (another server on the port?)" \
    "$server_err"
cat <<INFO

Local server running: $base/CODE   (run root: $run)
Factory administrator: user "admin", password "123456".

  # log in (the password travels as its MD5 hash)
  curl -s "$base/1000" -H 'Content-Type: application/json' \\
       -d '{"userName": "admin", "md5": "'\$(printf 123456 | md5sum | cut -c1-32)'"}'
  # read a setting: the camera list
  curl -s "$base/2001"
  # change a setting: switch the setup wizard off
  curl -s "$base/3303" -H 'Content-Type: application/json' -d '{"wizardEnable": 0}'
  # download channel 1's recording as an AVI file
  curl -s -OJ "$base/4013" -H 'Content-Type: application/json' \
       -d '{"id": 0, "streamType": 0, "startTime": "2024-01-02T03:00:00Z", "endTime": "2024-01-02T03:10:00Z"}'

Request console: http://127.0.0.1:$port/console/
Core daemon journal: $run/log/coresim.jsonl
Press Ctrl-C to stop.
INFO
wait -n "${pids[@]}"
