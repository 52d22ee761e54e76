#!/usr/bin/env bash
# The SCORM 1.2 package played in a real Moodle, as a school runs it:
#
#   tests/web/moodle.sh SCORM_ZIP ANSWERS_JSON OUT_DIR [IMAGES_DIR]
#
# Moodle's source comes from ../shared/lms/moodle-*.tar.xz beside the checkout (MOODLE_TARBALL
# overrides it). It is unpacked into a scratch folder and installed on a PostgreSQL and an Apache of
# this script's own: the database in the scratch folder, reached through a socket there only; Apache
# with PHP on a free port of 127.0.0.1, from a configuration file of its own. The system's services are
# neither used nor touched. As root, both servers and Moodle's command-line scripts run as www-data.
# Moodle's data generator (moodle_course.php) makes a course, a teacher, two pupils and the package
# as an activity; moodle.mjs plays it in Chromium as the pupils and the teacher, and reads what Moodle
# recorded from its database. Everything it started is stopped, and the scratch folder removed,
# however it ends; the servers' logs and the screenshots are left in OUT_DIR. With IMAGES_DIR, the
# screenshots that docs/web.md shows are written there too, made small.
#
# Without Moodle's source, or without a PHP 8.1 or later that apt can install, it says so in one line
# and exits 0. The last line is "moodle: N passed, N failed".
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"
SAY_AS=moodle

