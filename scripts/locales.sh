#!/usr/bin/env bash
# Generates the locales that part of the test suite runs under (as root: it writes /etc/locale.gen).
# French and German write "," as the decimal separator; Arabic (Egypt) writes "٫", neither "." nor ",".
set -euo pipefail
generate=
for l in fr_FR.UTF-8 de_DE.UTF-8 ar_EG.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}"; then
    sed -i "s/^# *\(${l} UTF-8\)/\1/" /etc/locale.gen
    grep -qx "${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" >> /etc/locale.gen
    generate=1
  fi
done
if [ -n "$generate" ]; then locale-gen; fi
