#!/usr/bin/env bash
# README's "Many machines" as an administrator follows it, on a PostgreSQL
# server of the script's own: its CA and certificate recipe, its
# postgresql.conf and pg_hba.conf lines, Debian's host lines made hostssl,
# its SQL and its one command per PC role and reader role, as written (the
# passwords given where \password and createuser --pwprompt ask; db.example,
# the certificate paths and the data folder those of this server), the
# owner's --upgrade-store, then three PCs, each its own role and machine
# (an /etc/machine-id of its own, bound in a mount namespace), recording
# over TCP with scram and sslmode=verify-full through their ~/.pgpass.
# Checks that every run arrived with its machine, sender and TORVIK; from
# psql, by SQLSTATE, that a member can neither delete, update, truncate,
# drop, alter, lock nor grant itself more, write the version record, a
# run's sender or arrival, nor send a run for another PC's machine, and a
# PC with a copied machine id has its run set aside; that the owner sees
# the machines pending, approves one and may delete; that the reader reads
# after a reload; and that no test password is in a settings file, store,
# message, JSON document or ps line. Skipped (77) without postgresql,
# openssl or a mount namespace.
#
#   tests/e2e/fleet.sh TORVIK README
set -uo pipefail
torvik=$1
readme=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
if [ -z "$bin" ] || ! command -v openssl >/dev/null || ! command -v psql >/dev/null; then
  echo "SKIP: needs Debian's postgresql and openssl"
  exit 77
fi
# Each PC its own /etc/machine-id: a mount namespace (a user namespace too
# when not root).
if [ "$(id -u)" -eq 0 ]; then
  namespace=(unshare --mount --propagation private)
else
  namespace=(unshare --user --map-root-user --mount --propagation private)
fi
if ! "${namespace[@]}" true 2>/dev/null; then
  echo "SKIP: needs a mount namespace (unshare) to give each PC a machine id of its own"
  exit 77
fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/torvik-fleet-XXXXXX")
as_server=()
if [ "$(id -u)" -eq 0 ]; then
  chown postgres "$scratch"
  as_server=(runuser -u postgres --)
fi
# The server in a fixed locale, whatever the caller's (UTF-8 text, C
# collation, messages in C): what a member may not do is told by SQLSTATE.
pg() { LC_ALL=C LC_MESSAGES=C LANG=C LANGUAGE= "${as_server[@]}" "$@"; }
cleanup() {
  pg "$bin/pg_ctl" -D "$scratch/data" -m immediate stop >/dev/null 2>&1
  rm -rf "$scratch"
}
trap cleanup EXIT

# The README's block after <!-- fleet: NAME -->.
block() { awk -v m="<!-- fleet: $1 -->" '$0 == m { f = 1; next } f && /^```/ { if (open) exit; open = 1; next } open' "$readme"; }

port=$((20000 + $$ % 20000))
owner_pw="owner-$RANDOM$RANDOM-pw"
reader_pw="reader-$RANDOM$RANDOM-pw"
declare -A pc_pw
for i in 1 2 3; do pc_pw[$i]="desk-$i-$RANDOM$RANDOM-pw"; done
server=(-h localhost -p "$port")
debian_data=/var/lib/postgresql/15/main
debian_conf=/etc/postgresql/15/main

pg "$bin/initdb" -D "$scratch/data" -U postgres -A trust --no-locale --encoding=UTF8 --no-sync >/dev/null || exit 1

