#!/usr/bin/env bash
# Two runner programs on the loopback address play one session: host.ks
# hosts, joiner.ks finds it, joins, exchanges messages and shared data with
# it and leaves; then victim.ks joins and is killed with SIGKILL, and the host
# plays on. Each program's output must match its .expected file.
# Usage: run_session_test.sh KESTREL_DEV
set -euo pipefail

tool=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/processes.sh"
# A port of its own, so that tests run side by side do not meet.
export KESTREL_TEST_PORT=$((30000 + RANDOM % 20000))
export KESTREL_SESSION_SEARCH=127.0.0.1

(cd "$work" && exec "$tool" eval "$here/host.ks" >host.txt 2>host.err) &
host=$!
pids+=("$host")
sleep 0.5
(cd "$work" && exec "$tool" eval "$here/joiner.ks" >joiner.txt 2>joiner.err) ||
  { cat "$work/joiner.err" >&2; exit 1; }

# The victim is killed once the host has seen it arrive.
(cd "$work" && exec "$tool" eval "$here/victim.ks" >victim.txt 2>victim.err) &
victim=$!
pids+=("$victim")
for _ in $(seq 200); do
  grep -q '^victim is in' "$work/host.txt" 2>/dev/null && break
  sleep 0.1
done
kill -KILL "$victim"

wait "$host" || { cat "$work/host.err" >&2; exit 1; }
status=0
diff -u "$here/joiner.expected" "$work/joiner.txt" || status=1
diff -u "$here/host.expected" "$work/host.txt" || status=1
cat "$work"/*.err >&2
exit $status
