#!/usr/bin/env bash
# Compares the dynamic symbols the library defines with the functions the header declares.
set -euo pipefail
library=$1
header=$2
declared=$(grep -oE '^RVL_API[^(]*[^A-Za-z0-9_]([A-Za-z_][A-Za-z0-9_]*)\(' "$header" \
  | sed -E 's/.*[^A-Za-z0-9_]([A-Za-z_][A-Za-z0-9_]*)\($/\1/' | sort -u)
exported=$(nm -D --defined-only "$library" | awk '{print $NF}' | sed 's/@.*//' | sort -u)
if [ -z "$declared" ]; then echo "no declarations found in $header"; exit 1; fi
missing=$(comm -23 <(echo "$declared") <(echo "$exported"))
extra=$(comm -13 <(echo "$declared") <(echo "$exported"))
status=0
if [ -n "$missing" ]; then echo "declared but not exported:"; echo "$missing"; status=1; fi
if [ -n "$extra" ]; then echo "exported but not declared:"; echo "$extra"; status=1; fi
echo "$(echo "$declared" | wc -l) exports checked"
exit $status
