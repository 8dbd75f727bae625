#!/usr/bin/env bash
# README's "Many machines" as an administrator follows it, on a PostgreSQL
# server of the script's own: its SQL, postgresql.conf and pg_hba.conf lines
# as written (the passwords given where \password asks; db.example and the
# certificate paths those of this server, with a CA and a certificate made
# here), the owner's --upgrade-store, then three PCs recording over TCP with
# scram and sslmode=verify-full through their ~/.pgpass. Checks that every
# run arrived with its machine, that a member can neither delete, update,
# truncate, drop nor grant itself more while the owner can delete, and that
# the test password is in no settings file, store, message, JSON document
# or ps line. Skipped (77) without postgresql or openssl.
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
member_pw="member-$RANDOM$RANDOM-pw"
server=(-h localhost -p "$port")

# A CA of the test's own and the server's certificate for localhost.
(
  cd "$scratch" || exit 1
  openssl req -new -x509 -days 2 -nodes -subj "/CN=TORVIK fleet test CA" -keyout ca.key -out root.crt 2>/dev/null
  openssl req -new -nodes -subj "/CN=localhost" -keyout server.key -out server.csr 2>/dev/null
  printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' > san.ext
  openssl x509 -req -in server.csr -CA root.crt -CAkey ca.key -CAcreateserial -days 2 -extfile san.ext \
    -out server.crt 2>/dev/null
  chmod 644 root.crt
)
pg "$bin/initdb" -D "$scratch/data" -U postgres -A trust --no-locale --encoding=UTF8 --no-sync >/dev/null || exit 1
install -m 600 "$scratch/server.key" "$scratch/data/server.key"
install -m 644 "$scratch/server.crt" "$scratch/data/server.crt"
[ ${#as_server[@]} -eq 0 ] || chown postgres "$scratch/data/server.key" "$scratch/data/server.crt"
{ block postgresql.conf; printf "port = %s\nunix_socket_directories = '%s'\n" "$port" "$scratch"; } \
  >> "$scratch/data/postgresql.conf"
{ block pg_hba.conf; cat "$scratch/data/pg_hba.conf"; } > "$scratch/hba" && cp "$scratch/hba" "$scratch/data/pg_hba.conf"
pg "$bin/pg_ctl" -D "$scratch/data" -l "$scratch/server.log" -w start >/dev/null || {
  cat "$scratch/server.log"
  exit 1
}

# The README's SQL, as the superuser; \password answered with the test's passwords.
block sql | sed -e "s/^\\\\password torvik_owner\$/ALTER ROLE torvik_owner PASSWORD '$owner_pw';/" \
  -e "s/^\\\\password torvik_member\$/ALTER ROLE torvik_member PASSWORD '$member_pw';/" \
  -e "s/^\\\\password torvik_reader\$/ALTER ROLE torvik_reader PASSWORD 'reader-$RANDOM';/" \
  > "$scratch/setup.sql"
check "the README's SQL runs" psql -h "$scratch" -p "$port" -U postgres -d postgres -v ON_ERROR_STOP=1 -q \
  -f "$scratch/setup.sql"

# What a README command becomes here: this server and this CA.
here_url() { sed -e "s|db.example|localhost:$port|" -e "s|/etc/torvik/root.crt|$scratch/root.crt|"; }
member_url=$(block member | grep -o "postgresql://[^']*" | here_url)
owner_command=$(block owner | here_url)

# A machine of its own: home, settings (its PC name, or none), ~/.pgpass.
machine() {  # machine NAME PCNAME ROLE PASSWORD
  local home="$scratch/$1"
  mkdir -p "$home/config/Varn" "$home/data" "$home/runtime" "$home/work"
  chmod 700 "$home/runtime"
  printf '[Locate]\nPCName=%s\n' "$2" > "$home/config/Varn/TORVIK.conf"
  block pgpass | sed -e "s/db.example:5432/localhost:$port/" -e "s/torvik_member/$3/" \
    -e "s/the-member-password/$4/" > "$home/.pgpass"
  chmod 600 "$home/.pgpass"
}
in_machine() {  # in_machine NAME COMMAND...: runs it with that machine's home
  local home="$scratch/$1"
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u PGPASSWORD HOME="$home" XDG_CONFIG_HOME="$home/config" \
    XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" "$@"
}

japanese_locale
machine admin "" torvik_owner "$owner_pw"
eval "set -- $owner_command"
shift  # the README's "torvik"
check "the owner makes the tables" in_machine admin "$torvik" "$@"

# Three PCs at once, each with its runs sent over TLS; what ps shows meanwhile.
for i in 1 2 3; do
  machine "pc$i" "$([ "$i" -lt 3 ] && echo "desk-$i")" torvik_member "$member_pw"
  printf '[Store]\nUrl=%s\n' "$member_url" >> "$scratch/pc$i/config/Varn/TORVIK.conf"
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
owner_sql() { PGPASSWORD=$owner_pw psql "${server[@]}" -U torvik_owner -d "$tls" -Atqc "$1"; }
# A member's statement: the SQLSTATE of its error (42501: insufficient
# privilege, refused rights and not the owner alike), nothing when it ran.
member_sql() {
  PGPASSWORD=$member_pw psql "${server[@]}" -U torvik_member -d "$tls" -v VERBOSITY=sqlstate -Atqc "$1" 2>&1 |
    grep -Eo '\b[0-9A-Z]{5}$'
}
check "three runs arrived, one per machine" test "$(owner_sql "SELECT count(*), count(DISTINCT pc_name) FROM runs")" = "3|3"
check "every run knows its host and machine id" \
  test "$(owner_sql "SELECT count(*) FROM runs WHERE host_name <> '' AND length(machine_id) = 32")" = 3

for statement in "DELETE FROM runs" "UPDATE runs SET pc_name = 'x'" "TRUNCATE runs" "DROP TABLE runs" \
  "ALTER TABLE runs ADD COLUMN x TEXT"; do
  check "a member may not: $statement" test "$(member_sql "$statement")" = 42501
done
member_sql "GRANT UPDATE ON runs TO torvik_member" > /dev/null
check "a member cannot grant itself more" test "$(member_sql "UPDATE runs SET pc_name = 'x'")" = 42501
check "the runs are as they were" test "$(owner_sql "SELECT count(*) FROM runs WHERE pc_name = 'x'")" = 0
check "the owner may delete" test "$(owner_sql "WITH gone AS (DELETE FROM runs WHERE pc_name = 'desk-1' RETURNING 1) SELECT count(*) FROM gone")" = 1

# The test password nowhere but in .pgpass.
owner_sql "COPY runs TO STDOUT" > "$scratch/server-runs.txt"
for pw in "$owner_pw" "$member_pw"; do
  check "no password in settings, stores, messages, JSON or ps" \
    bash -c '! grep -rl --exclude=.pgpass --exclude=setup.sql -- "$1" "$2"/pc* "$2"/admin "$2"/*.json "$2"/*.err "$2"/ps.txt "$2"/server-runs.txt' _ "$pw" "$scratch"
done

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
