#!/usr/bin/env bash
# The Debian packages as a machine gets them: made from this build with cpack, unpacked into a
# folder of the test's own (nothing is installed on this machine), their contents checked, and
# the server's services run from there as their units say: the secured bus set up with the
# unpacked kivo-admin, nats-server and kivo-oms started by their units' command lines, a request
# entered with the unpacked kivo-maker and answered, and the unpacked terminal listing it.
#
#   package-test.sh CPACK BUILD_DIR NATS_SERVER
#
# Exit code 77 (skipped) without dpkg-deb or nats-server.
set -euo pipefail

cpack=$1
build=$2
nats_server=${3:-}

if ! command -v dpkg-deb >/dev/null || [ ! -x "$nats_server" ]; then
    echo "skipped: the package test needs dpkg-deb and nats-server (scripts/deps installs them)"
    exit 77
fi

work=$(mktemp -d -t kivo-package.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
# What cannot go on after it fails.
die() {
    echo "FAILED: $*" >&2
    exit 1
}
section() {
    echo "== $* (at ${SECONDS} s)"
}
# Waits up to $2 seconds until file $1 holds text $3.
wait_for() {
    local i
    for ((i = 0; i < $2 * 10; ++i)); do
        grep -q -- "$3" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

section "the packages"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/packages" >"$work/cpack.log" 2>&1 ||
    die "cpack failed: $(cat "$work/cpack.log")"
shopt -s nullglob
terminal_debs=("$work"/packages/kivo-terminal_*.deb)
server_debs=("$work"/packages/kivo-server_*.deb)
shopt -u nullglob
[ ${#terminal_debs[@]} -eq 1 ] && [ ${#server_debs[@]} -eq 1 ] ||
    die "cpack made $(ls "$work/packages"), not one kivo-terminal and one kivo-server package"
terminal_deb=${terminal_debs[0]}
server_deb=${server_debs[0]}

section "what they depend on"
# The names of a package's dependencies, one a line, without versions.
depends() {
    dpkg-deb -f "$1" Depends | tr ',' '\n' | sed -E 's/^ *//; s/ *\(.*//; s/ *$//' | sort -u
}
depends "$terminal_deb" >"$work/terminal.depends"
depends "$server_deb" >"$work/server.depends"
for name in libqt6widgets6 libnats3.4 libsqlite3-0 libssl3 libxlsxwriter4 libc6; do
    grep -qx "$name" "$work/terminal.depends" || fail "kivo-terminal does not depend on $name"
done
for name in nats-server adduser libnats3.4 libsqlite3-0 libssl3 libcrypt1 libxlsxwriter4 libc6; do
    grep -qx "$name" "$work/server.depends" || fail "kivo-server does not depend on $name"
done
# The server runs on a machine without a screen; the terminal needs no bus of its own.
grep -q '^libqt6' "$work/server.depends" && fail "kivo-server depends on Qt: $(tr '\n' ' ' <"$work/server.depends")"
grep -qx nats-server "$work/terminal.depends" && fail "kivo-terminal depends on nats-server"

section "what they hold"
# Each regular file with its mode and owner: nothing missing, nothing else (a test program
# or a build folder's file would show here).
files() {
    dpkg-deb -c "$1" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort
}
files "$terminal_deb" >"$work/terminal.files"
files "$server_deb" >"$work/server.files"
sort >"$work/terminal.expected" <<'EOF'
-rwxr-xr-x root/root ./usr/bin/kivo-host
-rw-r--r-- root/root ./usr/lib/kivo-terminal/DozizEdizizi.so
-rw-r--r-- root/root ./usr/lib/kivo-terminal/libconnect.so
-rw-r--r-- root/root ./usr/lib/kivo-terminal/libwinlib.so
-rw-r--r-- root/root ./usr/lib/kivo-terminal/libwinlib_qt.so
-rw-r--r-- root/root ./usr/share/applications/kivo-host.desktop
EOF
sort >"$work/server.expected" <<'EOF'
-rwxr-xr-x root/root ./usr/bin/kivo-oms
-rwxr-xr-x root/root ./usr/bin/kivo-maker
-rwxr-xr-x root/root ./usr/sbin/kivo-admin
-rw-r--r-- root/root ./usr/lib/kivo-server/libconnect.so
-rw-r--r-- root/root ./usr/lib/kivo-server/libwinlib.so
-rw-r--r-- root/root ./lib/systemd/system/kivo-bus.service
-rw-r--r-- root/root ./lib/systemd/system/kivo-bus@.service
-rw-r--r-- root/root ./lib/systemd/system/kivo-oms.service
-rw-r--r-- root/root ./etc/default/kivo-oms
EOF
for package in terminal server; do
    if ! diff -u "$work/$package.expected" "$work/$package.files" >"$work/$package.diff"; then
        fail "kivo-$package holds other files than expected (- expected, + held):"
        cat "$work/$package.diff" >&2
    fi
done
# Both install on one machine: no path in both.
both=$(comm -12 <(awk '{ print $3 }' "$work/terminal.files" | sort) <(awk '{ print $3 }' "$work/server.files" | sort))
[ -z "$both" ] || fail "both packages hold $both"

root=$work/root
mkdir -p "$root"
dpkg-deb -x "$terminal_deb" "$root"
dpkg-deb -x "$server_deb" "$root"

section "the programs find their libraries where they are installed"
while IFS= read -r file; do
    case "$(head -c 4 "$file" | od -An -c | tr -d ' ')" in
        177ELF) ;;
        *) continue ;;
    esac
    runpath=$(readelf -d "$file" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p')
    case "$runpath" in
        '$ORIGIN'|'$ORIGIN/'*) ;;
        *) fail "${file#"$root"} has the library path '$runpath', not one relative to itself" ;;
    esac
    if ldd "$file" | grep -q 'not found'; then
        fail "${file#"$root"} misses libraries: $(ldd "$file" | grep 'not found' | tr -s ' \t' ' ')"
    fi
    # Our own libraries from the unpacked tree, never from the build.
    ldd "$file" | grep -E '^\s*lib(winlib|winlib_qt|connect)\.so => /' | grep -v "=> $root/" &&
        fail "${file#"$root"} loads our libraries from outside the package"
done < <(find "$root" -type f)

section "the maintainer scripts"
mkdir -p "$work/control"
dpkg-deb -e "$server_deb" "$work/control"
for script in postinst prerm postrm; do
    [ -f "$work/control/$script" ] || { fail "kivo-server has no $script"; continue; }
    [ "$(stat -c %a "$work/control/$script")" = 755 ] || fail "$script is not executable (0755)"
    sh -n "$work/control/$script" || fail "$script is no valid shell script"
done
sh -n "$root/usr/sbin/kivo-admin" || fail "kivo-admin is no valid shell script"
[ "$(cat "$work/control/conffiles")" = /etc/default/kivo-oms ] ||
    fail "the conffiles are '$(cat "$work/control/conffiles")', not /etc/default/kivo-oms"
# One user for the services, the one the postinst makes.
user=$(sed -n 's/^user=//p' "$work/control/postinst")
[ -n "$user" ] || fail "the postinst names no user"
for unit in kivo-bus kivo-bus@ kivo-oms; do
    grep -qx "User=$user" "$root/lib/systemd/system/$unit.service" || fail "$unit.service does not run as $user"
done
grep -qx "user=$user" "$root/usr/sbin/kivo-admin" || fail "kivo-admin does not act as $user"
# The programs the scripts, units and desktop entry name: from the packages or their dependencies.
for program in $(cat "$work/control/postinst" "$work/control/prerm" "$root"/lib/systemd/system/*.service \
                     "$root/usr/share/applications/kivo-host.desktop" "$root/usr/sbin/kivo-admin" |
                     grep -oE '/usr/s?bin/[a-z-]+' | sort -u); do
    [ -x "$root$program" ] || [ "$program" = /usr/sbin/nats-server ] || fail "$program is in no package"
done
grep -qx "Exec=/usr/bin/kivo-host" "$root/usr/share/applications/kivo-host.desktop" ||
    fail "the desktop entry does not start /usr/bin/kivo-host"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/kivo-host.desktop" || fail "the desktop entry is not valid"
fi

# The unpacked tree stands for the machine: the paths of the packages, their configuration and
# state are taken there; nats-server is the machine's own, as its package installs it.
relocate() {
    sed -E "s#(^|[ =-])/(usr/|etc/|var/lib/)#\1$root/\2#g" "$@"
}
mkdir -p "$root/usr/sbin" "$work/units"
ln -s "$nats_server" "$root/usr/sbin/nats-server"
for unit in kivo-bus kivo-bus@ kivo-oms; do
    relocate "$root/lib/systemd/system/$unit.service" >"$work/units/$unit.service"
done
# systemd checks a template by an instance of it.
cp "$work/units/kivo-bus@.service" "$work/units/kivo-bus@1.service"

section "the units"
if command -v systemd-analyze >/dev/null; then
    # Warnings (an unknown setting, a program that is not there) fail it too.
    if ! systemd-analyze verify "$work/units/kivo-bus.service" "$work/units/kivo-bus@1.service" \
            "$work/units/kivo-oms.service" \
            >"$work/verify.log" 2>&1 || [ -s "$work/verify.log" ]; then
        fail "systemd-analyze verify: $(cat "$work/verify.log")"
    fi
else
    echo "(systemd-analyze is not installed: the units' settings are not verified)"
fi
# What the service environment gives kivo-oms's command line.
for variable in $(grep -oE '\$\{?[A-Z_]+' "$work/units/kivo-oms.service" | tr -d '${' | sort -u); do
    grep -q "^$variable=" "$root/etc/default/kivo-oms" ||
        fail "kivo-oms.service uses \$$variable, which /etc/default/kivo-oms does not set"
done

section "the bus folder, made as the postinst makes it"
# kivo-admin as the postinst runs it, acting as this test's user in the unpacked tree.
relocate "$root/usr/sbin/kivo-admin" | sed "s/^user=.*/user=$(id -un)/" >"$work/kivo-admin"
chmod 755 "$work/kivo-admin"
install -d -m 0750 "$root/var/lib/kivo" "$root/var/lib/kivo-bus"
install -d -m 0755 "$root/etc/kivo-bus"
install -d -m 0700 "$root/etc/kivo-bus/credentials"
# The port is the bus's choice, so that no other program can take it meanwhile.
"$work/kivo-admin" bus init --listen 127.0.0.1:-1 >"$work/init.log" 2>&1 ||
    die "kivo-admin bus init failed: $(cat "$work/init.log")"
for file in ca.key nats-server.key kivo-auth.conf credentials/kivo-oms.creds; do
    [ "$(stat -c %a "$root/etc/kivo-bus/$file")" = 600 ] || fail "/etc/kivo-bus/$file is not owner-only"
done
[ -f "$root/var/lib/kivo/kivo-oms.db" ] || fail "kivo-admin bus init made no database in /var/lib/kivo"
grep -q "store_dir: \"$root/var/lib/kivo-bus\"" "$root/etc/kivo-bus/nats-server.conf" ||
    fail "the bus does not keep its stream in /var/lib/kivo-bus: $(grep store_dir "$root/etc/kivo-bus/nats-server.conf")"

section "the bus, by its unit's command"
read -ra bus_command <<<"$(sed -n 's/^ExecStart=//p' "$work/units/kivo-bus.service")"
"${bus_command[@]}" >"$work/bus.log" 2>&1 &
bus_pid=$!
pids+=($bus_pid)
wait_for "$work/bus.log" 20 "Server is ready" || die "the bus did not start: $(cat "$work/bus.log")"
port=$(sed -n 's/.*Listening for client connections on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/bus.log")
url=tls://127.0.0.1:$port

"$work/kivo-admin" bus grant MAKER1 CHECKER1 >"$work/grant.log" 2>&1 || die "kivo-admin bus grant: $(cat "$work/grant.log")"
for user_id in MAKER1 CHECKER1; do
    [ "$(stat -c %a "$root/etc/kivo-bus/credentials/$user_id.creds")" = 600 ] || fail "$user_id.creds is not owner-only"
done
# The bus was told to read its users again (by its pid file).
wait_for "$work/bus.log" 20 "Reloaded server configuration" || die "the bus was not reloaded: $(cat "$work/grant.log")"

section "the server, by its unit's command"
# Starts kivo-oms as its unit's command line has it, with the bus at $1, its output in $2; sets
# oms_pid.
start_server() {
    local oms_line
    oms_line=$(
        set -a
        # shellcheck disable=SC1091
        . "$root/etc/default/kivo-oms"
        set +a
        KIVO_BUS_URL=$1
        line=$(sed -n 's/^ExecStart=//p' "$work/units/kivo-oms.service")
        line=${line//'${KIVO_BUS_URL}'/$KIVO_BUS_URL}
        echo "${line//'$KIVO_OMS_OPTIONS'/$KIVO_OMS_OPTIONS}"
    )
    read -ra oms_command <<<"$oms_line"
    "${oms_command[@]}" >"$2" 2>&1 &
    oms_pid=$!
    pids+=($oms_pid)
    wait_for "$2" 20 "Serving on $1" || die "the server did not serve: $(cat "$2")"
    if grep -q "waiting for the bus" "$2"; then
        fail "the server did not reach the bus: $(cat "$2")"
    fi
}
start_server "$url" "$work/oms.log"

credentials=$root/etc/kivo-bus/credentials
# A maker's request entered on the bus at $1 (MAKER1 adding user $2), held by the server, and
# listed by a checker's terminal on that bus with every other pending request.
request_listed() {
    local bus=$1 user_id=$2 key rows
    section "a maker's request, answered ($user_id)"
    "$root/usr/bin/kivo-maker" --bus "$bus" --bus-credentials "$credentials/MAKER1.creds" \
        --bus-ca "$root/etc/kivo-bus/ca.pem" add-user "$user_id" "name=Packaged $user_id" branch=KIVO-MUM >"$work/maker.log" 2>&1 ||
        die "kivo-maker: $(cat "$work/maker.log")"
    key=$(sed -n "s/^Entered request \([0-9]*\): add-user $user_id.*/\1/p" "$work/maker.log")
    [ -n "$key" ] || die "kivo-maker was not told the request's key: $(cat "$work/maker.log")"
    "$work/kivo-admin" pending >"$work/pending.log" 2>&1 || die "kivo-admin pending: $(cat "$work/pending.log")"
    grep -q "^$key .*$user_id.*by MAKER1" "$work/pending.log" ||
        fail "the server holds no request $key: $(cat "$work/pending.log")"

    section "the terminal lists it"
    # A checker's own requests are not listed to him.
    rows=$(grep -vc " by CHECKER1 " "$work/pending.log")
    cat >"$work/terminal.kivo" <<EOF
wait-for-log Message bus
click 1001
wait-for-rows $rows
print-rows
quit
EOF
    mkdir -p "$work/home"
    if ! HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data \
            timeout 120 "$root/usr/bin/kivo-host" --headless --user CHECKER1 --broker KIVO --privilege 0 \
            --bus "$bus" --bus-credentials "$credentials/CHECKER1.creds" --bus-ca "$root/etc/kivo-bus/ca.pem" \
            --script "$work/terminal.kivo" >"$work/terminal.log" 2>&1; then
        fail "the terminal failed: $(cat "$work/terminal.log")"
    fi
    grep -q "$key .*$user_id\|$user_id.*$key" "$work/terminal.log" ||
        fail "the terminal does not list request $key: $(cat "$work/terminal.log")"
}
request_listed "$url" PKG1001

section "the server and the bus stop as the service manager stops them"
# The signal each unit is stopped with (systemd's default: SIGTERM); a stop that ends with an
# exit code other than 0 leaves the unit failed.
kill_signal() {
    local signal
    signal=$(sed -n 's/^KillSignal=SIG//p' "$work/units/$1.service")
    echo "${signal:-TERM}"
}
kill -s "$(kill_signal kivo-oms)" "$oms_pid"
wait "$oms_pid" || fail "kivo-oms ended with $? when stopped"
grep -q "^Stopped" "$work/oms.log" || fail "kivo-oms did not stop in order: $(cat "$work/oms.log")"
kill -s "$(kill_signal kivo-bus)" "$bus_pid"
wait "$bus_pid" || fail "the bus ended with $? when stopped: $(tail -3 "$work/bus.log")"

section "a cluster of three nodes, made by kivo-admin and run by the node unit's command"
# Three client ports free now, and the routes' a thousand above them.
base=$(python3 -c '
import random, socket
def free(port):
    with socket.socket() as s:
        try:
            s.bind(("127.0.0.1", port))
            return True
        except OSError:
            return False
while True:
    base = random.randint(20000, 50000)
    if all(free(base + n) and free(base + 1000 + n) for n in range(3)):
        print(base)
        break')
"$work/kivo-admin" bus init --listen "127.0.0.1:$base" --nodes 3 >"$work/init-cluster.log" 2>&1 ||
    die "kivo-admin bus init --nodes 3 failed: $(cat "$work/init-cluster.log")"
cluster_url=$(sed -n 's/^KIVO_BUS_URL=//p' "$work/init-cluster.log")
[ "$cluster_url" = "tls://127.0.0.1:$base,tls://127.0.0.1:$((base + 1)),tls://127.0.0.1:$((base + 2))" ] ||
    die "kivo-admin bus init --nodes 3 gave the server '$cluster_url' as the bus: $(cat "$work/init-cluster.log")"
node_line=$(sed -n 's/^ExecStart=//p' "$work/units/kivo-bus@.service")
node_pids=()
for n in 1 2 3; do
    read -ra node_command <<<"${node_line//%i/$n}"
    "${node_command[@]}" >"$work/node$n.log" 2>&1 &
    node_pids+=($!)
    pids+=($!)
done
for n in 1 2 3; do
    wait_for "$work/node$n.log" 30 "Server is ready" || die "node $n did not start: $(cat "$work/node$n.log")"
    grep -q "$root/var/lib/kivo-bus/node$n" "$work/node$n.log" ||
        fail "node $n does not keep its stream in /var/lib/kivo-bus/node$n: $(grep -i 'store' "$work/node$n.log")"
done
start_server "$cluster_url" "$work/oms-cluster.log"
request_listed "$cluster_url" PKG1002

section "the server's node killed: the server, a maker and a terminal carry on through the others"
# The server takes the nodes in the order given: the first is its own.
if command -v ss >/dev/null; then
    ss -tnp | grep "pid=$oms_pid," | grep -q "127.0.0.1:$base " ||
        fail "the server is not connected to the first node: $(ss -tnp | grep "pid=$oms_pid,")"
fi
kill -KILL "${node_pids[0]}"
request_listed "$cluster_url" PKG1003
kill -s "$(kill_signal kivo-oms)" "$oms_pid"
wait "$oms_pid" || fail "kivo-oms ended with $? when stopped on the cluster"
for pid in "${node_pids[@]:1}"; do
    kill -s "$(kill_signal kivo-bus@)" "$pid"
    wait "$pid" || fail "a node ended with $? when stopped"
done

if [ $failures -ne 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
echo "The packages hold what they should, and the server, a maker and a terminal run from them, on one bus and on a cluster."
