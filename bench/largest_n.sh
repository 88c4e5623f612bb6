# The search both frame-rate comparisons use: for each of the programs
# kestrel and love, the largest N that still reaches TARGET steps per second,
# from 1,000 doubling or halving to a bracket, then bisecting it to within
# about 5%, the programs taking turns trial by trial so both see the same
# load. The caller defines run_once PROGRAM N (prints one run's steps per
# second) and sets repeat and target, then calls largest_n_search UNIT. A
# caller that names another build in baseline searches it too, in turn.

# Prints the best steps per second of REPEAT runs.
trial() {
  local best=0 rate i
  for ((i = 0; i < repeat; i++)); do
    rate=$(run_once "$@") || exit 1
    best=$(awk -v a="$best" -v b="$rate" 'BEGIN { print (b > a ? b : a) }')
  done
  echo "$best"
}

# Each program's search: the largest N known to hold (low) and the smallest
# known not to (high); 0 while not yet found.
declare -A low high
searched() { echo kestrel love ${baseline:+baseline}; }
for program in $(searched); do
  low[$program]=0
  high[$program]=0
done

# Tries the next N for a program; fails once its search is done.
step() {
  local program=$1 n rate
  local lo=${low[$program]} hi=${high[$program]}
  if ((hi == 0)); then
    n=$((lo == 0 ? 1000 : lo * 2))
  elif ((lo == 0)); then
    n=$((hi / 2))
    ((n >= 1)) || return 1
  else
    ((hi - lo > lo / 20 && hi - lo > 1)) || return 1
    n=$(((lo + hi) / 2))
  fi
  rate=$(trial "$program" "$n") || exit 1
  printf '%-8s %6d %s %7.1f steps/s\n' "$program" "$n" "$unit" "$rate" >&2
  if awk -v r="$rate" -v t="$target" 'BEGIN { exit !(r >= t) }'; then
    low[$program]=$n
  else
    high[$program]=$n
  fi
}

# Prints the largest N of each program and their ratio.
largest_n_search() {
  unit=$1
  start=$(date +%s)
  while :; do
    more=0
    for program in $(searched); do
      step "$program" && more=1
    done
    ((more)) || break
  done
  awk -v k="${low[kestrel]}" -v l="${low[love]}" -v t="$target" -v s="$(($(date +%s) - start))" 'BEGIN {
    printf "largest N at %d steps/s: kestrel %d, love %d\n", t, k, l
    printf "ratio kestrel / love %.2f   (%ds)\n", (l > 0 ? k / l : 0), s
  }'
  if [[ -n ${baseline:-} ]]; then
    awk -v k="${low[kestrel]}" -v b="${low[baseline]}" 'BEGIN {
      printf "baseline %d, ratio kestrel / baseline %.2f\n", b, (b > 0 ? k / b : 0)
    }'
  fi
}
