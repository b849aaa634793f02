#!/bin/sh
# Every option that parallux-still --help names is in its manual page.
#   man_page_test.sh PROGRAM MANUAL_PAGE.gz
set -eu
page=$(gzip -dc "$2" | sed 's/\\-/-/g')
options=$("$1" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
[ -n "$options" ] || { echo "no options in --help"; exit 1; }
status=0
for option in $options; do
  case "$page" in
  *"$option"*) ;;
  *) echo "not in the manual page: $option"; status=1 ;;
  esac
done
exit $status
