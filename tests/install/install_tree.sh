#!/usr/bin/env bash
# install_tree.sh BUILD_DIR DEMO_DATA_PROGRAM: installs the build into a temporary DESTDIR and
# proves the installed tree complete: its files are there, the example units pass
# systemd-analyze, the template helper guards the password, and the installed inzefor-batch
# imports invoices into a database made from the installed schema.
set -euo pipefail
build=$1
demo_data=$2
work=$(mktemp -d /tmp/inzefor-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

dest=$work/root
DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null
usr=$dest/usr
window=()
[ ! -e "$build/bin/InZEFOR" ] ||
    window=(bin/InZEFOR share/applications/inzefor.desktop share/icons/hicolor/scalable/apps/inzefor.svg)
for f in "${window[@]}" bin/inzefor-batch share/man/man1/inzefor-batch.1.gz share/man/man1/InZEFOR.1.gz \
    share/inzefor/schema.sql share/inzefor/demo/reference.sql share/doc/inzefor/README.md \
    share/doc/inzefor/examples/systemd/inzefor-batch@.service \
    share/doc/inzefor/examples/systemd/inzefor-batch@.timer libexec/inzefor/inzefor-batch-params; do
    [ -e "$usr/$f" ] || fail "not installed: /usr/$f"
done

for page in "$usr"/share/man/man1/*.1.gz; do
    warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "$page: $warnings"
done

# The example units, enabled as the README says, pass systemd-analyze without a remark; it
# checks the installed programs and manual page too. It needs the system's own units in the root.
mkdir -p "$dest/etc/systemd/system" "$usr/lib/systemd"
cp "$usr"/share/doc/inzefor/examples/systemd/inzefor-batch@.* "$dest/etc/systemd/system/"
cp -r /lib/systemd/system "$usr/lib/systemd/"
MANPATH=$usr/share/man systemd-analyze verify --root="$dest" inzefor-batch@acme.{service,timer} \
    >"$work/out" 2>&1 || fail "systemd-analyze: $(cat "$work/out")"
[ ! -s "$work/out" ] || fail "systemd-analyze: $(cat "$work/out")"

# The template helper: missing or readable by others means no copy; 0600 gives the folder
# owner a private copy.
params=$usr/libexec/inzefor/inzefor-batch-params
mkdir "$work/run"
chown nobody "$work/run"
if "$params" "$work/none.params" "$work/run/p" 2>"$work/err"; then fail "missing template accepted"; fi
grep -q "no such parameters template" "$work/err" || fail "missing template: $(cat "$work/err")"
printf 'x\r\n' >"$work/t.params"
chmod 0640 "$work/t.params"
if "$params" "$work/t.params" "$work/run/p" 2>"$work/err"; then fail "mode 0640 accepted"; fi
grep -q "mode 640" "$work/err" || fail "mode 0640: $(cat "$work/err")"
[ ! -e "$work/run/p" ] || fail "a refused template was copied"
chmod 0600 "$work/t.params"
"$params" "$work/t.params" "$work/run/p"
[ "$(stat -c '%a %U' "$work/run/p")" = "600 nobody" ] || fail "copy: $(stat -c '%a %U' "$work/run/p")"

batch=$usr/bin/inzefor-batch
# --help where the runner has it; before that, no argument is a start-up error (status 2).
if "$batch" --help >"$work/out" 2>&1; then
    grep -q "inzefor-batch" "$work/out" || fail "--help: $(cat "$work/out")"
else
    status=0
    "$batch" >"$work/out" 2>&1 || status=$?
    [ "$status" = 2 ] || fail "no argument gave status $status: $(cat "$work/out")"
fi

# A small import into an embedded database made from the installed schema.
year=2024
db=$work/zefor.fdb
echo "create database '$db' user 'SYSDBA' default character set WIN1250;" | isql-fb -q
isql-fb -q -user SYSDBA -i "$usr/share/inzefor/schema.sql" "$db"
sed "s/@YEAR@/$year/g" "$usr/share/inzefor/demo/reference.sql" >"$work/reference.sql"
isql-fb -q -user SYSDBA -i "$work/reference.sql" "$db"
exchange=$work/exchange/
"$demo_data" "$exchange" "$year" >/dev/null
printf '%s\r\n' 'Install test' "$exchange" "$db" '' >"$work/params.txt"
status=0
"$batch" --type=SZLA1 --year=$year "$work/params.txt" >"$work/out" 2>&1 || status=$?
[ "$status" = 0 ] || fail "import gave status $status: $(cat "$work/out")"
ls "$exchange"in_arch/OK_feladas*.dbf.log >/dev/null || fail "no file archived as posted"
headers=$(echo "set list on; select count(*) as N from FEJLEC;" | isql-fb -q -user SYSDBA "$db" |
    awk '$1 == "N" { print $2 }')
[ "${headers:-0}" -gt 0 ] || fail "no voucher header in the database"
echo "installed tree: files, units, template helper and an import ($headers voucher headers) OK"
