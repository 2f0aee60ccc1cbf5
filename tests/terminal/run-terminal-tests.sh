#!/usr/bin/env bash
# One case of the terminal wizard driven as a person would drive it: keys sent into an 80x25 tmux
# pane, screen text read back, on a fresh simulated machine (seed registry, drive C:, a stand-in
# `net`) in a temporary folder. The machine is kept when a case fails.
# Usage: run-terminal-tests.sh PROGRAM REGDIFF CASE
#   CASE: install-sample | cancel-on-main-page | decline-new-folder | ctrl-c-on-licence
# Exit status 77 (skipped) when tmux is not installed.
set -euo pipefail
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
here=$(dirname "$self")
source_dir=$(cd "$here/../.." && pwd)

# Inside the pane: the wizard with the package folder as its current directory, then a line to type
# back, which shows and ends with Enter only when the wizard has given back a working terminal.
if [[ ${1:-} == --in-pane ]]; then
    work=$2
    status=0
    trap : INT # Ctrl-C is for the wizard, not for this runner
    env -C "$work/package" PATH="$work/bin:$PATH" TARNWICK_REGISTRY="$work/registry.reg" \
        TARNWICK_DRIVES="C:=$work/c" "$3" || status=$?
    trap - INT
    echo "$status" >"$work/status"
    stty -a >"$work/stty" 2>&1 || true
    printf 'typed> '
    IFS= read -r line || true
    printf 'read back: %s\n' "$line"
    exec sleep 600
fi

program=$(realpath -- "$1")
regdiff=$2
case=$3
if ! command -v tmux >/dev/null; then
    echo "SKIPPED: the terminal tests need tmux (apt-get install -y tmux)"
    exit 77
fi
seed=$source_dir/examples/server.reg
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-terminal.XXXXXX")
socket=tarnwick-terminal-$$
tm() { tmux -f /dev/null -L "$socket" "$@"; }
finish() {
    local status=$?
    tm kill-server 2>/dev/null || true
    if [[ $status -eq 0 ]]; then rm -rf "$work"; else echo "The simulated machine is kept in $work" >&2; fi
}
trap finish EXIT

fail() {
    printf 'FAILED (%s): %s\n--- the screen:\n%s\n---\n' "$case" "$1" "$(screen)" >&2
    exit 1
}

# --- the screen ---------------------------------------------------------------------------------
screen() { tm capture-pane -p -t t 2>/dev/null || true; }
screen_has() { grep -qF -- "$1" <<<"$(screen)"; }
screen_lacks() { ! screen_has "$1"; }
# A row holding both texts (e.g. a box's text and the button beside it) / the first but not the second.
row_has() {
    local row
    while IFS= read -r row; do [[ $row == *"$1"* && $row == *"$2"* ]] && return 0; done <<<"$(screen)"
    return 1
}
row_lacks() {
    local row
    while IFS= read -r row; do [[ $row == *"$1"* && $row != *"$2"* ]] && return 0; done <<<"$(screen)"
    return 1
}
# Runs a command until it succeeds, for at most TIMEOUT seconds.
eventually() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [[ $SECONDS -lt $deadline ]] || return 1
        sleep 0.1
    done
}
wait_for() { eventually "${2:-20}" screen_has "$1" || fail "\"$1\" did not appear"; }
wait_gone() { eventually 20 screen_lacks "$1" || fail "\"$1\" did not go away"; }
wait_for_row() { eventually 20 row_has "$1" "$2" || fail "no row with \"$1\" and \"$2\""; }
keys() { tm send-keys -t t "$@"; }
type_text() { tm send-keys -t t -l -- "$1"; }

# --- the machine --------------------------------------------------------------------------------
make_machine() {
    mkdir -p "$work/c/CFusion/CustomTags" "$work/c/Inetpub/wwwroot" "$work/bin"
    cp "$seed" "$work/registry.reg"
    cp -r "$source_dir/examples/sample-package" "$work/package"
    # The service command: logs its arguments, quoting those with spaces, and succeeds.
    cat >"$work/bin/net" <<'EOF'
#!/bin/sh
line=net
for arg; do
    case $arg in *' '*) line="$line \"$arg\"" ;; *) line="$line $arg" ;; esac
done
echo "$line" >>"$(dirname "$0")/../service.log"
EOF
    chmod +x "$work/bin/net"
}

start_wizard() {
    make_machine
    unset TMUX
    tm new-session -d -s t -x 80 -y 25 "exec bash $(printf '%q ' "$self" --in-pane "$work" "$program")"
}

agree_to_licence() {
    wait_for "I Agree to the License Agreement"
    keys Tab Tab Space # past "I do not Agree" to "I Agree", chosen
    wait_for "(*) I Agree"
    keys Enter # Next, the default button now that it is enabled
    wait_for "Setup Found The Following JVM's on this Machine"
}

# The wizard has ended with STATUS and left the terminal as it found it: main screen, cursor shown,
# typed text echoed and a line read at Enter.
check_ended() {
    wait_for "typed>" # (the pane drops trailing spaces)
    [[ $(tm display -p -t t '#{alternate_on}') == 0 ]] || fail "the pane is still on the alternate screen"
    [[ $(tm display -p -t t '#{cursor_flag}') == 1 ]] || fail "the cursor is still hidden"
    type_text back-in-the-shell
    keys Enter
    eventually 20 screen_has "read back: back-in-the-shell" \
        || fail "the terminal does not read a line after the wizard; its settings: $(cat "$work/stty")"
    screen_has "typed> back-in-the-shell" || fail "typed text is not echoed; settings: $(cat "$work/stty")"
    [[ $(<"$work/status") == "$1" ]] || fail "exit status $(<"$work/status"), expected $1"
}

