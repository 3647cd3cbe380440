# Where the private test server of this build tree lives: QUILMARO_SERVIDOR_DIR, its socket
# QUILMARO_SERVIDOR_SOCKET and its TCP port QUILMARO_SERVIDOR_PUERTO. Each build tree gets its own
# folder and port (from the tree's path), so two trees can run their tests at the same time.
string(MD5 _quilmaro_huella "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${_quilmaro_huella}" 0 4 _quilmaro_h4)
math(EXPR QUILMARO_SERVIDOR_PUERTO "0x${_quilmaro_h4} % 10000 + 20000")
set(QUILMARO_SERVIDOR_DIR "${CMAKE_BINARY_DIR}/servidor-prueba")
string(LENGTH "${QUILMARO_SERVIDOR_DIR}-mysql8/mariadb.sock" _quilmaro_largo)
if(_quilmaro_largo GREATER 100)
  # A Unix socket path holds at most 107 bytes.
  string(SUBSTRING "${_quilmaro_huella}" 0 12 _quilmaro_h12)
  set(QUILMARO_SERVIDOR_DIR "/tmp/quilmaro-servidor-${_quilmaro_h12}")
endif()
set(QUILMARO_SERVIDOR_SOCKET "${QUILMARO_SERVIDOR_DIR}/mariadb.sock")

# The same server in the SQL modes of the field, each a fixture of its own (servidor_<mode>):
# MySQL 8.0's default sql_mode, and that with ANSI_QUOTES. Their ports keep clear of the ones the
# tests take next to the main server's (+1 to +23).
set(QUILMARO_MODOS mysql8 ansi)
set(_quilmaro_mysql8
    "ONLY_FULL_GROUP_BY,STRICT_TRANS_TABLES,NO_ZERO_IN_DATE,NO_ZERO_DATE,ERROR_FOR_DIVISION_BY_ZERO,NO_ENGINE_SUBSTITUTION")
set(QUILMARO_MODO_SQL_mysql8 "${_quilmaro_mysql8}")
set(QUILMARO_MODO_SQL_ansi "ANSI_QUOTES,${_quilmaro_mysql8}")
math(EXPR QUILMARO_SERVIDOR_PUERTO_mysql8 "${QUILMARO_SERVIDOR_PUERTO} + 50")
math(EXPR QUILMARO_SERVIDOR_PUERTO_ansi "${QUILMARO_SERVIDOR_PUERTO} + 60")
foreach(_quilmaro_modo ${QUILMARO_MODOS})
  set(QUILMARO_SERVIDOR_DIR_${_quilmaro_modo} "${QUILMARO_SERVIDOR_DIR}-${_quilmaro_modo}")
  set(QUILMARO_SERVIDOR_SOCKET_${_quilmaro_modo}
      "${QUILMARO_SERVIDOR_DIR}-${_quilmaro_modo}/mariadb.sock")
endforeach()
