#!/usr/bin/env bash
# Unpacks the zip for Windows as a user would and checks what is in it: one folder holding the
# programs and the read-me, nothing else; the read-me in CR LF; each program without debug
# sections, with its version resource, icon and manifest, and starting under Wine.
#   check_windows_zip.sh ZIP VERSION WINDOW_BUILT(0|1) LICENCE_SHIPPED(0|1)
set -euo pipefail
zip=$1 version=$2 window=$3 licence=$4
here=$(dirname "$0")
. "$here/windows_package_checks.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-zip-XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")

expected="Velunor-$version/|Velunor-$version/LIESMICH.txt|Velunor-$version/velunor-convert.exe"
[ "$window" = 1 ] && expected+="|Velunor-$version/Velunor.exe"
[ "$licence" = 1 ] && expected+="|Velunor-$version/LICENSE.txt"
found=$(cd "$work" && find . -mindepth 1 | sed 's|^\./||; s|^\(Velunor-[^/]*\)$|\1/|' | sort | paste -sd'|')
expected=$(tr '|' '\n' <<<"$expected" | sort | paste -sd'|')
[ "$found" = "$expected" ] || fail "zip holds $found, expected $expected"

folder=$work/Velunor-$version
check_read_me "$folder/LIESMICH.txt" "$version"
for program in "$folder"/*.exe; do check_program "$program" "$version"; done
version_line=$(run_wine "$folder/velunor-convert.exe" --version | tr -d '\r')
[ "$version_line" = "velunor-convert $version" ] || fail "--version gave '$version_line'"
finish
