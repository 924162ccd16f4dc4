#!/bin/bash
# Compiles each header on its own, with the project's include folders and a
# brand's generated ones, as an editor or a linter reads it.
#   headers.sh COMPILER SOURCE_DIR BRAND_DIR HEADER...
compiler=$1 source=$2 brand=$3
shift 3
for h in "$@"; do
    "$compiler" -fsyntax-only -Wall -Werror -x c++ -I"$source/res" -I"$source/harness" -I"$source/tests" \
        -I"$source/preview" -I"$source/src" -I"$brand" "$h" ||
        { echo "headers.sh: Test failed: $h does not compile on its own"; exit 1; }
done
echo "headers.sh: $# headers compile on their own"
