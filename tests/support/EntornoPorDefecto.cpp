// Compiled into every test program of the private test server: before main, each setting CTest
// did not give takes this build tree's value, so that the program also runs on its own (with the
// tree's server up) and finds the project's scripts and a work folder.

#include <QByteArray>

namespace {

const bool entornoPorDefecto = [] {
    const char* const valores[][2] = {{"MYSQL_UNIX_PORT", QUILMARO_SOCKET_DEFECTO},
                                      {"MYSQL_TCP_PORT", QUILMARO_PUERTO_DEFECTO},
                                      {"QUILMARO_SCRIPTS", QUILMARO_SCRIPTS_DEFECTO},
                                      {"QUILMARO_PRUEBA_DIR", QUILMARO_PRUEBA_DIR_DEFECTO}};
    for (const auto& v : valores)
        if (!qEnvironmentVariableIsSet(v[0]))
            qputenv(v[0], v[1]);
    return true;
}();

}  // namespace
