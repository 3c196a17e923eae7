#!/usr/bin/env bash
# What headless Vornik costs while it meters one simulated call, beside vnStat's
# daemon vnstatd measured over the same stretch of time: CPU seconds per hour,
# wake-ups per second (context switches, voluntary and involuntary, of all its
# threads), resident memory (VmRSS) and the libraries loaded. Never a test.
#
# usage: bench/headless_cost.sh [--seconds N | --quick] [--vornik EXECUTABLE]
#   --seconds N   measure for N seconds once the call is up (default 300)
#   --quick       measure for 30 seconds
#   --vornik EXE  measure this build of the program instead of building one
#                 (RelWithDebInfo, in build-bench-headless)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=300
vornik=""
while [[ $# -gt 0 ]]; do
    case "$1" in
        --seconds) seconds="${2:?--seconds needs a number}"; shift 2 ;;
        --quick) seconds=30; shift ;;
        --vornik) vornik="${2:?--vornik needs the executable}"; shift 2 ;;
        *) echo "usage: bench/headless_cost.sh [--seconds N | --quick] [--vornik EXECUTABLE]" >&2
           exit 2 ;;
    esac
done

scripts/deps.sh
# vnstatd is the yardstick; the helper that prepares the program folder is built
# with the benchmarks, which need Google Benchmark.
wanted=()
command -v vnstatd > /dev/null || wanted+=(vnstat)
dpkg-query -W -f='${Status}' libbenchmark-dev 2>/dev/null | grep -q "install ok installed" ||
    wanted+=(libbenchmark-dev)
