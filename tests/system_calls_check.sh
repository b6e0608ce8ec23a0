#!/bin/sh
# Fails when product code outside the system layer (src/toolkit/system/, and the emulator's
# tools/ociemu/platform.cpp) includes a header of one operating system or calls a function
# that exists on only one, so the Windows build cannot break unseen from a Linux change.
# The Qt wizard (src/gui) is left out: Qt is its portable layer. Usage: system_calls_check.sh ROOT
set -eu
root=${1:-$(dirname "$0")/..}
cd "$root"
headers='unistd\.h|fcntl\.h|sys/[a-z_]+\.h|dlfcn\.h|pwd\.h|grp\.h|dirent\.h|signal\.h|csignal|termios\.h|poll\.h|pthread\.h|spawn\.h|windows\.h|winbase\.h|io\.h|direct\.h|shellapi\.h|processthreadsapi\.h'
calls='fopen|freopen|fsync|fdatasync|flock|lockf|pread|pwrite|mkstemp|mkostemp|lstat|fstat|fchmod|chmod|chown|unlink|readlink|realpath|dlopen|dlsym|dlclose|dladdr|dlerror|sigaction|isatty|fileno|localtime_r|gmtime_r|strerror_r|newlocale|uselocale|strtod_l|pathconf|sysconf|getpwuid_r|getuid|getpid|kill|fork|execv|execvp|waitpid|fcntl|LoadLibrary[A-Za-z]*|GetProcAddress|FreeLibrary|CreateFile[AW]?|MoveFileEx[AW]?|FlushFileBuffers|LockFileEx|GetModuleFileName[AW]?|SetConsoleCtrlHandler|_wfopen|_wgetenv'
files=$(find src tools/ociemu -name '*.cpp' -o -name '*.h' -o -name '*.c' | grep -v -e '^src/toolkit/system/' -e '^src/gui/' \
    -e '^tools/ociemu/platform\.cpp$' | sort)
found=0
# shellcheck disable=SC2086
if grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<($headers)>" $files; then found=1; fi
# A call: the name as a whole word followed by "(" (not a member such as ".fileno(", not
# our own tk_ names); POSIX's open/close/read/write/rename/stat only when written "::open(",
# since members share those names. Comment lines are skipped.
# shellcheck disable=SC2086
if grep -nE "(^|[^.>_[:alnum:]])(::)?($calls)[[:space:]]*\(|(^|[^_[:alnum:]])::(open|close|read|write|rename|stat)[[:space:]]*\(" $files |
    grep -vE "^[^:]+:[0-9]+:[[:space:]]*//"; then
    found=1
fi
# The environment's text is ANSI on Windows: src/ reads it through tk_environment.
# shellcheck disable=SC2086
if grep -nE "getenv[[:space:]]*\(" $(echo "$files" | grep '^src/'); then found=1; fi
if [ "$found" -ne 0 ]; then
    echo "system_calls_check.sh: the lines above call the operating system directly; go through toolkit/system.h" >&2
    exit 1
fi
echo "system_calls_check.sh: no direct system calls outside the system layer"
