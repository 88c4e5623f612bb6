#!/usr/bin/env bash
# Runs a piece of code with kestrel-dev eval and compares what it prints with
# the expected output beside it. Usage: run_eval_test.sh KESTREL_DEV CODE_FILE
set -euo pipefail

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
code=$(realpath "$2")
# A first line that names --draw asks for the real graphics device.
flags=()
if head -1 "$code" | grep -q -- '--draw'; then flags=(--draw); fi
(cd "$work" && "$1" eval "$code" "${flags[@]}" >output.txt)
diff -u "${code%.ks}.expected" "$work/output.txt"
