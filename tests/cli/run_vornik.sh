#!/usr/bin/env bash
# Runs the built program with command lines that are answered before any window
# system is asked for: with no display at all, and with one that does not answer.
# usage: run_vornik.sh VORNIK_EXECUTABLE VERSION
set -uo pipefail
exe="${1:?usage: run_vornik.sh VORNIK_EXECUTABLE VERSION}"
version="${2:?usage: run_vornik.sh VORNIK_EXECUTABLE VERSION}"
usage='usage: vornik [--root DIR] [--dialer networkmanager|pppd|sim] [--headless]'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

# expect CODE FIRST_STDOUT_LINE FIRST_STDERR_LINE [ENV=VALUE ...] -- ARGS...
expect() {
    local code=$1 out=$2 err=$3
    shift 3
    local env=()
    while [[ $1 != -- ]]; do env+=("$1"); shift; done
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work" XDG_DATA_HOME="$work" \
        "${env[@]}" timeout 60 "$exe" "$@" > "$work/out" 2> "$work/err" < /dev/null
    local got=$?
    local gotOut gotErr
    gotOut=$(head -n 1 "$work/out")
    gotErr=$(head -n 1 "$work/err")
    if [[ $got -ne $code || "$gotOut" != "$out" || "$gotErr" != "$err" ]]; then
        echo "FAILED: vornik $* ${env[*]}"
        echo "  exit code $got, expected $code"
        echo "  stdout: $(cat "$work/out")"
        echo "  stderr: $(cat "$work/err")"
        echo "  expected first lines: stdout '$out', stderr '$err'"
        status=1
    fi
}

expect 0 "$usage" "" -- --help
expect 0 "$usage" "" -- -h
expect 0 "vornik $version" "" -- --version
expect 2 "" "vornik: --root needs a folder" -- --root
expect 2 "" "vornik: unknown option '--bogus'" -- --bogus
if [[ "$(sed -n 2p "$work/err")" != "$usage" ]]; then
    echo "FAILED: vornik --bogus did not print the usage on stderr: $(cat "$work/err")"
    status=1
fi
# A display that does not answer would make QApplication abort.
expect 0 "$usage" "" DISPLAY=:4711 -- --help
expect 2 "" "vornik: unknown dialer 'modem' (use networkmanager, pppd or sim)" DISPLAY=:4711 \
    -- --dialer modem

# Help and version that cannot be written are a failure, not a silent success.
for option in --help --version; do
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60 "$exe" $option \
        > /dev/full 2> "$work/err" < /dev/null
    got=$?
    if [[ $got -ne 1 || "$(cat "$work/err")" != "vornik: cannot write to standard output" ]]; then
        echo "FAILED: vornik $option > /dev/full, exit code $got: $(cat "$work/err")"
        status=1
    fi
done

# Without its desktop module, a start on a display says why and ends with 1.
cp "$exe" "$work/alone"
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work" XDG_DATA_HOME="$work" DISPLAY=:4711 \
    timeout 60 "$work/alone" --dialer sim > "$work/out" 2> "$work/err" < /dev/null
got=$?
if [[ $got -ne 1 || "$(head -n 1 "$work/err")" != "Vornik 无法启动：无法载入桌面部分 "* ]]; then
    echo "FAILED: a program without its desktop module, exit code $got: $(cat "$work/err")"
    status=1
fi
rm "$work/alone"

# Nothing above may have created a program folder.
if [[ -n "$(ls -A "$work" | grep -v -x -e out -e err)" ]]; then
    echo "FAILED: the program created files: $(ls -A "$work")"
    status=1
fi
exit $status
