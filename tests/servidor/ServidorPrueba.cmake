# Where the private test server of this build tree lives: QUILMARO_SERVIDOR_DIR, its socket
# QUILMARO_SERVIDOR_SOCKET and its TCP port QUILMARO_SERVIDOR_PUERTO. Each build tree gets its own
# folder and port (from the tree's path), so two trees can run their tests at the same time.
string(MD5 _quilmaro_huella "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${_quilmaro_huella}" 0 4 _quilmaro_h4)
math(EXPR QUILMARO_SERVIDOR_PUERTO "0x${_quilmaro_h4} % 10000 + 20000")
set(QUILMARO_SERVIDOR_DIR "${CMAKE_BINARY_DIR}/servidor-prueba")
string(LENGTH "${QUILMARO_SERVIDOR_DIR}/mariadb.sock" _quilmaro_largo)
if(_quilmaro_largo GREATER 100)
  # A Unix socket path holds at most 107 bytes.
  string(SUBSTRING "${_quilmaro_huella}" 0 12 _quilmaro_h12)
  set(QUILMARO_SERVIDOR_DIR "/tmp/quilmaro-servidor-${_quilmaro_h12}")
endif()
set(QUILMARO_SERVIDOR_SOCKET "${QUILMARO_SERVIDOR_DIR}/mariadb.sock")