store_is_seed() { cmp -s "$seed" "$work/registry.reg" || fail "the registry changed: $("$regdiff" "$seed" "$work/registry.reg")"; }
no_files_on_c() {
    local files
    files=$(find "$work/c" -type f)
    [[ -z $files ]] || fail "files were copied: $files"
}
no_service_commands() { [[ ! -e $work/service.log ]] || fail "service commands ran: $(cat "$work/service.log")"; }
service_log_is() { [[ -e $work/service.log && $(<"$work/service.log") == "$1" ]]; }

# --- the cases ----------------------------------------------------------------------------------
case_install_sample() {
    start_wizard
    agree_to_licence
    # Cancel, << Back, the list; its first row, then the second: the path box follows.
    keys Tab Tab Tab Down Down
    wait_for_row "[ Browse... ]" 'C:\Program Files\JavaSoft\JRE\1.3\bin'
    keys Enter
    wait_for "ColdFusion Custom Tags folder"
    keys Tab Tab # from Cancel, past << Back, to Install
    wait_for "[[ Install >> ]]"
    keys Enter
    wait_for 'The folder C:\CFusion\CustomTags\Sample does not exist'
    keys y
    wait_for 'The folder C:\Inetpub\wwwroot\sample does not exist'
    keys y
    wait_for "You need to Restart ColdFusion."
    keys Enter # Yes has the focus
    wait_for "[[ Done ]]"
    keys Enter
    check_ended 0

    local expected=$here/sample-installed.reg
    cmp -s "$expected" "$work/registry.reg" \
        || fail "the registry is not $expected: $("$regdiff" "$expected" "$work/registry.reg")"
    diff -r "$work/package/CustomTags" "$work/c/CFusion/CustomTags/Sample" >&2 || fail "the tag files differ"
    diff -r "$work/package/examples" "$work/c/Inetpub/wwwroot/sample" >&2 || fail "the examples differ"
    local copied
    copied=$(find "$work/c" -type f | wc -l)
    [[ $copied -eq 7 ]] || fail "$copied files on C:, expected the package's 7"
    class_path_entries_exist
    # The commands are started without waiting for them.
    eventually 20 service_log_is $'net stop "Cold Fusion Application Server"\nnet start "Cold Fusion Application Server"' \
        || fail "service commands: $(cat "$work/service.log" 2>/dev/null)"
}

# Every class path entry that the install appended to the seed's names a file that is now on C:.
class_path_entries_exist() {
    local before installed entry host
    before=$(grep -m1 '^"JavaClassPath"=' "$seed" | sed 's/^"JavaClassPath"="//; s/"\r\?$//')
    installed=$(grep -m1 '^"JavaClassPath"=' "$work/registry.reg" | sed 's/^"JavaClassPath"="//; s/"\r\?$//')
    [[ $installed == "$before"* && $installed != "$before" ]] || fail "the class path gained nothing: $installed"
    IFS=';' read -ra added <<<"${installed#"$before"}"
    for entry in "${added[@]}"; do
        [[ -n $entry ]] || continue
        entry=${entry//\\\\/\\} # .reg text doubles its backslashes
        [[ $entry == [Cc]:\\* ]] || fail "class path entry $entry is not on C:"
        host=$work/c/${entry:3}
        host=${host//\\//}
        [[ -f $host ]] || fail "class path entry $entry names no installed file"
    done
}

case_cancel_on_main_page() {
    start_wizard
    agree_to_licence
    # Cancel, << Back, the list, the path box, emptied: the JVM page then stores nothing.
    keys Tab Tab Tab Tab C-u
    eventually 20 row_lacks "[ Browse... ]" 'C:\' || fail "the JVM path box was not emptied"
    keys Enter
    wait_for "ColdFusion Custom Tags folder"
    keys Escape
    check_ended 0
    store_is_seed
    no_files_on_c
    no_service_commands
}

case_decline_new_folder() {
    start_wizard
    agree_to_licence
    keys Enter # keeps the first JVM
    wait_for "ColdFusion Custom Tags folder"
    keys Tab Tab Tab C-u # from Cancel to the first folder box, emptied
    type_text 'C:\NewTags'
    wait_for_row "[ Browse... ]" 'C:\NewTags'
    keys Enter # the box has the focus: Enter presses the default button, Install
    wait_for 'The folder C:\NewTags\Sample does not exist'
    keys n
    wait_for "Setup has been aborted"
    keys Enter
    wait_gone "Setup has been aborted"
    keys Escape
    check_ended 0

    [[ ! -e $work/c/NewTags ]] || fail "C:\\NewTags was created"
    no_files_on_c
    no_service_commands
    # The abort came at the first option: only the JVM page's choice is stored.
    local changes
    changes=$("$regdiff" "$seed" "$work/registry.reg" || true)
    [[ $changes == 'HKEY_LOCAL_MACHINE\SOFTWARE\Allaire\ColdFusion\CurrentVersion\JVM
  added   JVMPath = "C:\Program Files\Java\j2re1.4.2\bin\client\jvm.dll"' ]] \
        || fail "registry changes other than the JVM: $changes"
}

case_ctrl_c_on_licence() {
    start_wizard
    wait_for "I Agree to the License Agreement"
    # Else the check that the main screen is back would prove nothing.
    [[ $(tm display -p -t t '#{alternate_on}') == 1 ]] || fail "the wizard is not on the alternate screen"
    keys C-c
    check_ended 130 # killed by SIGINT
    store_is_seed
}

case $case in
install-sample | cancel-on-main-page | decline-new-folder | ctrl-c-on-licence)
    [[ -x $program ]] || fail "$program is not a program"
    "case_${case//-/_}"
    echo "passed: $case"
    ;;
*)
    echo "unknown case: $case" >&2
    exit 2
    ;;
esac
