#!/bin/bash
# Prints what the bash completion FILE offers for LINE typed so far, the words split as bash
# splits them ('=' a word of its own):   tests/complete.sh FILE LINE
. "$1"
COMP_LINE=$2 COMP_POINT=${#2}
read -ra COMP_WORDS <<<"${2//=/ = }"
[[ $2 == *' ' ]] && COMP_WORDS+=('')
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
_mirel_host
echo "${COMPREPLY[*]}"
