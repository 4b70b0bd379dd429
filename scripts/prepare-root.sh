#!/usr/bin/env bash
# Prepares a run root: the directories the system uses and a fresh
# configuration database with the factory defaults.
#   scripts/prepare-root.sh RUN_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
run=${1:?run directory}
mkdir -p "$run"/{mnt/nand/app,mnt/nand2,mnt/nand/ssl,tmp,var/run,dev/shm,dev/input,opt/app/www/webfile/json,www,cgi-bin,log}
rm -f "$run"/mnt/nand/app/tqdb.db{,-wal,-shm,-journal}
NVR_ROOT="$run" "${BUILD_DIR:-build}/bin/nvrdb" init
echo "<html><body>NVR local server</body></html>" > "$run/www/index.html"
# The interface's language files, where "/json" reads them.
cp www/webfile/json/*.json "$run/opt/app/www/webfile/json/"