if [[ ${#wanted[@]} -gt 0 ]]; then
    if [[ $(id -u) -eq 0 ]]; then
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${wanted[@]}"
    else
        echo "Missing packages. Run as root: apt-get install ${wanted[*]}" >&2
        [[ " ${wanted[*]} " == *" libbenchmark-dev "* ]] && exit 1
    fi
fi

build=build-bench-headless
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNIK_TESTS=ON \
      -DVORNIK_BENCHMARKS=ON > /dev/null
targets=(bench_headless_folder)
[[ -z "$vornik" ]] && targets+=(vornik)
cmake --build "$build" -j2 --target "${targets[@]}"
[[ -z "$vornik" ]] && vornik="$build/src/gui/vornik"

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2> /dev/null || true
    done
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$build/bench/bench_headless_folder" "$work/vornik"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL=C.UTF-8 \
    "$vornik" --headless --dialer sim --root "$work/vornik" \
    > "$work/vornik.out" 2> "$work/vornik.err" < /dev/null &
vornikPid=$!
pids+=("$vornikPid")

vnstatPid=""
if command -v vnstatd > /dev/null; then
    mkdir -p "$work/vnstat"
    printf 'DatabaseDir "%s"\nUseLogging 0\n' "$work/vnstat" > "$work/vnstat.conf"
    vnstatd --nodaemon --config "$work/vnstat.conf" > "$work/vnstatd.out" 2>&1 &
    vnstatPid=$!
    pids+=("$vnstatPid")
fi

# The call is up within its connect delay; the start-up (opening the log) is not
# part of what is measured.
for _ in $(seq 300); do
    grep -q "连接已建立" "$work/vornik.out" 2> /dev/null && break
    kill -0 "$vornikPid" 2> /dev/null || break
    sleep 0.1
done
if ! grep -q "连接已建立" "$work/vornik.out"; then
    echo "vornik did not connect:" >&2
    cat "$work/vornik.out" "$work/vornik.err" >&2
    exit 1
fi
sleep 1

# CPU time and context switches of a process, all its threads: "ns switches".
clockTick=$(getconf CLK_TCK)
proc_sample() {
    local pid=$1 ticks switches
    ticks=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    switches=$(cat "/proc/$pid"/task/*/status 2> /dev/null |
               awk '/ctxt_switches/ { s += $2 } END { print s }')
    echo "$((ticks * 1000000000 / clockTick)) $switches"
}

# perf counts CPU time to the nanosecond; /proc only to the clock tick.
usePerf=false
if command -v perf > /dev/null &&
   perf stat -x, -e task-clock,context-switches -p "$vornikPid" -- sleep 0.1 > /dev/null 2>&1; then
    usePerf=true
fi

declare -A cpuNs switches
if $usePerf; then
    perfPids=()
    for pid in "$vornikPid" $vnstatPid; do
        perf stat -x, -e task-clock,context-switches -p "$pid" -o "$work/perf.$pid" \
            -- sleep "$seconds" &
        perfPids+=($!)
    done
    wait "${perfPids[@]}"
    for pid in "$vornikPid" $vnstatPid; do
        # "<not counted>": the process never ran.
        cpuNs[$pid]=$(awk -F, '$3 == "task-clock" { print ($1 ~ /^[0-9.]+$/ ? int($1 * 1000000) : 0) }' \
                          "$work/perf.$pid")
        switches[$pid]=$(awk -F, '$3 == "context-switches" { print ($1 ~ /^[0-9]+$/ ? $1 : 0) }' \
                             "$work/perf.$pid")
    done
    method="perf stat (task-clock, context-switches)"
else
    declare -A before
    for pid in "$vornikPid" $vnstatPid; do
        before[$pid]=$(proc_sample "$pid")
    done
    sleep "$seconds"
    for pid in "$vornikPid" $vnstatPid; do
        read -r ns0 sw0 <<< "${before[$pid]}"
        read -r ns1 sw1 <<< "$(proc_sample "$pid")"
        cpuNs[$pid]=$((ns1 - ns0))
        switches[$pid]=$((sw1 - sw0))
    done
    method="/proc/PID/stat (CPU to the clock tick) and task/*/status (context switches)"
fi

libraries() {
    grep -oE '/[^ ]+\.so[.0-9]*$' "/proc/$1/maps" | sort -u
}

echo
echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)," \
     "kernel $(uname -r)"
echo "Measured for $seconds s during a simulated call, with $method"
printf '%-10s %12s %12s %10s %10s\n' "" "CPU s/hour" "wake-ups/s" "VmRSS MB" "libraries"
declare -A cpuHour wakeups rssMb
for pid in "$vornikPid" $vnstatPid; do
    name=$([[ $pid == "$vornikPid" ]] && echo vornik || echo vnstatd)
    cpuHour[$pid]=$(awk -v ns="${cpuNs[$pid]}" -v s="$seconds" 'BEGIN { printf "%.3f", ns / 1e9 * 3600 / s }')
    wakeups[$pid]=$(awk -v n="${switches[$pid]}" -v s="$seconds" 'BEGIN { printf "%.2f", n / s }')
    rssMb[$pid]=$(awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status")
    printf '%-10s %12s %12s %10s %10s\n' "$name" "${cpuHour[$pid]}" "${wakeups[$pid]}" \
           "${rssMb[$pid]}" "$(libraries "$pid" | wc -l)"
done

echo
forbidden=$(libraries "$vornikPid" | grep -E 'Qt6(Widgets|Gui|Multimedia|Svg)|/imageformats/' |
            xargs -r -n1 basename | tr '\n' ' ' || true)
echo "Desktop libraries in the headless program: ${forbidden:-none}"
verdict() {
    echo "  $1: $2 ($3)"
}
echo "Targets:"
if [[ -n "$vnstatPid" ]]; then
    ok=$(awk -v v="${cpuHour[$vornikPid]}" -v n="${cpuHour[$vnstatPid]}" 'BEGIN { print (v <= 2 * n) ? "met" : "missed" }')
    verdict "CPU per hour at most twice vnstatd's" "$ok" "${cpuHour[$vornikPid]} s against ${cpuHour[$vnstatPid]} s"
fi
ok=$(awk -v w="${wakeups[$vornikPid]}" 'BEGIN { print (w <= 1.2) ? "met" : "missed" }')
verdict "at most 1.2 wake-ups a second in a call" "$ok" "${wakeups[$vornikPid]}"
ok=$(awk -v m="${rssMb[$vornikPid]}" 'BEGIN { print (m <= 18) ? "met" : "missed" }')
verdict "VmRSS at most 18 MB" "$ok" "${rssMb[$vornikPid]} MB"
verdict "no desktop library loaded" "$([[ -z "$forbidden" ]] && echo met || echo missed)" \
        "$(libraries "$vornikPid" | grep -c Qt6 || true) Qt libraries"

kill -TERM "$vornikPid"
wait "$vornikPid" || echo "vornik left with status $?" >&2
