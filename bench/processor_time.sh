# Timing helpers of the compare scripts, read with `source`.

# processor_time OUTPUT COMMAND...: runs the command with its standard output
# in OUTPUT and prints the processor seconds (user and system) it took; a
# failing command ends the script with its error output.
processor_time() {
  local output=$1
  shift
  local TIMEFORMAT='%3U %3S'
  local times
  if ! times=$({ time "$@" >"$output" 2>"$output.errors"; } 2>&1); then
    echo "compare: $* failed" >&2
    cat "$output.errors" >&2
    exit 1
  fi
  awk '{ printf "%.3f\n", $1 + $2 }' <<<"$times"
}

# least A B: the smaller of two times, B when A is empty.
least() {
  if [[ -z "$1" ]] || awk -v a="$2" -v b="$1" 'BEGIN { exit !(a < b) }'; then
    echo "$2"
  else
    echo "$1"
  fi
}