# The README's CA and server certificate, for localhost, into this data folder.
(
  cd "$scratch" || exit 1
  block ca | sed -e "s/db\.example/localhost/g" -e "s|$debian_data|$scratch/data|g" \
    -e "s/^sudo install -o postgres -g postgres /install /" | bash -e 2>/dev/null
) || { echo "the README's certificate recipe failed"; exit 1; }
[ ${#as_server[@]} -eq 0 ] || chown postgres "$scratch/data/server.key" "$scratch/data/server.crt"
chmod 644 "$scratch/root.crt"
{ block postgresql.conf; printf "port = %s\nunix_socket_directories = '%s'\n" "$port" "$scratch"; } \
  >> "$scratch/data/postgresql.conf"
# Debian's host lines made hostssl, then TORVIK's first.
block hostssl | sed -e "s|$debian_conf|$scratch/data|g" -e "s/^sudo //" | bash -e || exit 1
check "no host line takes connections without TLS" bash -c "! grep -Eq '^host[[:space:]]' '$scratch/data/pg_hba.conf'"
{ block pg_hba.conf; cat "$scratch/data/pg_hba.conf"; } > "$scratch/hba" && cp "$scratch/hba" "$scratch/data/pg_hba.conf"
pg "$bin/pg_ctl" -D "$scratch/data" -l "$scratch/server.log" -w start >/dev/null || {
  cat "$scratch/server.log"
  exit 1
}
exits() {  # exits STATUS COMMAND...: whether the command ends with that status
  local want=$1
  shift
  "$@" > /dev/null 2>&1
  test $? -eq "$want"
}
superuser_sql() { psql -X -h "$scratch" -p "$port" -U postgres -d "${2:-postgres}" -v ON_ERROR_STOP=1 -qAtc "$1"; }

# The README's SQL, as the superuser; \password answered with the test's password.
block sql | sed -e "s/^\\\\password torvik_owner\$/ALTER ROLE torvik_owner PASSWORD '$owner_pw';/" > "$scratch/setup.sql"
check "the README's SQL runs" psql -X -h "$scratch" -p "$port" -U postgres -d postgres -v ON_ERROR_STOP=1 -q \
  -f "$scratch/setup.sql"

# A role by the README's one command (`sudo -u postgres createuser
# --pwprompt ...`), its prompt answered with ALTER ROLE.
make_role() {  # make_role BLOCK README_NAME NAME PASSWORD
  local words
  read -r -a words <<< "$(block "$1")"
  local args=()
  for word in "${words[@]:4}"; do
    case $word in
      --pwprompt) ;;
      "$2") args+=("$3") ;;
      *) args+=("$word") ;;
    esac
  done
  [ "${words[*]:0:4}" = "sudo -u postgres createuser" ] && "$bin/createuser" -h "$scratch" -p "$port" -U postgres "${args[@]}" &&
    superuser_sql "ALTER ROLE $3 PASSWORD '$4'"
}
for i in 1 2 3; do
  check "the README's command makes desk_$i's role" make_role "pc role" desk_7 "desk_$i" "${pc_pw[$i]}"
done
check "the README's command makes the reader's role" make_role "reader role" lab_viewer lab_viewer "$reader_pw"

# What a README command becomes here: this server and this CA.
here_url() { sed -e "s|db.example|localhost:$port|" -e "s|/etc/torvik/root.crt|$scratch/root.crt|"; }
owner_command=$(block owner | here_url)

# A machine of its own: home, settings (its PC name, or none), ~/.pgpass,
# and an /etc/machine-id.
machine() {  # machine NAME PCNAME ROLE PASSWORD [MACHINE_ID]
  local home="$scratch/$1"
  mkdir -p "$home/config/Varn" "$home/data" "$home/runtime" "$home/work"
  chmod 700 "$home/runtime"
  printf '[Locate]\nPCName=%s\n' "$2" > "$home/config/Varn/TORVIK.conf"
  block pgpass | sed -e "s/db.example:5432/localhost:$port/" -e "s/desk_7/$3/" -e "s/the-desk-7-password/$4/" \
    > "$home/.pgpass"
  chmod 600 "$home/.pgpass"
  printf '%s\n' "${5:-$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')}" > "$home/machine-id"
}
in_machine() {  # in_machine NAME COMMAND...: runs it with that machine's home and machine id
  local home="$scratch/$1"
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u PGPASSWORD HOME="$home" XDG_CONFIG_HOME="$home/config" \
    XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" \
    "${namespace[@]}" sh -c 'mount --bind "$1" /etc/machine-id && shift && exec "$@"' _ "$home/machine-id" "$@"
}
member_url() { block member | grep -o "postgresql://[^']*" | sed -e "s/desk_7/$1/" | here_url; }

