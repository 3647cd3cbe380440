#!/usr/bin/env bash
# The program's statements run on MariaDB and MySQL alike: no variable, statement or clause of one
# server alone in the text of a statement (a string literal) in the program's sources.
#   portables.sh SOURCE-FOLDER
set -euo pipefail
src=$1/src
hallado=0
for patron in '@@in_transaction' '\bRETURNING\b' 'CREATE OR REPLACE' 'COLUMN IF (NOT )?EXISTS' \
    '\bSET STATEMENT\b' '\b(NEXT|LAST)VAL\b' '\bseq_[0-9]+_to_' '\bINTERSECT\b' '\bEXCEPT\b'; do
  if grep -rniE --include='*.cpp' --include='*.h' "\"[^\"]*($patron)" "$src" |
      grep -vE '^[^:]+:[0-9]+:\s*//'; then
    echo "FAILED: MariaDB-only SQL in the program: $patron" >&2
    hallado=1
  fi
done
exit $hallado
