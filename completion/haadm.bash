# bash completion for haadm's commands and chassis-sim.
#
# One file serves every name: it registers the completion for all of them, and it is
# installed once as "haadm" with a link under each command name, so that bash-completion,
# which loads completions/NAME on first use, finds it whichever name is typed first.

# The command that a name selects, as the tool selects it: the first name of its table
# that occurs anywhere in the invocation name; only hadump ignores case.
_haadm_command()
{
    local name=${1##*/} row
    for row in hashow:haShow haenable:haEnable hadisable:haDisable hafailover:haFailover \
               hahamdump: hadump: hasyncstart:haSyncStart hasyncstop:haSyncStop hashutdown: \
               swdadmin: chassisreboot:chassisReboot hareboot:haReboot hainfo: hareset: \
               hasmshutdown:hasmrestart hasmtest: hachecklock: hafreelock: haredundancy: \
               platformyield: hasnapshot: haready:; do
        local primary=${row%%:*} alias=${row#*:}
        if [[ $primary == hadump ]]; then
            [[ ${name,,} == *hadump* ]] && { echo hadump; return; }
        elif [[ $name == *"$primary"* || ( -n $alias && $name == *"$alias"* ) ]]; then
            echo "$primary"
            return
        fi
    done
    [[ $name == chassis-sim ]] && echo chassis-sim
}

_haadm_hasmtest_words='swdkill shutdown restart expand deexpand dump lpalloc lpfree
    lscreate setatt getatt setsysatt getsysatt getfid lsenable lsdisable lsdelete getport
    ethcreate lscheckport oomtest ls_get_peer_version get_hsess set_suppress_ha'

_haadm_port_types='VE GE LP ISL FPGA FTRK LISL VSAN FCOE FCVF'

_haadm_sim_keys='state= this_cp= slots= cocpu= on_cocpu= model= board= dp_upgrade=
    fcr_state= node= ipc_max= app_name= peer_ip= peer_reachable= status.local=
    status.remote= status.summary= rb_reason= lock= hsess.local= hsess.remote=
    ls. sysattr. peer_version= dump_text= status='

_haadm_sim_calls='ipc_max_msg_size ipcInit myNode ipcSendRcv ficulibInit nslibInit
    esslibInit zonelibInit ns_condb_attach_impl ham_get_state getHAMStat getHAMFd
    ham_get_fd ioctl enableHA disableHA forceFailover ham_force_failover ham_disable_ha
    ham_request ham_notify notifyHAM ham_set_state ham_get_rb_reason get_ha_status ha_lock
    ha_unlock ha_checklock getThisCPSlot getThisCPNum getPeerCPSlot cocpu_present
    is_on_cocpu rbac_init set_chassis_context rbac_cli_opt_check rbac_context_type_handler
    rbac_close rasevt_init_check rasevt_init rasevt_gethndl_internal rasevt_log2
    rasevt_exit raslogd_fsync hasm_synstart hasm_synstop has_get_hsess hasm_alloc_lport
    hasm_free_lport hasm_get_port hasm_dump hasm_testoom ls_create ls_enable ls_disable
    ls_delete ls_shutdown ls_restart ls_expand ls_deexpand ls_expand_sync ls_deexpand_sync
    ls_alloc_lport ls_free_lport ls_get_swport ls_set_attribute ls_get_attribute
    ls_set_sys_attribute ls_get_sys_attribute ls_get_peer_version swd_init swd_enable
    swd_disable swd_suppress swd_exit config_swd_kickin sysconModel sysconHwBoardModel
    esm_is_extnHcl_inprog isw_get_fcr_state iswPause essPause reboot_system fssm_admin
    get_peer_ip_str pd_init eth_create'

_haadm_scenarios='redundant standby non-redundant ha-disabled no-slots'

# Offers WORDS that begin with the current word; words that end in '=' or '.' are the
# start of a longer word and take no blank.
_haadm_offer()
{
    local IFS=$' \t\n'
    COMPREPLY=($(compgen -W "$1" -- "$cur"))
    if [[ ${COMPREPLY[*]} == *= || ${COMPREPLY[*]} == *. ]]; then
        compopt -o nospace 2>/dev/null
    fi
}

# The word being completed as the command will get it: the quotes and backslashes typed
# so far taken off, nothing expanded (a '$' stays a '$').
_haadm_dequote()
{
    local word=$1 out= quote= c i
    for ((i = 0; i < ${#word}; i++)); do
        c=${word:i:1}
        if [[ $quote == "'" ]]; then
            [[ $c == "'" ]] && quote= || out+=$c
        elif [[ $c == \\ ]]; then
            ((i++))
            out+=${word:i:1}
        elif [[ $quote == '"' ]]; then
            [[ $c == '"' ]] && quote= || out+=$c
        elif [[ $c == "'" || $c == '"' ]]; then
            quote=$c
        else
            out+=$c
        fi
    done
    printf '%s' "$out"
}

# Offers the names of files (-f) or directories (-d) that begin with the current word.
# Readline is told they are file names, so that it quotes each as it inserts it, as
# bash's own file completion does: a name holding '$(...)', a blank or a quote is
# inserted as one word and never run.
_haadm_files()
{
    local IFS=$'\n' prefix
    prefix=$(_haadm_dequote "$cur")
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen "$1" -- "$prefix"))
}

# Completes a word of chassis-sim set: a key, or the value of a key whose values are few.
# The number of a logical switch and the names of attributes are the user's to type.
_haadm_sim_set_word()
{
    local key value prefix=
    if [[ $cur == = ]] && ((COMP_CWORD >= 3)); then
        # The cursor just after '=': bash makes the '=' the current word.
        key=$prev value=
    elif [[ $prev == = ]] && ((COMP_CWORD >= 3)); then
        # '=' breaks words: the key is the word before it.
        key=${COMP_WORDS[COMP_CWORD - 2]} value=$cur
    elif [[ $cur == *=* ]]; then
        key=${cur%%=*} value=${cur#*=} prefix=$key=
    else
        if [[ $cur =~ ^ls\.([0-9]+)\.attr\. ]]; then
            _haadm_offer "ls.${BASH_REMATCH[1]}.attr.FID="
        elif [[ $cur =~ ^ls\.([0-9]+) ]]; then
            _haadm_offer "ls.${BASH_REMATCH[1]}.ports= ls.${BASH_REMATCH[1]}.attr."
        elif [[ $cur != ls.* && $cur != sysattr.* ]]; then
            _haadm_offer "$_haadm_sim_keys"
        fi
        return
    fi
    local values
    case $key in
    this_cp | cocpu | on_cocpu | peer_reachable) values='0 1' ;;
    lock) values='free' ;;
    status) values='auto' ;;
    slots) values='0' ;;
    *) return ;;
    esac
    local IFS=$' \t\n' word
    COMPREPLY=()
    for word in $(compgen -W "$values" -- "$value"); do
        COMPREPLY+=("$prefix$word")
    done
}

