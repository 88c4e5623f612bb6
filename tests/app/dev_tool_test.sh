#!/usr/bin/env bash
# The developer tool as a game's maker uses it: a folder is played as it
# stands, reports point into the folder's files (also through a built game's
# source map), check finds the same mistakes without playing, new makes a
# project that plays at once, and the command line explains itself.
# Usage: dev_tool_test.sh KESTREL_DEV TESTS_APP_FOLDER
set -euo pipefail

tool=$1
here=$2
faulty=$here/faulty_step
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "$*" >&2; exit 1; }
# expect_errors FILE: FILE matches faulty_step/expected_errors.txt, with the
# folder named PROJECT there.
expect_errors() { sed "s#$faulty#PROJECT#g" "$1" | diff -u "$faulty/expected_errors.txt" -; }

# A folder plays without a build step; the report of the compile error in
# its step code is followed by the place in the project file.
status=0
"$tool" run "$faulty" --headless >run.out 2>run.err || status=$?
[[ $status == 1 ]] || fail "the faulty folder's run ended with status $status"
expect_errors run.err
[[ ! -s run.out ]] || fail "the faulty game printed: $(cat run.out)"

# An error while playing points into the folder too.
games=$here/../games
"$tool" run "$games/error_reports" --headless --frames 100 >/dev/null 2>playing.err
grep -qxF "$games/error_reports/objects/obj_faulty/alarm.ks:2:5: Unknown variable never_set" \
  playing.err || fail "the error while playing has no place: $(cat playing.err)"

# check names the same place, shows the line and fails; a clean folder passes.
if "$tool" check "$faulty" >check.out 2>check.err; then fail "check passed a faulty folder"; fi
grep -qxF "$faulty/objects/obj_faulty/step.ks:3:32: Unexpected symbol in expression." check.err ||
  fail "check did not name the place: $(cat check.err)"
grep -qxF "  if (steps == 2) { x = steps + 1); }" check.err || fail "check did not show the line"
"$tool" check "$games/collisions" || fail "check failed a clean folder"

# A built game is byte for byte the same with and without its map; the map
# makes its reports point into the folder, and a map from another build is
# ignored with a warning.
"$tool" build "$faulty" --data-only -o plain.game
"$tool" build "$faulty" --data-only -o mapped.game --map
cmp plain.game mapped.game || fail "--map changed the built game"
[[ ! -e plain.game.map.json && -s mapped.game.map.json ]] || fail "the map is missing or misplaced"
"$tool" run mapped.game --headless >/dev/null 2>mapped.err || true
expect_errors mapped.err
cp mapped.game.map.json plain.game.map.json
printf 'x' >>plain.game
"$tool" run plain.game --headless >/dev/null 2>stale.err || true
grep -q "plain.game.map.json: it was made for another build of the game" stale.err ||
  fail "a stale map was not reported: $(cat stale.err)"
if grep -q "step.ks" stale.err; then fail "a stale map was used"; fi

# A faulty folder gives the builder's message and status 1, and nothing is written.
cp -r "$faulty" broken
sed -i 's/"events"/"evnts"/' broken/objects/obj_faulty/object.json
for command in "run broken --headless" "check broken" "build broken -o broken.game"; do
  status=0
  $tool $command >/dev/null 2>broken.err || status=$?
  [[ $status == 1 ]] || fail "$command: status $status"
  grep -q 'broken/objects/obj_faulty/object.json:2: unknown key "evnts"' broken.err ||
    fail "$command: $(cat broken.err)"
done
[[ ! -e broken.game ]] || fail "a failed build left a file"

# A new project plays at once, prints only what the game prints, and checks clean.
"$tool" new mygame >new.out
"$tool" check mygame
"$tool" run mygame --headless --frames 30 >play.out 2>play.err
[[ ! -s play.err ]] || fail "the new game's headless run printed on standard error: $(cat play.err)"
grep -qx "Move with the arrow keys." play.out || fail "the new game did not start: $(cat play.out)"
if "$tool" new mygame 2>/dev/null; then fail "new wrote over a project"; fi

# A built-in function's own report points at its call, and an action argument
# written in object.json at its place inside the JSON string.
cp -r mygame slips
player=slips/objects/obj_player
printf 'b = ds_list_find_value(999, 0);\n' >>"$player/create.ks"
call_line=$(wc -l <"$player/create.ks")
"$tool" run slips --headless --frames 1 >/dev/null 2>call.err
grep -qxF "$player/create.ks:$call_line:5: Data structure with index does not exist." call.err ||
  fail "the function's report has no place: $(cat call.err)"
sed -i '0,/"180"/s//"180 +* "/' "$player/object.json"
# The column counts the line up to the "*", the sixth character of the argument.
read -r argument_line argument_column < <(awk -v quoted='"180 +* "' \
  'index($0, quoted) { print NR, index($0, quoted) + 6; exit }' "$player/object.json")
argument_place="$player/object.json:$argument_line:$argument_column: Unexpected symbol in expression."
if "$tool" check slips 2>argument.err; then fail "check passed a faulty argument"; fi
grep -qxF "$argument_place" argument.err || fail "check: $(cat argument.err)"
"$tool" run slips --headless >/dev/null 2>argument_run.err || true
grep -qxF "$argument_place" argument_run.err || fail "run: $(cat argument_run.err)"

# eval points into the file it read.
printf 'x = 1;\ny = string_copy(5);\n' >slip.ks
"$tool" eval slip.ks >/dev/null 2>eval.err || true
grep -qxF "slip.ks:2:18: Wrong number of arguments to function or script." eval.err ||
  fail "eval: $(cat eval.err)"

# The command line: plain words for bad numbers, the usage without a command,
# and an example in every command's help.
status=0
"$tool" run mygame --frames abc 2>frames.err || status=$?
[[ $status != 0 ]] && grep -q "^--frames: expected a whole number, got 'abc'" frames.err ||
  fail "--frames abc: status $status, $(cat frames.err)"
status=0
"$tool" 2>usage.err || status=$?
[[ $status == 2 ]] && grep -q "^usage: kestrel-dev" usage.err || fail "no command: status $status"
for command in new check run build extract info eval; do
  "$tool" "$command" --help | grep -q "^Example:" || fail "$command --help has no example"
done
echo "the developer tool's commands behave"
