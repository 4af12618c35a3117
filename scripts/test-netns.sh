#!/usr/bin/env bash
# Self-test of the private test networks: scripts/netns-run and
# scripts/office-lan.  Run it directly (it starts the namespaces itself);
# it prints one PASS/FAIL line per check and exits non-zero on any failure.
#
# As root it then runs the checks that depend on how the namespaces are
# made once more, through the user-namespace path that ordinary users get
# (NETNS_RUN_USERNS=1; TEST_NETNS_QUICK marks that round, internally).
# Needs python3, ip, unshare, nsenter, flock, timeout.

set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
self="$here/$(basename "${BASH_SOURCE[0]}")"
netns_run="$here/netns-run"
office_lan="$here/office-lan"
readonly PORT=47011

# The distribution's interpreter starts much faster than version-manager shims.
if [[ -x /usr/bin/python3 ]]; then
    py=/usr/bin/python3
else
    py=$(command -v python3) || { echo "FAIL: python3 not found"; exit 1; }
fi

# Small UDP tool:
#   send ADDR PORT PAYLOAD   prints "sent" or the errno name of the failure
#   agent PORT               a peer on 0.0.0.0:PORT: prints "ready", then
#                            "got PAYLOAD SOURCE-IP" per datagram; each stdin
#                            line "ADDR PAYLOAD" makes it send PAYLOAD to
#                            ADDR:PORT from that socket and print "sent PAYLOAD"
#                            or "error PAYLOAD ERRNO-NAME"
#   selfcast ADDR PORT       one socket on 0.0.0.0:PORT sends to ADDR and must
#                            get its datagram back exactly once; so must a
#                            second, unbound socket; prints "ok" or what went wrong
# shellcheck disable=SC2016
udp_tool='
import errno, socket, sys, time

def bcast_socket():
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    return s

mode = sys.argv[1]
if mode == "send":
    addr, port, payload = sys.argv[2], int(sys.argv[3]), sys.argv[4]
    try:
        bcast_socket().sendto(payload.encode(), (addr, port))
        print("sent")
    except OSError as e:
        print(errno.errorcode.get(e.errno, str(e.errno)))
elif mode == "agent":
    import threading
    sock = bcast_socket()
    sock.bind(("0.0.0.0", int(sys.argv[2])))
    lock = threading.Lock()
    def say(*words):
        with lock:
            print(*words, flush=True)
    def commands():
        for line in sys.stdin:
            addr, payload = line.split()
            try:
                sock.sendto(payload.encode(), (addr, sock.getsockname()[1]))
                say("sent", payload)
            except OSError as e:
                say("error", payload, errno.errorcode.get(e.errno, str(e.errno)))
    threading.Thread(target=commands, daemon=True).start()
    say("ready")
    while True:
        data, src = sock.recvfrom(2048)
        say("got", data.decode(), src[0])
elif mode == "selfcast":
    addr, port = sys.argv[2], int(sys.argv[3])
    listener = bcast_socket()
    listener.bind(("0.0.0.0", port))
    try:
        listener.sendto(b"same-socket", (addr, port))
        bcast_socket().sendto(b"other-socket", (addr, port))
    except OSError as e:
        print("send failed:", errno.errorcode.get(e.errno, e.errno))
        sys.exit(0)
    want = {b"same-socket": 1, b"other-socket": 1}
    got = {}
    listener.settimeout(2)
    try:
        while True:
            data, _ = listener.recvfrom(2048)
            got[data] = got.get(data, 0) + 1
            if len(got) == len(want):
                listener.settimeout(0.1)   # time for a duplicate to show up
    except socket.timeout:
        pass
    print("ok" if got == want else "received %r, wanted %r" % (got, want))
'

failures=0
pass() { printf 'PASS: %s%s\n' "$label" "$1"; }
fail() {
    printf 'FAIL: %s%s\n' "$label" "$1"
    if [[ -n "${2:-}" ]]; then
        printf '      %s\n' "$2"
    fi
    failures=$((failures + 1))
}
# check NAME EXPECTED ACTUAL
check() {
    if [[ "$2" == "$3" ]]; then pass "$1"; else fail "$1" "expected '$2', got '$3'"; fi
}
now_ms() { date +%s%3N; }

# ---------------------------------------------------------------------------
# netns-run
# ---------------------------------------------------------------------------