japanese_locale
machine admin "" torvik_owner "$owner_pw"
eval "set -- $owner_command"
shift  # the README's "torvik"
in_machine admin "$torvik" "$@" > "$scratch/owner.out" 2>&1
check "the owner makes the tables and grants the rights" grep -q "made, schema" "$scratch/owner.out"
check "the owner's TORVIK grants the PCs' group" grep -q "torvik_member may add runs" "$scratch/owner.out"

# Three PCs at once, each its role and machine, each run sent over TLS; what ps shows meanwhile.
for i in 1 2 3; do
  machine "pc$i" "$([ "$i" -lt 3 ] && echo "desk-$i")" "desk_$i" "${pc_pw[$i]}"
  printf '[Store]\nUrl=%s\n' "$(member_url "desk_$i")" >> "$scratch/pc$i/config/Varn/TORVIK.conf"
  in_machine "pc$i" "$torvik" --run memory --dir "$scratch/pc$i/work" --quiet --format json --require-sent \
    > "$scratch/pc$i.json" 2> "$scratch/pc$i.err" &
  pids[$i]=$!
done
for _ in 1 2 3 4 5 6 7 8 9 10; do ps -eo args >> "$scratch/ps.txt"; sleep 0.2; done
for i in 1 2 3; do
  wait "${pids[$i]}"
  check "pc$i's run was kept and sent (exit $?)" test "$?" -eq 0
done

tls="dbname=torvik sslmode=verify-full sslrootcert=$scratch/root.crt"
owner_sql() { PGPASSWORD=$owner_pw psql -X "${server[@]}" -U torvik_owner -d "$tls" -Atqc "$1"; }
# A statement as desk_1 from psql: the SQLSTATE of its error, nothing when it ran.
member_state() {
  PGPASSWORD=${pc_pw[1]} psql -X "${server[@]}" -U desk_1 -d "$tls" -v ON_ERROR_STOP=1 -v VERBOSITY=sqlstate \
    -Atqc "$1" 2>&1 >/dev/null | grep -Eo '[0-9A-Z]{5}$' | tail -1
}
check "three runs arrived, one per machine" \
  test "$(owner_sql "SELECT count(*), count(DISTINCT pc_name), count(DISTINCT machine_id) FROM runs")" = "3|3|3"
check "every run knows its host and machine id" \
  test "$(owner_sql "SELECT count(*) FROM runs WHERE host_name <> '' AND length(machine_id) = 32")" = 3
check "every run shows its sender, its arrival and its TORVIK" \
  test "$(owner_sql "SELECT string_agg(sent_by, ',' ORDER BY sent_by) FROM runs WHERE received_at IS NOT NULL
                     AND torvik_version <> '' AND torvik_schema > 0")" = "desk_1,desk_2,desk_3"

desk2_machine=$(owner_sql "SELECT machine_id FROM runs WHERE sent_by = 'desk_2'")
desk1_run=$(owner_sql "SELECT id FROM runs WHERE sent_by = 'desk_1'")
forged="INSERT INTO runs (started, sort_time, group_name, stopped, total_tenths, user_name, pc_name, os, processor,
  caches, memory, display, test_directory, origin, uuid, machine_id%s) VALUES ('x', 1, 'memory', 0, 1, '', 'desk-2', '',
  '', '', '', '', '', 'program', gen_random_uuid()::text, '%s'%s)"
