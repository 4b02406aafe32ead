# Bash completion of brelta-device. The candidates come from brelta-device itself (its hidden
# __complete command, made from its table), one a line, each already quoted for the command
# line: nothing it offers is expanded or evaluated here, whatever the device root holds.
_brelta_device() {
    local self=$1
    [[ $self == */* && -x $self ]] || self=brelta-device
    mapfile -t COMPREPLY < <("$self" __complete -- "$COMP_CWORD" "${COMP_WORDS[@]}" 2>/dev/null)
    # A folder is completed further: no blank after it.
    if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == */ ]]; then
        compopt -o nospace 2>/dev/null
    fi
    return 0
}
complete -F _brelta_device brelta-device
