# Shared by the tests that run several programs side by side, read with
# `source`: a fresh folder $work and the list $pids of the programs started
# in the background, which are killed, and the folder removed, at exit.
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
