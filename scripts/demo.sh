#!/usr/bin/env bash
# A whole demo: builds InZEFOR, creates an embedded demo database with reference data for this
# year, an exchange folder with invoices, a bank statement and a payroll table, imports each
# type with the console runner and prints what landed in the database.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target inzefor-batch inzefor-demo-data

demo=${DEMO_DIR:-/tmp/inzefor-demo}
year=$(date +%Y)
rm -rf "$demo"
mkdir -p "$demo"
db="$demo/demo.fdb"
exchange="$demo/exchange/"

echo "== Demo database $db (fiscal year $year)"
echo "create database '$db' user 'SYSDBA' password 'demo' page_size 8192 default character set WIN1250;" |
  isql-fb -q -sqldialect 3
isql-fb -q -user SYSDBA -password demo -i db/schema.sql "$db"
sed "s/@YEAR@/$year/g" demo/reference.sql >"$demo/reference.sql"
isql-fb -q -user SYSDBA -password demo -i "$demo/reference.sql" "$db"

echo "== Exchange folder $exchange"
build/bin/inzefor-demo-data "$exchange" "$year"
ls "$exchange"

# Four lines: the default connection parameters are used and the file is kept.
params="$demo/params.txt"
printf 'Demo accounting database\r\n%s\r\n%s\r\n\r\n' "$exchange" "$db" >"$params"

# The demo's inputs were written a moment ago: take them without waiting for them to settle.
export INZEFOR_SETTLE=0
status=0
for type in SZLA1 BANK1 FKBER; do
  echo
  echo "== inzefor-batch --type=$type --year=$year"
  build/bin/inzefor-batch --type="$type" --year="$year" "$params" || status=$?
done

echo
echo "== What the database holds now"
isql-fb -q -ch UTF8 -user SYSDBA -password demo "$db" <<'SQL'
set list on;
select (select count(*) from FEJLEC) as voucher_headers,
       (select count(*) from TETEL) as voucher_lines,
       (select count(*) from UGYFEL) as customers,
       (select count(*) from NAPLO) as journals,
       (select count(*) from FEJLEC where FE_ERR <> 0) as headers_with_findings,
       (select count(*) from TETEL where TE_ERROR <> '') as lines_with_findings
from RDB$DATABASE;
set list off;
select FE_ID, FE_MO_CHAR as BOOK, FE_NAPLO as JOURNAL, cast(FE_BIZONYLAT as varchar(12)) as VOUCHER,
       cast(FE_KARTON as varchar(8)) as ACCOUNT, cast(FE_TOTAL as numeric(15,2)) as TOTAL,
       FE_UG_ID as CUSTOMER, cast(FE_ERROR as varchar(40)) as FINDINGS
from FEJLEC order by FE_ID;
select TE_FE_ID as HEADER, cast(TE_ELLEN as varchar(8)) as COUNTER, cast(TE_SUM as numeric(15,2)) as AMOUNT,
       cast(TE_AF_NEV as varchar(6)) as VAT, cast(TE_AFASZAMLA as varchar(8)) as VAT_ACC,
       cast(TE_ERROR as varchar(30)) as FINDINGS
from TETEL order by TE_ID;
select UG_ID, cast(UG_ROVID as varchar(20)) as SHORT_NAME, cast(UG_KARTON as varchar(8)) as ACCOUNT
from UGYFEL order by UG_ID;
SQL

echo
echo "== Run logs"
ls -1 "$exchange"in_arch/*.log
exit "$status"
