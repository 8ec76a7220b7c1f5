# shellcheck shell=bash
# Shared by bench/soak and bench/run: a private network namespace with an X
# server, the simulated radios and stations driven through their
# remote-selection dialog. Sourced, not run. Every process started here is
# remembered by its PID and ended by stop_started.
#
# Needs: KAVO_BIN (the release build's bin folder) and KAVO_WORK (a scratch
# folder of this run).

# Ports inside the namespace: nothing else listens there.
readonly SIM_SNMP_PORT=16161
readonly SIM_TELNET_PORT=2323
readonly SIM_ARDIX_PORT=40000

started_pids=()

note() { printf '%s\n' "$*" >&2; }

# Re-runs the calling script inside a new network namespace when it is not
# there yet: "$@" are the script and its arguments.
enter_namespace() {
    if [ "${KAVO_IN_NAMESPACE:-}" != 1 ]; then
        if [ "$(id -u)" -ne 0 ]; then
            note "a private network namespace needs root (unshare -n)"
            exit 1
        fi
        KAVO_IN_NAMESPACE=1 exec unshare -n -- "$@"
    fi
    ip link set lo up
}

stop_started() {
    local pid
    for pid in "${started_pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "${started_pids[@]}"; do
        # Bounded: one second for each, then it is ended for good.
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    started_pids=()
}

# An X server of its own; its display number is chosen by the server. It
# must not reset when its last client leaves: the readiness check below is
# its first client, and a program connecting while it resets finds no display.
start_xvfb() {
    local fdfile="$KAVO_WORK/display"
    export XDG_RUNTIME_DIR="$KAVO_WORK/runtime"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$fdfile" \
        >"$KAVO_WORK/xvfb.log" 2>&1 &
    started_pids+=($!)
    for _ in $(seq 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    [ -s "$fdfile" ] || { note "Xvfb did not start"; return 1; }
    DISPLAY=":$(head -n1 "$fdfile")"
    export DISPLAY
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    note "Xvfb on $DISPLAY takes no connection"
    return 1
}

# The simulated radios: a Velto agent with its telnet menu and an Ardix
# remote in one process, and one GPS receiver per station (a serial port is
# read by one program only), linked as $KAVO_WORK/gps-<family>.
start_simulator() {
    "$KAVO_BIN/kavo-radio-sim" --velto-snmp-port "$SIM_SNMP_PORT" \
        --velto-telnet-port "$SIM_TELNET_PORT" --ardix-port "$SIM_ARDIX_PORT" \
        --gps --gps-link "$KAVO_WORK/gps-velto" >"$KAVO_WORK/sim.log" 2>&1 &
    started_pids+=($!)
    "$KAVO_BIN/kavo-radio-sim" --gps --gps-link "$KAVO_WORK/gps-ardix" \
        >"$KAVO_WORK/sim-gps.log" 2>&1 &
    started_pids+=($!)
    for _ in $(seq 100); do
        [ -e "$KAVO_WORK/gps-velto" ] && [ -e "$KAVO_WORK/gps-ardix" ] &&
            grep -q "listening" "$KAVO_WORK/sim.log" && return 0
        sleep 0.1
    done
    note "the simulator did not start:"
    cat "$KAVO_WORK/sim.log" >&2
    return 1
}

# A settings store for one family ("Velto" or "Ardix") in $KAVO_WORK/<family>,
# pointing at the simulator, with logging and GPS on.
make_store() {
    local family=$1 home="$KAVO_WORK/$1"
    local lower=${family,,}
    mkdir -p "$home/config/Kavo Connectivity Window" "$home/logs"
    cat >"$home/config/Kavo Connectivity Window/Kavo Connectivity Window.ini" <<INI
[Preferences]
RemoteChoice=$family
DestPortNumber=$SIM_ARDIX_PORT
SNMPPort=$SIM_SNMP_PORT
TelnetPort=$SIM_TELNET_PORT
NumberOfIPAddressed=2
1=Add IP Address
2=127.0.0.1
logEnabledValue=True
${family} LogName=$home/logs/${family}Monitoring_Log.txt

[GPS Options]
GPS Enabled=True
ComPort=1
Com1Device=$KAVO_WORK/gps-$lower
INI
}

# The PID of the window of process $1 whose name matches $2, waiting up to
# $3 seconds.
window_of() {
    timeout "$3" xdotool search --all --sync --onlyvisible --pid "$1" --name "$2" 2>/dev/null |
        head -n1
}

# Starts a station on the store of make_store, monitoring its family's
# simulated radio straight from the command line, as a kiosk start does, and
# waits for the monitoring window. Leaves the station's PID in station_pid.
start_station() {
    local family=$1 home="$KAVO_WORK/$1" pid remote
    station_pid=
    remote="velto:127.0.0.1"
    [ "$family" = Ardix ] && remote="ardix:$SIM_ARDIX_PORT"
    (cd "$home/logs" && exec env XDG_CONFIG_HOME="$home/config" \
        "$KAVO_BIN/kavo-station" --remote "$remote" >"$home/station.log" 2>&1) &
    pid=$!
    started_pids+=("$pid")
    window_of "$pid" 'Monitoring Window|dBm' 30 >/dev/null ||
        { note "$family: no monitoring window"; return 1; }
    # shellcheck disable=SC2034 # read by the caller
    station_pid=$pid
}

# Processor time of process $1 in clock ticks (user + system).
cpu_ticks() {
    awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"
}

# Resident set size of process $1 in kB.
rss_kb() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"
}

# Names of the visible windows of process $1, one a line.
window_names() {
    local w
    for w in $(xdotool search --all --onlyvisible --pid "$1" --name '.' 2>/dev/null); do
        xdotool getwindowname "$w"
    done
}
