#!/usr/bin/env bash
# The core's folders depend one way: util <- text <- results <- link <- docs,
# workorder, sim; results <- history; all of them <- app. A folder includes only its own and those below it,
# and nothing in the core includes Qt. The verdicts sit beside results: they take its instrument kind, and
# the CSV, the documents and the history take their verdicts.
set -u
core=$1/src/core
failures=0
allowed() {
    case $1 in
    util) echo "util" ;;
    text) echo "util text" ;;
    results) echo "util text results verdict" ;;
    verdict) echo "util text results verdict" ;;
    link) echo "util text results link" ;;
    docs) echo "util text results verdict docs" ;;
    workorder) echo "util text results docs workorder" ;;
    sim) echo "util text results link sim" ;;
    history) echo "util text results verdict history" ;;
    app) echo "util text results verdict link docs workorder sim history app" ;;
    *) echo "" ;;
    esac
}
for folder in "$core"/*/; do
    layer=$(basename "$folder")
    ok=$(allowed "$layer")
    [ -n "$ok" ] || { echo "FAIL: $layer is not a known layer"; failures=$((failures + 1)); continue; }
    while IFS= read -r line; do
        file=${line%%:*}
        target=$(echo "$line" | sed -E 's/.*#include "([a-z]+)\/.*/\1/')
        case " $ok " in *" $target "*) ;; *)
            echo "FAIL: ${file#"$1"/} includes $target/, which is not below $layer"
            failures=$((failures + 1))
            ;;
        esac
    done < <(grep -rHE '#include "[a-z]+/' "$folder")
done
if grep -rlE '#include <Q[A-Za-z]+>' "$core"; then
    echo "FAIL: the core includes Qt"
    failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] && echo "layers: every include points down"
exit $((failures > 0))
