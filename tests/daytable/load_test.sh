#!/usr/bin/env bash
# Loads the day table's SQL scripts into a real database and queries it: the number of days,
# one year's working days, the retail year of 53 weeks, and a holiday name full of quotes.
#   load_test.sh ANNALEX sqlite     into the sqlite3 shell
#   load_test.sh ANNALEX postgres   into a throw-away PostgreSQL cluster made with initdb in a
#                                   temporary folder, reached through a Unix socket there only
# Exits 77 (skipped) when PostgreSQL's server programs are not installed.
set -euo pipefail
annalex=$1
target=$2

work=$(mktemp -d)
server=()  # how the PostgreSQL server's programs run: as the caller, or as nobody for root
pgbin=
cleanup() {
    if [ -n "$pgbin" ] && [ -f "$work/data/postmaster.pid" ]; then
        "${server[@]}" "$pgbin/pg_ctl" -D "$work/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

case $target in  # anything else fails on "format" below
sqlite)
    load() { sqlite3 -bail "$work/days.db" <"$1"; }
    query() { sqlite3 -bail "$work/days.db" "$1"; }
    format=sql-sqlite
    ;;
postgres)
    pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    if [ -z "$pgbin" ] || [ ! -x "$pgbin/initdb" ]; then
        echo "SKIPPED: PostgreSQL's server is not installed (Debian package postgresql)"
        exit 77
    fi
    # initdb and the server refuse to run as root: they run as nobody, in a folder of its own.
    if [ "$(id -u)" = 0 ]; then
        chown nobody "$work"
        server=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
    fi
    "${server[@]}" "$pgbin/initdb" -D "$work/data" -U annalex --auth=trust -E UTF8 --locale=C --no-sync \
        >"$work/initdb.log" 2>&1 || { cat "$work/initdb.log"; exit 1; }
    "${server[@]}" "$pgbin/pg_ctl" -D "$work/data" -l "$work/server.log" -w \
        -o "-c listen_addresses='' -c unix_socket_directories='$work' -c fsync=off" start \
        >/dev/null || { cat "$work/server.log"; exit 1; }
    export PGOPTIONS='-c client_min_messages=warning'
    psql=("$pgbin/psql" -h "$work" -U annalex -d postgres -X -q -v ON_ERROR_STOP=1)
    load() { "${psql[@]}" -f "$1" >/dev/null; }
    query() { "${psql[@]}" -A -t -c "$1"; }
    format=sql-postgres
    ;;
esac

failures=0
checks=0
expect() {  # expect WHAT QUERY ANSWER
    local answer
    answer=$(query "$2")
    checks=$((checks + 1))
    if [ "$answer" != "$3" ]; then
        echo "FAIL: $1: '$answer', expected '$3'"
        failures=$((failures + 1))
    fi
}
table() {  # table NAME ANNALEX-OPTIONS...: writes and loads that day table
    local name=$1
    shift
    "$annalex" generate --quiet --fill-attributes --output-format days --table-format "$format" \
        --table-name "$name" --output "$work/$name.sql" "$@"
    load "$work/$name.sql"
}
working='sum(CASE WHEN day_working_day THEN 1 ELSE 0 END)'

# Two Gregorian years with England's bank holidays and a company day whose name holds every
# character the scripts must quote; loaded twice, the second load replacing the first.
printf '%s\n' 'include gb-eng' '2021-06-15 = Founder'"'"'s "Day", \ half' >"$work/company.rules"
table england --levels Year,Month,Day --start 1-1-2020 --end 31-12-2021 --holidays "$work/company.rules"
load "$work/england.sql"
expect "days of 2020 and 2021" "SELECT count(*), min(calendar_date), max(calendar_date) FROM england" \
    "731|2020-01-01|2021-12-31"
# 365 days, 104 of them Saturdays and Sundays, 8 bank holidays and the company day.
expect "working days of 2021" \
    "SELECT $working, max(year_number_of_working_days) FROM england WHERE year_name = '2021'" "252|252"
expect "the company day" \
    "SELECT day_holiday, CASE WHEN day_working_day THEN 'open' ELSE 'closed' END FROM england WHERE date_key = 20210615" \
    "Founder's \"Day\", \\ half|closed"

# The retail year of 53 weeks: 2020 ends on Saturday 2 January 2021, nearest to 31 December.
table retail --calendar retail --year-end-rule nearest --levels Year,Quarter,Month,Week,Day \
    --start 1-1-2019 --end 31-12-2021
expect "the 53-week retail year" \
    "SELECT count(*), count(DISTINCT week_name), min(calendar_date), max(calendar_date), max(week_week_number) FROM retail WHERE year_name = '2020'" \
    "371|53|2019-12-29|2021-01-02|53"
expect "retail days" "SELECT count(*), count(DISTINCT date_key) FROM retail" "1099|1099"

# A century, written in several blocks of rows.
table century --levels Year,Month,Day --start 1-1-1901 --end 31-12-2000
expect "the days of a century" \
    "SELECT count(*), count(DISTINCT date_key), min(calendar_date), max(calendar_date), count(DISTINCT year_name) FROM century" \
    "36525|36525|1901-01-01|2000-12-31|100"
# Its rows come in date order across the blocks, which are encoded side by side.
checks=$((checks + 1))
if ! grep -oE "^\(?'?[0-9]{4}-[0-9]{2}-[0-9]{2}" "$work/century.sql" | tr -d "('" | sort -c; then
    echo "FAIL: the century's rows are not in date order"
    failures=$((failures + 1))
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
