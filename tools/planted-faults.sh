#!/usr/bin/env bash
# Plants realistic one-line faults, one at a time, in a scratch copy of the tree, and says of each
# whether the native tests notice it. A fault that passes every test marks a behaviour no test
# checks. For people changing tests; it takes a minute or two a fault, so it is not part of CI.
#
# Usage: tools/planted-faults.sh [--list] [NUMBER...]
#   --list   prints the faults and whether each still matches the code, and builds nothing
#   NUMBER   only these faults (as --list numbers them)
# Each fault is reported as caught (with the first tests that failed), MISSED (no test failed; the
# tests skipped, if any, are named), stale (its line is no longer in the code, or is there more than
# once) or BUILD (the fault does not compile: the fault needs mending).
# Exit status: 0 when every fault chosen was caught (--list: when none is stale); 1 otherwise; 2 for
# a bad command line or an unchanged tree that does not build or pass its tests; 130 when
# interrupted (the fault in hand gets no verdict, and its file is put back).
#
# The scratch copy and its build are in build/planted-faults/ (TARNWICK_FAULTS_DIR to move them):
# the copy is brought up to date by content, so a second run rebuilds only what changed since.
# Each fault's test output is kept there in logs/.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
top=$PWD
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || {
    echo "planted-faults: $top is not a git work tree" >&2
    exit 2
}