# shellcheck disable=SC2059
{
  statements=(
    "42501|DELETE FROM runs" "42501|UPDATE runs SET pc_name = 'x'" "42501|TRUNCATE runs" "42501|DROP TABLE runs"
    "42501|ALTER TABLE runs ADD COLUMN x TEXT" "42501|BEGIN; LOCK TABLE runs IN ACCESS EXCLUSIVE MODE; COMMIT"
    "42501|GRANT UPDATE ON runs TO torvik_member; UPDATE runs SET pc_name = 'x'"
    "42501|INSERT INTO torvik_schema VALUES (99)" "42501|UPDATE machines SET state = 'approved'"
    "TV001|$(printf "$forged" "" "$desk2_machine" "")"
    "42501|$(printf "$forged" ", sent_by" "fresh-machine" ", 'desk_2'")"
    "42501|$(printf "$forged" ", received_at" "fresh-machine" ", now()")"
    "TV003|INSERT INTO tests (run_id, test, tenths, unit) VALUES ($(owner_sql "SELECT id FROM runs WHERE sent_by = 'desk_2'"), 'prime', 1, 'ops/s')"
  )
}
for entry in "${statements[@]}"; do
  check "a member may not (${entry%%|*}): ${entry#*|}" test "$(member_state "${entry#*|}")" = "${entry%%|*}"
done
check "the runs are as they were" \
  test "$(owner_sql "SELECT count(*) FROM runs WHERE pc_name = 'x' OR started = 'x'")|$(owner_sql "SELECT count(*) FROM tests WHERE test = 'prime'")" = "0|0"

# A PC with a copy of desk-1's /etc/machine-id, its own role: its run set aside here, told, exit 3.
machine copycat "desk-1" desk_3 "${pc_pw[3]}" "$(cat "$scratch/pc1/machine-id")"
in_machine copycat "$torvik" --run memory --dir "$scratch/copycat/work" --quiet --require-sent \
  --store "$(member_url desk_3)" > "$scratch/copycat.out" 2> "$scratch/copycat.err"
check "a copied machine id's run is not sent (exit $?)" test "$?" -eq 3
in_machine copycat "$torvik" --sync --format json --store "$(member_url desk_3)" > "$scratch/copycat-sync.json"
check "it is set aside on its PC, with why" python3 -c \
  'import json, sys; aside = json.load(open(sys.argv[1]))["set_aside"]; sys.exit(len(aside) != 1 or not aside[0]["reason"])' \
  "$scratch/copycat-sync.json"
check "desk-1's machine has desk-1's runs alone" \
  test "$(owner_sql "SELECT count(*) FROM runs WHERE machine_id = (SELECT machine_id FROM runs WHERE id = $desk1_run)")" = 1

# The owner's view: three pending machines, one approved, the owner deletes.
eval "set -- $(block machines | head -1 | here_url)"
shift
in_machine admin "$torvik" "$@" --format json > "$scratch/machines.json"
check "the owner sees three machines pending" test "$(grep -c '"state": "pending"' "$scratch/machines.json")" = 3
check "a member may not approve (exit 1)" exits 1 in_machine pc1 "$torvik" \
  --store "$(member_url desk_1)" --approve desk-2
eval "set -- $(block machines | sed -n 2p | sed 's/desk-7/desk-1/' | here_url)"
shift
check "the owner approves desk-1" in_machine admin "$torvik" "$@"
check "desk-1 is approved, the others pending" test "$(owner_sql "SELECT string_agg(state, ',' ORDER BY state) FROM machines")" = \
  "approved,pending,pending"
check "the owner may delete" test "$(owner_sql "WITH gone AS (DELETE FROM runs WHERE pc_name = 'desk-2' RETURNING 1) SELECT count(*) FROM gone")" = 1

# A reader's role made while the server runs: a reload is enough.
pg "$bin/pg_ctl" -D "$scratch/data" reload >/dev/null
machine viewer "" lab_viewer "$reader_pw"
eval "set -- $(block reader | here_url)"
shift
in_machine viewer "$torvik" "$@" > "$scratch/reader.out" 2> "$scratch/reader.err"
check "the reader lists the runs" test "$(grep -c ' memory ' "$scratch/reader.out")" -ge 2

# The test passwords nowhere but in .pgpass.
owner_sql "COPY runs TO STDOUT" > "$scratch/server-runs.txt"
for pw in "$owner_pw" "$reader_pw" "${pc_pw[@]}"; do
  check "no password in settings, stores, messages, JSON or ps" \
    bash -c '! grep -rl --exclude=.pgpass --exclude=setup.sql -- "$1" "$2"/pc* "$2"/admin "$2"/viewer "$2"/copycat "$2"/*.json "$2"/*.err "$2"/*.out "$2"/ps.txt "$2"/server-runs.txt' _ "$pw" "$scratch"
done

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
