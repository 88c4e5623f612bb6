#!/usr/bin/env bash
# Loopback Pong plays itself: two headless copies on the loopback address,
# the first hosting, the second joining, both moving their own bats. Both
# must see the same end of the match.
# Usage: pong_test.sh KESTREL_DEV PROJECT
set -euo pipefail

tool=$1
project=$2
source "$(dirname "${BASH_SOURCE[0]}")/../net/processes.sh"
export PONG_ADDRESS="127.0.0.1:$((30000 + RANDOM % 20000))"
export PONG_AUTOPLAY=1
export KESTREL_SESSION_SEARCH=127.0.0.1

"$tool" build "$project" --data-only -o "$work/pong"
(cd "$work" && exec timeout 100 "$tool" run pong --headless --frames 60000 >first.txt 2>first.err) &
pids+=($!)
sleep 1
(cd "$work" && exec timeout 100 "$tool" run pong --headless --frames 60000 >second.txt 2>second.err) &
pids+=($!)
wait "${pids[@]}" || { cat "$work"/*.err >&2; exit 1; }

# Under load the second copy may start first and host; whichever hosted is left.
host=first joiner=second
[[ $(sed -n 1p "$work/second.txt") == "hosting Loopback Pong as left" ]] && host=second joiner=first
result='^(left|right) wins [0-9]-[0-9]$'
sed -n 1,2p "$work/$host.txt" | diff -u <(printf 'hosting Loopback Pong as left\nright joined\n') -
sed -n 1p "$work/$joiner.txt" | diff -u <(printf 'joined Loopback Pong as right\n') -
left_end=$(sed -n 3p "$work/$host.txt")
right_end=$(sed -n 2p "$work/$joiner.txt")
[[ $left_end =~ $result ]] || { echo "the host ended with '$left_end'" >&2; exit 1; }
[[ $left_end == "$right_end" ]] || { echo "the players saw '$left_end' and '$right_end'" >&2; exit 1; }
echo "$left_end"