test_netns_run() {
    local out rc start elapsed

    out=$("$netns_run" -- ip -o link show | awk -F': ' '{print $2}' | sed 's/@.*//' | sort | tr '\n' ' ')
    check "netns-run: only lo, vt0 and vt1 are visible inside" "lo vt0 vt1 " "$out"

    out=$("$netns_run" -- "$py" -c "$udp_tool" selfcast 255.255.255.255 "$PORT")
    check "netns-run: a broadcast to 255.255.255.255 comes back exactly once" ok "$out"

    out=$("$netns_run" -- "$py" -c "$udp_tool" selfcast 10.99.0.255 "$PORT")
    check "netns-run: so does one to the subnet broadcast 10.99.0.255" ok "$out"

    out=$("$netns_run" --loopback-only -- "$py" -c "$udp_tool" send 255.255.255.255 "$PORT" x)
    check "netns-run --loopback-only: a broadcast fails with ENETUNREACH" ENETUNREACH "$out"

    out=$("$netns_run" --loopback-only -- "$py" -c "$udp_tool" selfcast 127.0.0.1 "$PORT")
    check "netns-run --loopback-only: loopback still works" ok "$out"

    # The rest does not depend on how the namespaces were made.
    [[ -z "$quick" ]] || return 0

    rc=0
    out=$(printf 'stdin-data' | "$netns_run" -- sh -c 'cat; echo " out"; echo err >&2; exit 7' 2>/dev/null) || rc=$?
    check "netns-run: stdin, stdout and the exit status pass through" "stdin-data out/7" "$out/$rc"

    # A process left running must not outlive the namespace (it would also
    # keep the pipe open, which would hang a caller such as ctest).
    start=$(now_ms)
    rc=0
    out=$(timeout 10 "$netns_run" -- sh -c 'sleep 30 & echo started' | cat) || rc=$?
    elapsed=$(($(now_ms) - start))
    if [[ "$rc" == 0 && "$out" == started && "$elapsed" -lt 5000 ]]; then
        pass "netns-run: processes left behind by CMD are ended with it"
    else
        fail "netns-run: processes left behind by CMD are ended with it" "rc=$rc out='$out' after ${elapsed} ms"
    fi

    local sig
    for sig in INT TERM; do
        start=$(now_ms)
        rc=0
        timeout -k 5 -s "$sig" 0.3 "$netns_run" -- sleep 30 || rc=$?
        elapsed=$(($(now_ms) - start))
        if [[ "$rc" == 124 && "$elapsed" -lt 3000 ]]; then
            pass "netns-run: SIG$sig reaches CMD"
        else
            fail "netns-run: SIG$sig reaches CMD" "rc=$rc after ${elapsed} ms"
        fi
    done
}

# ---------------------------------------------------------------------------
# office-lan: the part below runs inside the office (see --office below).
# ---------------------------------------------------------------------------

office_tmp=
declare -A agent_in=()

