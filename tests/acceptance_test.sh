#!/bin/bash
# Acceptance test of timerhold.exe and timercheck.exe as a user runs them, with the
# guide's own commands: natively on Windows (from MSYS2's bash), or under Wine when a
# Wine prefix is given. It checks only what holds on every Windows, whatever the
# figures, and prints both of timercheck's reports (to the job summary too, in CI).
# On Windows it stops every timerhold.exe running, as the guide's stop command does.
# Usage: acceptance_test.sh EXE_DIR README [WINEPREFIX]
set -euo pipefail
exe_dir=$1 readme=$2
wine=()
if (($# > 2)); then
    export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wine=(wine)
fi
export MSYS2_ARG_CONV_EXCL='*' # MSYS2 passes /f, /im and /c to Windows programs as they are
# The reports go to the job summary too, where CI keeps one (a Windows path on Windows).
summary=/dev/null
if [[ -n ${GITHUB_STEP_SUMMARY:-} ]]; then
    summary=$GITHUB_STEP_SUMMARY
    ! command -v cygpath >/dev/null || summary=$(cygpath -u "$summary")
fi
work=$(mktemp -d)
hold= # the batch file that started timerhold, while it runs
cleanup() {
    if [[ -n $hold ]] && kill -0 "$hold" 2>/dev/null; then
        "${wine[@]}" cmd /c stop.cmd >/dev/null 2>&1 || true
        kill "$hold" 2>/dev/null || true
    fi
    wait
    cd / && rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# guide LINE...: a batch file of the LINEs (CR LF), each of which the guide must hold
# word for word as a line of its own, as it gives a command to type.
guide() {
    local line
    for line; do
        grep -Fxq -- "$line" <(sed 's/^ *//' "$readme") || fail "the guide no longer holds: $line"
        printf '%s\r\n' "$line"
    done
}

# Every stop command in the guide forces the end: timerhold has no window to close.
stops=$(grep -oE 'taskkill( /[a-z]+)+' "$readme") || fail "the guide gives no taskkill command"
! grep -v ' /f' <<<"$stops" || fail "the guide stops timerhold without /f"

cp "$exe_dir/timerhold.exe" "$exe_dir/timercheck.exe" "$work/"
cd "$work"
guide 'timerhold.exe > timerhold.txt' >hold.cmd
guide 'taskkill /f /im timerhold.exe' >stop.cmd
guide '@echo off' 'timercheck.exe > nul' \
    'if errorlevel 1 echo the fine timer resolution does not reach every program' >check.cmd

# units FIGURE: a figure such as 15.6250ms in units of 100 ns.
units() { local digits=${1%ms}; echo $((10#${digits/./})); }

# timercheck TITLE: runs timercheck, whose exit status must be its verdict, as its
# figures give it; prints its report under TITLE. Sets check_now (its "now" figure, in
# units) and verdict.
figure='[0-9]+\.[0-9]{4}ms'
check_pattern="^timer resolution: ($figure) now, $figure finest, $figure coarsest"$'\r\n'
check_pattern+="Windows build [0-9]+: [^"$'\r'"]+"$'\r\n'
check_pattern+="Sleep\\(1\\), 200 times: $figure shortest, ($figure) median, $figure 99th "
check_pattern+="percentile, $figure longest"$'\r\n'
check_pattern+="verdict: (fine|confined|coarse): [^"$'\r'"]+"$'\r\n$'
timercheck() {
    local status=0 report median expected=coarse statuses=(fine confined coarse)
    "${wine[@]}" "$work/timercheck.exe" --verbose /? >check.txt 2>>wine.err || status=$?
    report=$(cat check.txt; printf .)
    [[ ${report%.} =~ $check_pattern ]] ||
        fail "timercheck's report is not as expected: $(od -c check.txt)"
    check_now=$(units "${BASH_REMATCH[1]}") median=$(units "${BASH_REMATCH[2]}")
    verdict=${BASH_REMATCH[3]}
    if ((median < 40000)); then
        expected=fine
    elif ((check_now < 40000)); then
        expected=confined
    fi
    [[ $verdict == "$expected" ]] || fail "verdict $verdict, not $expected: $(cat check.txt)"
    [[ ${statuses[status]:-} == "$verdict" ]] || fail "exit status $status for verdict $verdict"
    printf '\n### %s\n\n```\n%s\n```\n' "$1" "$(tr -d '\r' <check.txt)" | tee -a "$summary"
}

# Started as the guide starts it. A batch file waits for the program it starts, so the
# batch runs as long as timerhold does.
"${wine[@]}" cmd /c hold.cmd >/dev/null 2>>wine.err &
hold=$!
deadline=$((SECONDS + 5))
while ((SECONDS < deadline)); do
    grep -q 'press any key to stop' timerhold.txt 2>/dev/null && break
    kill -0 "$hold" 2>/dev/null || fail "timerhold ended early: $(cat wine.err)"
    sleep 0.1
done
report=$(cat timerhold.txt; printf .)
report_pattern="^previous: ($figure)"$'\r\n'"now its:  ($figure)"$'\r\n\r\n'
report_pattern+=$'press any key to stop\r\n$'
[[ ${report%.} =~ $report_pattern ]] || fail "no report within 5 s: $(od -c timerhold.txt)"
previous=$(units "${BASH_REMATCH[1]}") now=$(units "${BASH_REMATCH[2]}")
((now <= previous && now <= 10000)) || fail "the request did not take: $(cat timerhold.txt)"
sleep 3
kill -0 "$hold" 2>/dev/null || fail "timerhold stopped holding: $(cat wine.err)"
[[ $(cat timerhold.txt; printf .) == "$report" ]] || fail "timerhold wrote more after its report"

timercheck "timercheck while timerhold runs"
((check_now <= 10000)) || fail "the timer resolution is coarser than 1 ms while timerhold runs"
# The guide's batch example speaks exactly when the verdict is not fine (its exit status
# is the verdict's too).
"${wine[@]}" cmd /c check.cmd >check.out 2>>wine.err || true
spoken=$(tr -d '\r' <check.out)
[[ $verdict == fine && -z $spoken ||
    $verdict != fine && $spoken == "the fine timer resolution does not reach every program" ]] ||
    fail "the batch example printed '$spoken' for the verdict $verdict"

# The guide's stop command ends it.
"${wine[@]}" cmd /c stop.cmd >/dev/null 2>>wine.err || fail "the stop command failed"
deadline=$((SECONDS + 5))
while ((SECONDS < deadline)) && kill -0 "$hold" 2>/dev/null; do
    sleep 0.1
done
! kill -0 "$hold" 2>/dev/null || fail "timerhold still runs 5 s after the stop command"

timercheck "timercheck after timerhold has ended"
