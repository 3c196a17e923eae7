#!/usr/bin/env bash
# The manual page is written by hand: every option that `vornik --help` names, and
# every word of its usage (subcommands, verbs, back-ends, formats), must appear in
# it, and groff must read it without a warning.
# usage: man_page_test.sh VORNIK_EXECUTABLE MAN_PAGE
set -uo pipefail
exe="${1:?usage: man_page_test.sh VORNIK_EXECUTABLE MAN_PAGE}"
page="${2:?usage: man_page_test.sh VORNIK_EXECUTABLE MAN_PAGE}"
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" --help) ||
    { echo "FAILED: vornik --help"; exit 1; }
# The page's text with troff's escaped hyphens and font changes undone.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
usage=$(sed -n '/^usage:/,/^$/p' <<< "$help")
words=$(grep -oE -- '(^|[^A-Za-z-])--?[a-z][a-z-]*' <<< "$help" | sed 's/^[^-]*//'
        sed 's/^usage://' <<< "$usage" | grep -oE '(^|[ |[])[a-z][a-z-]+' | tr -d ' |[')
status=0
for word in $(sort -u <<< "$words"); do
    if ! grep -qF -- "$word" <<< "$text"; then
        echo "FAILED: the manual page does not name $word"
        status=1
    fi
done
[[ $(wc -l <<< "$words") -gt 30 ]] || { echo "FAILED: too few words read from --help"; status=1; }
if command -v groff > /dev/null; then
    warnings=$(groff -k -man -Tutf8 -ww -z "$page" 2>&1)
    [[ -z "$warnings" ]] || { echo "FAILED: groff: $warnings"; status=1; }
fi
exit $status
