#!/usr/bin/env bash
# The man page against the program: every option that --help names is in the page and every
# option the page names is in --help, the page formats without warnings, and the install puts
# it in share/man/man1.
# Usage: ManPageTest.sh RENDER_PROGRAM MAN_PAGE BUILD_DIR
set -euo pipefail
program=$1
page=$2
build=$3
failures=0

fail()
{
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Option words in plain text: long options (--name) and single-letter ones (-x), each standing
# at the start of a word, so hyphenated words and "-varnholt" in prose are not taken for options.
options_in()
{
    grep -oE '(^|[][[:space:](,|=])--?[A-Za-z][A-Za-z0-9-]*' |
        sed -E 's/^[^-]*//' |
        grep -E '^(--[A-Za-z][A-Za-z0-9-]*|-[A-Za-z])$' |
        sort -u || true
}

# The page as plain text: roff comments, font changes and escaped hyphens undone.
page_text()
{
    grep -v '^\.\\"' "$page" |
        sed -E -e 's/\\f(\[[^]]*\]|\(..|.)//g' -e 's/\\-/-/g' -e 's/\\\(..//g'
}

help_options=$("$program" --help | options_in)
page_options=$(page_text | options_in)
[[ -n $help_options ]] || fail "--help names no option"

missing_from_page=$(comm -23 <(echo "$help_options") <(echo "$page_options"))
missing_from_help=$(comm -13 <(echo "$help_options") <(echo "$page_options"))
[[ -z $missing_from_page ]] || fail "options in --help but not in $page:" $missing_from_page
[[ -z $missing_from_help ]] || fail "options in $page but not in --help:" $missing_from_help

# Each option of --help is described in the page, not only mentioned: it stands in the heading
# line of an entry (the line after .TP), alone or beside its aliases.
entry_options=$(page_text | grep -A1 '^\.TP' | grep -v '^\.TP' | options_in)
for option in $help_options; do
    grep -qxF -- "$option" <<<"$entry_options" || fail "$option has no entry in $page"
done

warnings=$(groff -man -ww -z "$page" 2>&1 || true)
[[ -z $warnings ]] || fail "groff warns about $page: $warnings"

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" --component man >/dev/null
cmp -s "$page" "$prefix/share/man/man1/varnholt-render.1" ||
    fail "cmake --install does not put the page in share/man/man1"

((failures == 0)) || exit 1
echo "man page: $(echo "$help_options" | wc -l) options of --help checked both ways"