here="$_alkyne_root/tests/web"
[ $# -ge 3 ] || { echo "usage: tests/web/moodle.sh SCORM_ZIP ANSWERS_JSON OUT_DIR [IMAGES_DIR]" >&2; exit 2; }
package="$(realpath "$1")"
answers="$(realpath "$2")"
mkdir -p "$3"
out="$(realpath "$3")"
images="${4:+$(mkdir -p "$4" && realpath "$4")}"
started=$SECONDS

tarball="${MOODLE_TARBALL:-$(find "$_alkyne_root/../shared/lms" -maxdepth 1 -name 'moodle-*.tar.xz' 2>/dev/null | sort | tail -n 1)}"
if [ -z "$tarball" ] || [ ! -f "$tarball" ]; then
    echo "moodle: skipped: no Moodle source (../shared/lms/moodle-*.tar.xz)"
    exit 0
fi

# Moodle 4.4 wants PHP 8.1 to 8.3: the newest of them installed, else the newest apt offers.
php_version() {
    local version
    for version in 8.3 8.2 8.1; do
        _alkyne_installed "php$version-cli" && { echo "$version"; return 0; }
    done
    for version in 8.3 8.2 8.1; do
        _alkyne_offered "php$version-cli" && { echo "$version"; return 0; }
    done
    return 1
}
if ! php="$(php_version)"; then
    [ "$(id -u)" -ne 0 ] || apt-get update -qq >/dev/null 2>&1 || true
    php="$(php_version)" || { echo "moodle: skipped: apt offers no PHP 8.1, 8.2 or 8.3 for Moodle"; exit 0; }
fi

# PHP with the extensions Moodle asks for, Apache's server alone (apache2-bin: no system service comes
# with it) with PHP as its module, PostgreSQL, Chromium and Node.js for the browser, pngquant for the
# screenshots kept in the docs.
ensure_packages "php$php-cli" "php$php-pgsql" "php$php-xml" "php$php-mbstring" "php$php-curl" "php$php-zip" \
    "php$php-gd" "php$php-intl" "php$php-soap" "php$php-opcache" apache2-bin "libapache2-mod-php$php" \
    postgresql xz-utils chromium ${images:+pngquant} >&2
command -v node >/dev/null 2>&1 || ensure_packages nodejs >&2
[ -d "$here/node_modules/puppeteer-core" ] || { say "no tests/web/node_modules: run npm ci --prefix tests/web first"; exit 1; }
pg_bin="$(find /usr/lib/postgresql -maxdepth 2 -name bin -type d | sort -V | tail -n 1)"
php_module="/usr/lib/apache2/modules/libphp$php.so"
say "packages ready in $((SECONDS - started)) s (PHP $php, PostgreSQL $(basename "$(dirname "$pg_bin")"))"

# As root, the servers and Moodle's command-line scripts run as www-data (PostgreSQL will not run as
# root, and nothing served should); as anyone else, as that user.
work="$(mktemp -d "${TMPDIR:-/tmp}/alkyne-moodle.XXXXXX")"
if [ "$(id -u)" -eq 0 ]; then
    server_user=www-data
    as_user=(setpriv --reuid="$server_user" --regid="$(id -g "$server_user")" --clear-groups -- env HOME="$work")
else
    server_user="$(id -un)"
    as_user=(env HOME="$work")
fi
as_server() { "${as_user[@]}" "$@"; }

chmod 755 "$work"
mkdir -p "$work/data" "$work/pg" "$work/socket" "$work/logs" "$work/apache"
chown "$server_user" "$work/data" "$work/pg" "$work/socket" "$work/logs" "$work/apache"
chmod 700 "$work/pg"

# The long steps run in the background while the script waits for them: bash runs a trap only once the
# command in the foreground has ended, and a signal is to stop them, and the servers, at once.
child=
waiting() {
    "$@" &
    child=$!
    local status=0
    wait "$child" || status=$?
    child=
    return "$status"
}

apache_pid=
stop_all() {
    local status=$?
    if [ -n "$child" ]; then
        kill $(pgrep -P "$child") "$child" 2>/dev/null || true
    fi
    if [ -n "$apache_pid" ] && kill -0 "$apache_pid" 2>/dev/null; then
        kill "$apache_pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$apache_pid" 2>/dev/null || break; sleep 0.1; done
    fi
    if [ -f "$work/pg/postmaster.pid" ]; then
        as_server "$pg_bin/pg_ctl" -D "$work/pg" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    cp "$work"/logs/* "$out/" 2>/dev/null || true
    rm -rf "$work"
    exit "$status"
}
trap stop_all EXIT
trap 'exit 130' INT TERM

step "unpacking $(basename "$tarball")" "$out/unpack.log" tar --no-same-owner -xJf "$tarball" -C "$work"
moodle="$work/moodle"

port="$(node -e "const s = require('node:net').createServer(); s.listen(0, '127.0.0.1', () => { console.log(s.address().port); s.close(); });")"
www="http://127.0.0.1:$port"

# PostgreSQL: no TCP at all, its socket in the scratch folder; durability traded for speed.
start_postgres() {
    as_server "$pg_bin/initdb" -D "$work/pg" -U moodle -A trust -E UTF8 --locale=C.UTF-8 &&
        as_server "$pg_bin/pg_ctl" -D "$work/pg" -l "$work/logs/postgres.log" -w start -o "-c listen_addresses='' \
            -c unix_socket_directories='$work/socket' -c fsync=off -c synchronous_commit=off -c full_page_writes=off" &&
        as_server "$pg_bin/createdb" -h "$work/socket" -U moodle moodle
}
step "starting PostgreSQL" "$out/postgres-init.log" start_postgres
export PGHOST="$work/socket" PGUSER=moodle PGDATABASE=moodle

cat >"$moodle/config.php" <<EOF
<?php
unset(\$CFG);
global \$CFG;
\$CFG = new stdClass();
\$CFG->dbtype = 'pgsql';
\$CFG->dblibrary = 'native';
\$CFG->dbhost = 'localhost';
\$CFG->dbname = 'moodle';
\$CFG->dbuser = 'moodle';
\$CFG->dbpass = '';
\$CFG->prefix = 'mdl_';
\$CFG->dboptions = ['dbsocket' => '$work/socket'];
\$CFG->wwwroot = '$www';
\$CFG->dataroot = '$work/data';
\$CFG->admin = 'admin';
\$CFG->directorypermissions = 02777;
\$CFG->noemailever = true;
\$CFG->lang = 'en';
require_once(__DIR__ . '/lib/setup.php');
EOF

# Apache: prefork with PHP as its module, this folder only, path info passed on (pluginfile.php).
modules=/usr/lib/apache2/modules
cat >"$work/apache/httpd.conf" <<EOF
ServerRoot "$work/apache"
ServerName 127.0.0.1
Listen 127.0.0.1:$port
PidFile "$work/apache/httpd.pid"
ErrorLog "$work/logs/apache-error.log"
LogLevel warn
LoadModule mpm_prefork_module $modules/mod_mpm_prefork.so
LoadModule authz_core_module $modules/mod_authz_core.so
LoadModule dir_module $modules/mod_dir.so
LoadModule mime_module $modules/mod_mime.so
LoadModule php_module $php_module
StartServers 2
MinSpareServers 2
MaxSpareServers 4
MaxRequestWorkers 8
TypesConfig /etc/mime.types
LogFormat "%h %t \"%r\" %>s %b %D" timed
CustomLog "$work/logs/apache-access.log" timed
DocumentRoot "$moodle"
<Directory />
    AllowOverride None
    Require all denied
</Directory>
<Directory "$moodle">
    Require all granted
</Directory>
DirectoryIndex index.php
AcceptPathInfo On
<FilesMatch "\.php$">
    SetHandler application/x-httpd-php
</FilesMatch>
php_value max_input_vars 5000
EOF

php_cli=(as_server "/usr/bin/php$php" -d max_input_vars=5000)
before=$SECONDS
step "installing Moodle (PHP $php, into the database)" "$out/install.log" waiting "${php_cli[@]}" "$moodle/admin/cli/install_database.php" \
    --agree-license --lang=en --adminuser=admin --adminpass='Admin-1234' --adminemail=admin@school.invalid \
    --fullname='Σχολείο' --shortname='school'
say "Moodle installed in $((SECONDS - before)) s"

password='Pupil-1234'
setup="$work/setup.json"
make_course() {
    cp "$package" "$moodle/exercise-package.zip"
    as_server "/usr/bin/php$php" "$here/moodle_course.php" "$moodle" "$moodle/exercise-package.zip" "$password" >"$work/course.out" || {
        cat "$work/course.out"
        return 1
    }
    tail -n 1 "$work/course.out" >"$setup"
}
step "making the course, its users and the activities" "$out/course.log" make_course

step "starting Apache on $www" "$out/apache-start.log" as_server /usr/sbin/apache2 -f "$work/apache/httpd.conf" -k start
for _ in $(seq 100); do [ -s "$work/apache/httpd.pid" ] && break; sleep 0.1; done
apache_pid="$(cat "$work/apache/httpd.pid" 2>/dev/null || true)"
[ -n "$apache_pid" ] || { say "Apache did not start, see $out/apache-error.log"; exit 1; }

say "playing the package as the pupils and the teacher (log: $out/run.log)"
status=0
waiting env MOODLE_URL="$www" MOODLE_SETUP="$setup" MOODLE_PASSWORD="$password" PSQL="$pg_bin/psql" \
    node "$here/moodle.mjs" "$answers" "$out" ${images:+"$images"} >"$out/run.log" 2>&1 || status=$?
grep -E '^(PASS|FAIL|SKIP|SHOT) ' "$out/run.log" >&2 || true
say "done in $((SECONDS - started)) s"
printf 'moodle: %s\n' "$(tail -n 1 "$out/run.log")"
exit "$status"
