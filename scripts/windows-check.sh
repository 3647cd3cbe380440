#!/usr/bin/env bash
# Compiles, without producing anything, every source under src/ as the Windows build would see it
# (the Windows branches, SistemaWindows.cpp, and every other source, which must not reach for a
# call only Linux has): Debian's mingw-w64 cross compiler (posix threads, like Qt's Windows
# builds) against the Qt 6, MariaDB Connector/C and SQLite headers installed here, with the strict
# warnings of src/ as errors.
#   scripts/windows-check.sh
# The Qt headers are Linux's build of Qt; they decide the system from the compiler's own macros
# (_WIN32), so Q_OS_WIN is set and Q_OS_LINUX is not. Qt's own Windows configuration (what Qt6::Core
# adds to a Windows target) is given by hand below. What this cannot find: a Windows-only Qt
# feature missing from Linux's Qt configuration, and anything the linker or the running system
# would refuse.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/install-deps.sh"

compilador=x86_64-w64-mingw32-g++-posix
qt=$(qmake6 -query QT_INSTALL_HEADERS)
# sqlite3.h alone: the folder it sits in also holds the C library's headers, which must not stand
# before the cross compiler's own.
sqlite=$(mktemp -d)
trap 'rm -rf "$sqlite"' EXIT
ln -s /usr/include/sqlite3.h "$sqlite/sqlite3.h"
opciones=(
  -std=c++20 -fsyntax-only
  -Wall -Wextra -Wconversion -Wsign-conversion -Werror
  -DUNICODE -D_UNICODE -DWIN32 -DWIN64 -D_WIN64 -DMINGW_HAS_SECURE_API=1
  -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_PRINTSUPPORT_LIB -DQUILMARO_CON_MULTIMEDIA=1
  -I "$raiz/src"
  -isystem "$qt" -isystem "$qt/QtCore" -isystem "$qt/QtGui" -isystem "$qt/QtWidgets"
  -isystem "$qt/QtPrintSupport" -isystem "$qt/QtMultimedia"
  -isystem /usr/include/mariadb -isystem "$sqlite"
)

mapfile -t fuentes < <(cd "$raiz" && find src -name '*.cpp' | sort)

fallidos=()
for fuente in "${fuentes[@]}"; do
  if ! (cd "$raiz" && "$compilador" "${opciones[@]}" "$fuente"); then
    fallidos+=("$fuente")
  fi
done
if [ ${#fallidos[@]} -gt 0 ]; then
  echo "windows-check: does not compile for Windows: ${fallidos[*]}" >&2
  exit 1
fi
echo "windows-check: ${#fuentes[@]} sources compile for Windows"