_haadm_chassis_sim()
{
    local sub=${COMP_WORDS[1]}
    if ((COMP_CWORD == 1)); then
        _haadm_offer 'init set fail show journal restart relink help'
        return
    fi
    case $sub in
    init)
        case $prev in
        --scenario) _haadm_offer "$_haadm_scenarios" ;;
        --emulator) ;;
        --from) _haadm_files -f ;;
        *)
            if [[ $cur == -* ]]; then
                _haadm_offer '--scenario --emulator --from'
            else
                _haadm_files -d
            fi
            ;;
        esac
        ;;
    set) _haadm_sim_set_word ;;
    fail)
        [[ $prev == = || $cur == *=* ]] && return
        if ((COMP_CWORD == 2)); then
            _haadm_offer "--clear $(printf '%s= ' $_haadm_sim_calls)"
        else
            _haadm_offer "$(printf '%s= ' $_haadm_sim_calls)"
        fi
        ;;
    show) ((COMP_CWORD == 2)) && _haadm_offer '--json' ;;
    journal)
        case $prev in
        --call) _haadm_offer "$_haadm_sim_calls exec restart relink fastboot reboot rsh" ;;
        --cp) _haadm_offer '0 1' ;;
        --pid | --last) ;;
        *)
            if ((COMP_CWORD == 2)); then
                _haadm_offer '--call --pid --cp --last --json --clear'
            elif [[ ${COMP_WORDS[*]} != *--clear* ]]; then
                _haadm_offer '--call --pid --cp --last --json'
            fi
            ;;
        esac
        ;;
    restart) ((COMP_CWORD == 2)) && _haadm_offer '0 1' ;;
    esac
}

_haadm()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    local command
    command=$(_haadm_command "${COMP_WORDS[0]}")
    case $command in
    hashow) ((COMP_CWORD == 1)) && _haadm_offer '-o -l -h' ;;
    haenable | hafailover) _haadm_offer '-f -force --force -h -help --help' ;;
    haredundancy) ((COMP_CWORD == 1)) && _haadm_offer '--show --help' ;;
    hasnapshot) ((COMP_CWORD == 1)) && _haadm_offer '-h --prometheus' ;;
    haready)
        case $prev in
        -w | -c | --warning | --critical) ;;
        *) _haadm_offer '-v -w -c -h --verbose --warning --critical --help' ;;
        esac
        ;;
    chassisreboot) _haadm_offer '-d -m -s -f' ;;
    hareset) ((COMP_CWORD == 1)) && _haadm_offer '-l -p -c' ;;
    hareboot) ((COMP_CWORD == 1)) && _haadm_offer '-f -w' ;;
    swdadmin) ((COMP_CWORD == 1)) && _haadm_offer 'enable disable shutdown suppress' ;;
    hainfo)
        if ((COMP_CWORD == 1)); then
            _haadm_offer 'RebootReason show init'
        elif ((COMP_CWORD == 2)) && [[ $prev == RebootReason ]]; then
            _haadm_offer 'Hareboot FirmwareDownload hareset'
        fi
        ;;
    hasmtest)
        if ((COMP_CWORD == 1)); then
            _haadm_offer "$_haadm_hasmtest_words"
        elif [[ ${COMP_WORDS[1]} == *expand* ]]; then
            # expand SWITCH TYPE FIRST-LAST [PORT-TYPE [SYNC]]
            case $COMP_CWORD in
            3) _haadm_offer 'GE FC' ;;
            5) _haadm_offer "$_haadm_port_types" ;;
            esac
        fi
        ;;
    chassis-sim) _haadm_chassis_sim ;;
    esac
    return 0
}

complete -F _haadm hashow haShow haenable haEnable hadisable haDisable hafailover haFailover \
    hahamdump hadump hasyncstart haSyncStart hasyncstop haSyncStop hashutdown swdadmin \
    chassisreboot chassisReboot hareboot haReboot hainfo hareset hasmshutdown hasmrestart \
    hasmtest hachecklock hafreelock haredundancy platformyield hasnapshot haready check_haready \
    chassis-sim
