# Bash completion of brelta-device: commands, subcommands, options, setting keys, USB mount
# paths, notification ids, fault names and live service names. Keys and ids are asked of
# brelta-device itself, on the device root that the command line being completed names with
# --root.
_brelta_device() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local root=() command='' sub='' operands=0 i word
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
        --root) root=(--root "${COMP_WORDS[i + 1]}") && ((i++)) ;;
        -n | --lines | --since | -p | --priority | -t | --tag) ((i++)) ;;
        -*) ;;
        *)
            if [ -z "$command" ]; then
                command=$word
            elif [ -z "$sub" ] && [[ $command =~ ^(settings|usb|toast|capture|fault|live)$ ]]; then
                sub=$word
            else
                ((operands++))
            fi
            ;;
        esac
    done
    local ask=(brelta-device "${root[@]}")
    local words=''
    case $prev in
    --root)
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
        return
        ;;
    -p | --priority) words='verbose debug info warning error fatal' ;;
    -n | --lines | --since | -t | --tag | --port | --listen) return ;;
    esac
    if [ -z "$words" ]; then
        case $command/$sub in
        /) words='root settings usb toast capture fault log launches live reset screen help --root --help --version' ;;
        settings/) words='get set unset list dump load watch' ;;
        settings/get | settings/unset | settings/watch | settings/list | settings/set)
            if [ "$sub" = set ] && [ "$operands" -eq 1 ]; then
                words='int bool double string'
            elif [ "$sub" = set ] && [ "$operands" -eq 2 ]; then
                [ "$prev" = bool ] && words='true false'
            elif [ "$sub" != set ] || [ "$operands" -eq 0 ]; then
                words="$("${ask[@]}" settings list 2>/dev/null | cut -d' ' -f1) --json"
            fi
            ;;
        usb/) words='attach detach list' ;;
        usb/detach) words=$("${ask[@]}" usb list 2>/dev/null | cut -f1) ;;
        usb/attach)
            [ "$operands" -eq 0 ] && mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return
            ;;
        toast/) words='list press hide watch' ;;
        toast/press | toast/hide)
            [ "$operands" -eq 0 ] && words=$("${ask[@]}" toast list 2>/dev/null | cut -d' ' -f1)
            [ "$sub" = press ] && [ "$operands" -eq 1 ] && words='1 2'
            ;;
        toast/list | toast/watch | usb/list) words='--json' ;;
        capture/) words='start stop status' ;;
        fault/) words='set clear list' ;;
        fault/set) [ "$operands" -eq 0 ] && words=$("${ask[@]}" fault list --known 2>/dev/null) ;;
        fault/clear) words=$("${ask[@]}" fault list 2>/dev/null | cut -d: -f1) ;;
        fault/list) words='--known --json' ;;
        log/) words='main radio system apps -f --follow -n --lines --since -p --priority -t --tag --json' ;;
        launches/) words='-f --follow --json' ;;
        live/) words='list on off' ;;
        live/on | live/off) words='log toast launch capture gateway usb all' ;;
        live/list) words='--json' ;;
        reset/) words='--yes' ;;
        screen/) words='--port --listen --root' ;;
        esac
    fi
    mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
}
complete -F _brelta_device brelta-device