# Each fault: a line "== what it breaks", then the file, the line as it is and the line as a
# careless change would leave it (an empty "now:" deletes it). Lines are matched without their
# leading and trailing blanks; the replacement keeps the original's indentation.
read -r -d '' FAULTS <<'EOF' || true
== command line: an option's value is looked for one place past the end of the line
file: cli/CommandLine.cpp
was:  if (i + 1 >= arguments.size()) {
now:  if (i + 1 > arguments.size()) {

== command line: an option given twice is taken, the last one winning
file: cli/CommandLine.cpp
was:  if (option != "--set" && !seen.insert(option).second) {
now:  if (option == "--set" && !seen.insert(option).second) {

== command line: plan takes --log, which it never writes
file: cli/CommandLine.cpp
was:  return command == "install" || command == "undo";
now:  return command != "check";

== undo: a replaced file deleted since counts as already as before
file: cli/undo/UndoRun.cpp
was:  if (!change.replaced && !now.present) {
now:  if (!now.present) {

== undo: writes the registry refused are taken back as if they had been made
file: cli/undo/UndoRun.cpp
was:  && object.Integer("result") != std::int64_t { 0 })
now:  && !object.Integer("result"))

== undo: the class path loses the first copy of the entry instead of the one appended
file: cli/undo/UndoRun.cpp
was:  for (std::size_t i = entries.size(); i-- > 0;) {
now:  for (std::size_t i = 0; i < entries.size(); ++i) {

== undo: a file of the logged size but other content is deleted
file: cli/undo/UndoRun.cpp
was:  && now.sha256 == change.sha256;
now:  && !now.sha256.empty();

== undo: the log of another computer is undone without --force
file: cli/undo/UndoRun.cpp
was:  if (!EqualsNoCase(install.computer, here) && !line.force) {
now:  if (!EqualsNoCase(install.computer, here) && line.force) {

== undo: runs beside an install that holds the lock
file: cli/undo/UndoRun.cpp
was:  if (!lock || GetLastError() == ERROR_ALREADY_EXISTS) {
now:  if (!lock) {

== install: refused registry writes end with 0
file: cli/install/InstallRun.cpp
was:  if (aborted || counts.failedWrites > 0)
now:  if (aborted)

== plan: a JSON plan copies the files it describes
file: cli/install/ObservedChanges.cpp
was:  if (!m_planning
now:  if (!m_describe

== answers: 0 is no longer read as no
file: cli/answers/Answers.cpp
was:  for (const std::string_view no : { "no", "false", "0" })
now:  for (const std::string_view no : { "no", "false" })

== class path: an empty or missing value gets no ';' before the entry
file: engine/InstallSteps.cpp
was:  if (current.empty() || current.back() != ';')
now:  if (!current.empty() && current.back() != ';')

== folders: only a missing parent counts as a folder not created
file: engine/FileDeployment.cpp
was:  if (machine.CreateFolder(path) || GetLastError() == ERROR_ALREADY_EXISTS)
now:  if (machine.CreateFolder(path) || GetLastError() != ERROR_PATH_NOT_FOUND)

== data sources: a value of the server's data source written wrong
file: engine/DataSources.cpp
was:  { "TextBufferSize", "65000" },
now:  { "TextBufferSize", "6500" },

== custom tags: a Java tag's type in the wrong case
file: engine/CustomTags.cpp
was:  { "Type", "Java" },
now:  { "Type", "java" },

== placeholders: %DIR2% replaced by the first folder
file: engine/PathText.cpp
was:  result = ReplaceAll(result, "%DIR2%", directories.dir2);
now:  result = ReplaceAll(result, "%DIR2%", directories.dir1);

== install.conf: a one-character flag is on only for 1
file: config/TagReader.h
was:  return value[0] != '0';
now:  return value[0] == '1';

== install.conf: one byte less than 12,048 is read
file: config/TagReader.h
was:  file = file.substr(0, maxTextSize);
now:  file = file.substr(0, maxTextSize - 1);

== registry store: the new file is renamed into place before it is on disk
file: platform/posix/registry/FileRegistryStore.cpp
was:  ok = ok && WriteAll(fd, text) && m_calls.fsync(fd) == 0;
now:  ok = ok && WriteAll(fd, text);

== registry store: a save that fails leaves its temp file
file: platform/posix/registry/FileRegistryStore.cpp
was:  ::unlink(temp.c_str());
now:

== registry store: backslashes written without their escape
file: platform/posix/registry/RegFile.cpp
was:  kinds['\\'] = kinds['"'] = kEscaped;
now:  kinds['"'] = kEscaped;
EOF

# plant ROOT NUMBER [restore]: applies fault NUMBER to the tree at ROOT (or only checks it with
# "check"). Prints "file<TAB>line<TAB>what" and exits 0, or exits 3 with the reason when stale.
plant() {
    python3 - "$1" "$2" "${3:-apply}" <<'PY'
import os, sys
root, number, mode = sys.argv[1], int(sys.argv[2]), sys.argv[3]
faults = [block.strip("\n") for block in os.environ["FAULTS"].split("\n== ")]
block = faults[number - 1].removeprefix("== ").split("\n")
what, fields = block[0], {}
for line in block[1:]:
    key, _, value = line.partition(":")
    fields[key] = value.strip()
path = os.path.join(root, fields["file"])
try:
    with open(path, encoding="utf-8", newline="") as f:
        lines = f.read().split("\n")
except OSError as error:
    print("%s\t0\t%s\t%s" % (fields["file"], what, error.strerror))
    sys.exit(3)
at = [i for i, line in enumerate(lines) if line.strip() == fields["was"]]
if len(at) != 1:
    print("%s\t0\t%s\tthe line is there %d times" % (fields["file"], what, len(at)))
    sys.exit(3)
i = at[0]
print("%s\t%d\t%s" % (fields["file"], i + 1, what))
if mode == "apply":
    if fields["now"]:
        indent = lines[i][: len(lines[i]) - len(lines[i].lstrip())]
        lines[i] = indent + fields["now"]
    else:
        del lines[i]
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write("\n".join(lines))
PY
}
export FAULTS
count=$(grep -c '^== ' <<<"$FAULTS")

list=0
chosen=()
for argument in "$@"; do
    case $argument in
    --list) list=1 ;;
    *[!0-9]* | '') echo "planted-faults: not a fault number: $argument" >&2 && exit 2 ;;
    *)
        argument=$((10#$argument))
        ((argument >= 1 && argument <= count)) || { echo "planted-faults: no fault $argument (1..$count)" >&2 && exit 2; }
        [[ " ${chosen[*]} " == *" $argument "* ]] || chosen+=("$argument")
        ;;
    esac
done
[ ${#chosen[@]} -eq 0 ] && mapfile -t chosen < <(seq 1 "$count")

if [ $list -eq 1 ]; then
    status=0
    for n in "${chosen[@]}"; do
        if out=$(plant "$top" "$n" check); then
            IFS=$'\t' read -r file line what <<<"$out"
            printf '%2d  %-48s %s\n' "$n" "$file:$line" "$what"
        else
            IFS=$'\t' read -r file _ what why <<<"$out"
            printf '%2d  %-48s %s  [stale: %s]\n' "$n" "$file" "$what" "$why"
            status=1
        fi
    done
    exit $status
fi

work=$(realpath -m "${TARNWICK_FAULTS_DIR:-$top/build/planted-faults}")
tree=$work/tree
build=$work/build
logs=$work/logs
# A scratch folder inside the tree would be copied into itself, unless git ignores it.
case $work/ in
"$top"/*) git check-ignore -q "$work" || {
    echo "planted-faults: $work is inside the tree and not ignored by git; choose another TARNWICK_FAULTS_DIR" >&2
    exit 2
} ;;
esac
mkdir -p "$tree" "$logs"

# The scratch tree: the files git knows of, as they are in the working tree. A file whose content
# differs from the copy's (changed since, or left planted by a run that was killed) is copied anew,
# with a new time, so that the build there compiles it again; the others keep theirs.
git ls-files -z --cached --others --exclude-standard | python3 -c '
import filecmp, os, shutil, sys
top, tree = sys.argv[1], sys.argv[2]
wanted = {f for f in sys.stdin.read().split("\0") if f and os.path.isfile(os.path.join(top, f))}
for f in wanted:
    source, copy = os.path.join(top, f), os.path.join(tree, f)
    if not (os.path.isfile(copy) and filecmp.cmp(source, copy, shallow=False)):
        os.makedirs(os.path.dirname(copy), exist_ok=True)
        shutil.copyfile(source, copy)
        shutil.copymode(source, copy)
for folder, _, files in os.walk(tree):
    for name in files:
        if os.path.relpath(os.path.join(folder, name), tree) not in wanted:
            os.remove(os.path.join(folder, name))
' "$top" "$tree"

# Ctrl-C reaches ctest and make too, which end as if a test or a compile had failed: that is no
# verdict. Their logs tell it too, for a run whose signals were ignored when it started (a
# background job of a script), where this trap cannot see them.
interrupted=0
trap 'interrupted=1' INT TERM
stop_if_interrupted() {
    local log=${1:-}
    if [ -n "$log" ] && grep -qE '\(INTERRUPT\)|\] Interrupt$' "$log"; then
        interrupted=1
    fi
    if [ $interrupted -eq 1 ]; then
        restore
        echo "planted-faults: interrupted" >&2
        exit 130
    fi
}

configure_and_build() {
    {
        cmake -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=g++ \
            -DTARNWICK_BENCH=OFF && cmake --build "$build" -j"$(nproc)"
    } >"$logs/build.log" 2>&1
}

# The native tests, the quick ones first and stopping at the first failure; the Ansible plays
# (over a minute) only when everything else passed. Prints the failed tests' names with ctest's
# reason, or, when all passed, the skipped ones (a test without its tool cannot catch anything).
run_tests() {
    local log=$1 status=0
    ctest --test-dir "$build" -j"$(nproc)" --timeout 300 --stop-on-failure --output-on-failure -E '^fleet\.' >"$log" 2>&1 || status=1
    if [ $status -eq 0 ]; then
        ctest --test-dir "$build" --timeout 600 --output-on-failure -R '^fleet\.' >>"$log" 2>&1 || status=1
    fi
    if [ $status -ne 0 ]; then
        sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (\(.*\))$/\1 (\2)/p' "$log" | head -3 | paste -sd, -
    else
        sed -n 's/^.*Test *#[0-9]*: \([^ ]*\) .*\*\*\*Skipped.*$/\1/p' "$log" | paste -sd, -
    fi
    return $status
}

original=$work/original
current=
restore() {
    if [ -f "$original" ]; then
        cp "$original" "$tree/$current"
        rm -f "$original"
    fi
}
trap restore EXIT

echo "=== planted faults: building the unchanged tree in $work"
if ! configure_and_build; then
    stop_if_interrupted "$logs/build.log"
    echo "planted-faults: the unchanged tree does not build; see $logs/build.log" >&2
    exit 2
fi
if ! failed=$(run_tests "$logs/unchanged.log"); then
    stop_if_interrupted "$logs/unchanged.log"
    echo "planted-faults: the unchanged tree fails its tests ($failed); see $logs/unchanged.log" >&2
    exit 2
fi
stop_if_interrupted

caught=0
missed=0
stale=0
broken=0
for n in "${chosen[@]}"; do
    if ! out=$(plant "$tree" "$n" check); then
        IFS=$'\t' read -r file _ what why <<<"$out"
        printf '%2d  stale   %-48s %s (%s)\n' "$n" "$file" "$what" "$why"
        stale=$((stale + 1))
        continue
    fi
    IFS=$'\t' read -r current line what <<<"$out"
    cp "$tree/$current" "$original"
    plant "$tree" "$n" >/dev/null
    # The restored file gets a new time, so the next build compiles it again.
    if ! configure_and_build; then
        stop_if_interrupted "$logs/build.log"
        cp "$logs/build.log" "$logs/fault-$n.build.log"
        printf '%2d  BUILD   %-48s %s (the fault does not compile: %s)\n' "$n" "$current:$line" "$what" \
            "$logs/fault-$n.build.log"
        broken=$((broken + 1))
    elif by=$(run_tests "$logs/fault-$n.log"); then
        stop_if_interrupted "$logs/fault-$n.log"
        printf '%2d  MISSED  %-48s %s%s\n' "$n" "$current:$line" "$what" "${by:+ (skipped: $by)}"
        missed=$((missed + 1))
    else
        stop_if_interrupted "$logs/fault-$n.log"
        printf '%2d  caught  %-48s %s (by %s)\n' "$n" "$current:$line" "$what" "${by:-a test}"
        caught=$((caught + 1))
    fi
    restore
done
# Leave the scratch build as the unchanged tree, ready for the next run.
configure_and_build || true

echo "=== planted faults: $caught caught, $missed missed, $stale stale, $broken not compiling, of ${#chosen[@]}"
[ $missed -eq 0 ] && [ $stale -eq 0 ] && [ $broken -eq 0 ]
