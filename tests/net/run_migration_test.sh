#!/usr/bin/env bash
# Host migration between runner programs on the loopback address: a host
# with migration on lets two players in and leaves; one of them takes over,
# so that a late player still finds the session, joins and meets both.
# Usage: run_migration_test.sh KESTREL_DEV
set -euo pipefail

tool=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/processes.sh"
export KESTREL_TEST_PORT=$((30000 + RANDOM % 20000))
export KESTREL_SESSION_SEARCH=127.0.0.1

play() {  # NAME SCRIPT: runs the script with its output in NAME.txt
  (cd "$work" && KESTREL_TEST_NAME=$1 exec "$tool" eval "$here/$2" >"$1.txt" 2>"$1.err")
}
play host migrating_host.ks &
host=$!
pids+=("$host")
sleep 0.5
play first migrating_player.ks &
pids+=($!)
sleep 1
play second migrating_player.ks &
pids+=($!)
wait "$host" || { cat "$work"/*.err >&2; exit 1; }
play late late.ks || { cat "$work"/*.err >&2; exit 1; }
wait "${pids[@]:1}" || { cat "$work"/*.err >&2; exit 1; }

status=0
diff -u "$here/migrating_host.expected" "$work/host.txt" || status=1
diff -u "$here/migrating_player.expected" "$work/first.txt" || status=1
diff -u "$here/migrating_player.expected" "$work/second.txt" || status=1
diff -u "$here/late.expected" "$work/late.txt" || status=1
cat "$work"/*.err >&2
exit $status
