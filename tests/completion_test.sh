#!/bin/bash
# The bash completion offers each command's own words: sources the completion file,
# completes each command line of the table (the cursor on its last word) and compares
# the sorted offers.
# Usage: completion_test.sh COMPLETION_FILE NAME...  (the names of the command table)
set -u
# shellcheck source=/dev/null
source "$1" || exit 1

passed=0
failed=0

# check 'COMMAND LINE' 'EXPECTED WORDS'; a line ending in a blank completes an empty word.
check()
{
    local line=$1 expected=$2
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _haadm
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
    got=${got% }
    if [[ $got == "$expected" ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAIL: [%s]\n  expected: %s\n  got:      %s\n' "$line" "$expected" "$got"
    fi
}

# Every name of the command table, and the check's and the simulator's, is registered.
for name in "${@:2}" check_haready chassis-sim; do
    if [[ $(complete -p "$name" 2>/dev/null) == "complete -F _haadm $name" ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: no completion registered for $name"
    fi
done

check 'hashow -' '-h -l -o'
check 'haFailover -f -h' '-h -help'
check 'haready -' '--critical --help --timeout --verbose -c -h -t -v'
check 'check_haready -v -c ' ''
check 'hainfo RebootReason ' 'FirmwareDownload Hareboot hareset'
check 'hasmtest ls' 'ls_get_peer_version lscheckport lscreate lsdelete lsdisable lsenable'
check 'hasmtest expand 1 ' 'FC GE'
check 'hasmtest deexpand 1 FC 0-3 F' 'FCOE FCVF FPGA FTRK'
check 'hasmfreelock -' ''
check 'chassis-sim ' 'fail help init journal relink restart set show'
check 'chassis-sim set sta' 'state= status.local= status.remote= status.summary= status='
# A logical switch's number is the user's: no literal N is ever inserted.
check 'chassis-sim set ls' 'ls.'
check 'chassis-sim set ls.' ''
check 'chassis-sim set ls.12' 'ls.12.attr. ls.12.ports='
check 'chassis-sim set ls.3.attr.' 'ls.3.attr.FID='
# Values after '=', a word of its own as bash breaks words, or in one word without that.
check 'chassis-sim set this_cp = ' '0 1'
check 'chassis-sim set state=0x1 cocpu = 1' '1'
check 'chassis-sim set lock = ' 'free'
check 'chassis-sim set lock = 12,' ''
check 'chassis-sim set lock=f' 'lock=free'
check 'chassis-sim fail ha_' 'ha_checklock= ha_lock= ha_unlock='
check 'chassis-sim fail --' '--clear'
check 'chassis-sim init /tmp/x --scenario n' 'no-slots non-redundant'
check 'chassis-sim init /tmp/x -' '--emulator --from --scenario'
check 'chassis-sim journal ' '--call --clear --cp --json --last --pid'
check 'chassis-sim journal --call re' 'reboot reboot_system relink restart'
check 'chassis-sim journal --clear ' ''
check 'chassis-sim show ' '--json'

echo "completion: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
