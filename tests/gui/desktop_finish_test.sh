#!/bin/sh
# The real program: --help and --version on a terminal, then on a desktop (Xvfb and
# openbox) a quick launch reaches the finish page, Enter presses Finish, the workbook goes
# to the desktop's opener (a stub that records its argument) and the program ends with 0.
# usage: desktop_finish_test.sh SPRANDEL OCIEMU_FOLDER OCIEMU_BUILD_DB
set -eu
sprandel=$1 ociemu_folder=$2 build_db=$3
fail() { echo "desktop_finish_test: $*" >&2; exit 1; }

# --help and --version answer on the terminal, without a display (once they were taken for a
# profile's name, and a box waited for an answer nobody could give).
usage=$(QT_QPA_PLATFORM=offscreen timeout 20 "$sprandel" --help) || fail "--help ended with status $?"
case $usage in "usage: sprandel [JOB.spr]"*) ;; *) fail "--help printed: $usage" ;; esac
version=$(QT_QPA_PLATFORM=offscreen timeout 20 "$sprandel" --version) || fail "--version ended with status $?"
[ "$version" = "sprandel 4.1" ] || fail "--version printed: $version"

if ! command -v Xvfb >/dev/null; then
    echo "skipped: Xvfb is not installed (scripts/install-deps.sh installs it)"
    exit 77
fi
for tool in openbox xdotool; do
    command -v "$tool" >/dev/null || { echo "desktop_finish_test: $tool is missing; scripts/install-deps.sh installs it" >&2; exit 1; }
done

work=$(mktemp -d)
server= manager= program=
finish() {
    for pid in $program $manager $server; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap finish EXIT
# Waits up to a minute for a condition; the run itself takes well under a second.
wait_for() {
    tries=0
    until eval "$1"; do
        tries=$((tries + 1))
        [ "$tries" -lt 600 ] || fail "gave up waiting for: $2"
        sleep 0.1
    done
}

mkdir -p "$work/data" "$work/bin" "$work/home"
cat > "$work/job.sql" <<'SQL'
CREATE TABLE OCIEMU_USERS (USERNAME TEXT, PASSWORD TEXT, LOCKED INTEGER);
INSERT INTO OCIEMU_USERS VALUES ('SCOTT', 'tiger', 0);
CREATE TABLE EMP (ID NUMBER(4), NAME VARCHAR2(20));
INSERT INTO EMP VALUES (1, 'Ada'), (2, 'Grace');
SQL
"$build_db" "$work/data/DESK.db" "$work/job.sql" >/dev/null
cat > "$work/job.spr" <<SPR
[Generic settings]
dest=$work/out.xlsx
logfile=$work/run.log
src=DESK

[MS Excel settings]
format version=2

[Oracle settings]
user=SCOTT
password=tiger

[Selected Tables]
EMP
SPR
cat > "$work/bin/xdg-open" <<STUB
#!/bin/sh
echo "\$1" >> "$work/opened"
STUB
chmod +x "$work/bin/xdg-open"

Xvfb -displayfd 5 -screen 0 1024x768x24 5>"$work/display" 2>"$work/xvfb.log" &
server=$!
wait_for '[ -s "$work/display" ]' "the X server"
export DISPLAY=":$(cat "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
manager=$!
wait_for 'xdotool get_desktop >/dev/null 2>&1' "the window manager"

PATH="$work/bin:$PATH" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    LD_LIBRARY_PATH="$ociemu_folder" OCIEMU_DATA="$work/data" "$sprandel" "$work/job.spr" &
program=$!
wait_for 'grep -q "Display success-message" "$work/run.log" 2>/dev/null' "the finish page (log: $work/run.log)"
window=$(xdotool search --sync --name '^Sprandel 4.1$' | head -n 1)
xdotool windowactivate --sync "$window" key Return
# A question box instead of the end would keep the program up: that is a failure, not a hang.
wait_for '! kill -0 "$program" 2>/dev/null' "the program to end after Enter"
status=0
wait "$program" || status=$?
program=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ "$(cat "$work/opened" 2>/dev/null)" = "file://$work/out.xlsx" ] || fail "the opener got: $(cat "$work/opened" 2>/dev/null)"
[ -s "$work/out.xlsx" ] || fail "no workbook at $work/out.xlsx"
echo "finish page: Enter finished, $work/out.xlsx opened, exit status 0"
