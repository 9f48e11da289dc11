#!/bin/sh
# Writes a help2man include file for tobu.1: one section per subcommand with the text of its
# own --help, so the manual page says what `tobu COMMAND --help` says.
#   man-commands.sh TOBU OUT
set -eu
tobu="$1"
out="$2"
{
  echo "[COMMANDS IN DETAIL]"
  "$tobu" --help | sed -n '/^Commands:/,/^$/p' | awk 'NF && $1 != "Commands:" {print $1}' |
    while read -r cmd; do
      echo ".SS \"tobu $cmd\""
      echo ".nf"
      "$tobu" "$cmd" --help | sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
      echo ".fi"
    done
} >"$out"