# start_agent NAME [WS-EXEC-ARGS...]: an agent on workstation N (or in
# CMD's own namespace for NAME "office"), output in $office_tmp/NAME.
start_agent() {
    local name=$1 fd
    shift
    mkfifo "$office_tmp/$name.in"
    if (($#)); then
        ws-exec "$@" "$py" -c "$udp_tool" agent "$PORT" \
            <"$office_tmp/$name.in" >"$office_tmp/$name" &
    else
        "$py" -c "$udp_tool" agent "$PORT" <"$office_tmp/$name.in" >"$office_tmp/$name" &
    fi
    exec {fd}>"$office_tmp/$name.in"
    agent_in[$name]=$fd
}

# The helpers below poll agent output often; they use only shell builtins
# so that polling costs no processes.

# pause SECONDS: sleep by waiting for input on a FIFO that never gets any.
pause_fd=
pause() { read -r -t "$1" -u "$pause_fd" || true; }

# find_line FILE PATTERN: set $found to the first line of FILE matching the
# glob PATTERN, or fail.  count_lines FILE LINE: how often LINE is in FILE.
found=
find_line() {
    local -a lines
    local l
    mapfile -t lines <"$1"
    for l in "${lines[@]}"; do
        # shellcheck disable=SC2053  # $2 is a pattern
        if [[ "$l" == $2 ]]; then found=$l; return 0; fi
    done
    return 1
}
count_lines() {
    local -a lines
    local l n=0
    mapfile -t lines <"$1"
    for l in "${lines[@]}"; do [[ "$l" != "$2" ]] || n=$((n + 1)); done
    echo "$n"
}

# wait_line FILE PATTERN...: wait up to 3 s for a line matching a PATTERN.
wait_line() {
    local i p file=$1
    shift
    for ((i = 0; i < 150; i++)); do
        for p; do find_line "$file" "$p" && return 0; done
        pause 0.02
    done
    return 1
}

# send_from NAME ADDR PAYLOAD: prints "sent" or the errno name.
send_from() {
    local name=$1 addr=$2 payload=$3
    echo "$addr $payload" >&"${agent_in[$name]}"
    if ! wait_line "$office_tmp/$name" "sent $payload" "error $payload *"; then
        echo "no answer from the agent"
    elif [[ "$found" == sent* ]]; then
        echo sent
    else
        echo "${found##* }"
    fi
}

# expect_delivery NAME SENDER-IP PAYLOAD "RECEIVING WS..." "NOT RECEIVING..."
# Every receiver must get the datagram exactly once, the others not at all.
expect_delivery() {
    local name=$1 src=$2 payload=$3 yes=$4 no=$5 n count problems=
    for n in $yes; do
        wait_line "$office_tmp/ws$n" "got $payload $src" || problems+=" ws$n:missing"
    done
    pause 0.1   # a stray copy would travel the same bridge just as fast
    for n in $yes; do
        count=$(count_lines "$office_tmp/ws$n" "got $payload $src")
        ((count <= 1)) || problems+=" ws$n:${count}-copies"
    done
    for n in $no; do
        if find_line "$office_tmp/ws$n" "got $payload *"; then problems+=" ws$n:received"; fi
    done
    if [[ -z "$problems" ]]; then pass "$name"; else fail "$name" "${problems# }"; fi
}

office_scenario() {
    office_tmp=$(mktemp -d)
    trap 'rm -rf -- "$office_tmp"' EXIT
    local out n
    mkfifo "$office_tmp/pause"
    exec {pause_fd}<>"$office_tmp/pause"

    start_agent ws1 1
    start_agent ws2 2
    start_agent ws3 3
    start_agent ws4 --nolink 4
    start_agent office
    for n in ws1 ws2 ws3 ws4 office; do
        wait_line "$office_tmp/$n" ready || { fail "office-lan: agent $n starts"; return; }
    done

    out=$(ws-exec 1 ip -o link show | awk -F': ' '{print $2}' | sed 's/@.*//' | sort | tr '\n' ' ')
    check "office-lan: a workstation sees only lo and eth0" "eth0 lo " "$out"
    out=$(ws-exec 2 ip -4 -o addr show eth0 | awk '{print $4, $6}')
    check "office-lan: workstation 2 has 10.98.0.2/24, broadcast 10.98.0.255" "10.98.0.2/24 10.98.0.255" "$out"
    out=$(ip -o link show | awk -F': ' '{print $2}' | tr '\n' ' ')
    check "office-lan: CMD's own namespace has only lo" "lo " "$out"

    out=$(send_from ws1 255.255.255.255 all1)
    check "office-lan: workstation 1 can broadcast" sent "$out"
    expect_delivery "office-lan: a broadcast from ws1 reaches ws1, ws2, ws3 once each (not ws4, no link)" \
        10.98.0.1 all1 "1 2 3" "4"
    if find_line "$office_tmp/office" "*all1*"; then
        fail "office-lan: CMD's own namespace receives nothing from the LAN"
    else
        pass "office-lan: CMD's own namespace receives nothing from the LAN"
    fi
    out=$(send_from office 255.255.255.255 office1)
    check "office-lan: CMD's own namespace cannot send anywhere" ENETUNREACH "$out"

    ws-link 2 down
    send_from ws1 255.255.255.255 down1 >/dev/null
    expect_delivery "office-lan: ws-link 2 down stops delivery to ws2" 10.98.0.1 down1 "1 3" "2"
    out=$(send_from ws2 255.255.255.255 down2)
    check "office-lan: after ws-link 2 down, broadcasting on ws2 fails with ENETUNREACH" ENETUNREACH "$out"

    ws-link 2 up
    send_from ws1 255.255.255.255 up1 >/dev/null
    expect_delivery "office-lan: ws-link 2 up restores delivery to ws2" 10.98.0.1 up1 "1 2 3" ""
    send_from ws2 255.255.255.255 up2 >/dev/null
    expect_delivery "office-lan: after ws-link 2 up, ws2 reaches everyone again" 10.98.0.2 up2 "1 2 3" ""

    out=$(send_from ws4 255.255.255.255 nolink4)
    check "office-lan: a workstation started with --nolink cannot broadcast" ENETUNREACH "$out"
    ws-link 4 up
    send_from ws4 255.255.255.255 link4 >/dev/null
    expect_delivery "office-lan: after ws-link 4 up, ws4 reaches everyone" 10.98.0.4 link4 "1 2 3 4" ""

    # The rest does not depend on how the namespaces were made.
    [[ -z "$quick" ]] || return 0

    send_from ws2 10.98.0.3 uni2 >/dev/null
    expect_delivery "office-lan: unicast from ws2 to 10.98.0.3 reaches only ws3" 10.98.0.2 uni2 "3" "1 2 4"

    ws-link 3 unplug
    send_from ws1 255.255.255.255 unplug1 >/dev/null
    expect_delivery "office-lan: ws-link 3 unplug stops delivery to ws3" 10.98.0.1 unplug1 "1 2 4" "3"
    out=$(send_from ws3 255.255.255.255 unplug3)
    check "office-lan: an unplugged ws3 can still send (into the void)" sent "$out"
    expect_delivery "office-lan: nothing sent by an unplugged ws3 arrives elsewhere" 10.98.0.3 unplug3 "" "1 2 4"

    ws-link 3 plug
    send_from ws1 255.255.255.255 plug1 >/dev/null
    expect_delivery "office-lan: ws-link 3 plug restores delivery to ws3" 10.98.0.1 plug1 "1 2 3 4" ""

    local rc=0
    ws-exec --nolink 1 true 2>/dev/null || rc=$?
    check "office-lan: --nolink on an existing workstation is refused" 125 "$rc"
}

test_office_lan() {
    local out rc start elapsed
    rc=0
    "$office_lan" -- "$BASH" "$self" --office || rc=$?
    if ((rc >= 1 && rc <= 100)); then
        failures=$((failures + rc))   # its FAIL lines are printed already
    elif ((rc != 0)); then
        fail "office-lan: the office scenario runs" "exit status $rc"
    fi
    [[ -z "$quick" ]] || return 0

    start=$(now_ms)
    rc=0
    out=$(timeout 10 "$office_lan" -- sh -c 'ws-exec 1 sleep 30 & ws-exec 2 sleep 30 & sleep 0.3; echo done; exit 3' | cat) || rc=$?
    elapsed=$(($(now_ms) - start))
    if [[ "$rc" == 3 && "$out" == "done" && "$elapsed" -lt 5000 ]]; then
        pass "office-lan: exit status passes through; workstation processes end with CMD"
    else
        fail "office-lan: exit status passes through; workstation processes end with CMD" \
            "rc=$rc out='$out' after ${elapsed} ms"
    fi
}

# ---------------------------------------------------------------------------

# In the second round (see the top) only what depends on the namespaces.
quick=${TEST_NETNS_QUICK:-}
label=${quick:+[user namespace] }

if [[ "${1:-}" == --office ]]; then
    # This part broadcasts from CMD's own namespace: make sure it is the
    # office's, which has nothing but lo.
    if [[ -z "${OFFICE_LAN_DIR:-}" || "$(ip -o link show | wc -l)" != 1 ]]; then
        echo "FAIL: --office must run under office-lan" >&2
        exit 2
    fi
    office_scenario
    exit $((failures > 100 ? 100 : failures))
fi

test_netns_run
test_office_lan
if [[ "$EUID" == 0 && "${NETNS_RUN_USERNS:-0}" != 1 ]]; then
    export NETNS_RUN_USERNS=1 TEST_NETNS_QUICK=1
    quick=1
    label="[user namespace] "
    test_netns_run
    test_office_lan
fi

if ((failures)); then
    printf '%d check(s) FAILED\n' "$failures"
    exit 1
fi
echo "all checks passed"
