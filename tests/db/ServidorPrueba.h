#pragma once
// Helpers of the tests that run against the private test server (its socket and port come in
// MYSQL_UNIX_PORT and MYSQL_TCP_PORT from CTest; a program started by hand gets this build tree's
// own values from tests/support/EntornoPorDefecto.cpp).

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <memory>
#include <optional>
#include <ostream>

#include "core/Globales.h"
#include "db/Conexion.h"
#include "db/Recordset.h"

// Texts in failure messages as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace quilmaro::prueba {

// A connection of the layer to a database of the test server, through its socket.
inline std::shared_ptr<Conexion> conecta(const QString& base) {
    auto c = Conexion::crea();
    c->setCadenaConexion(QStringLiteral("DATABASE=") + base + QStringLiteral(";UID=root;PWD=;"));
    c->abre();
    return c;
}

// The one value a query gives, as the server's text (nothing for NULL or no row).
inline std::optional<QByteArray> valorSQL(Conexion& cnn, const QString& sql) {
    std::shared_ptr<Recordset> rs = cnn.ejecuta(sql);
    if (!rs || rs->eof())
        return std::nullopt;
    return rs->campo(0).textoServidor();
}

inline long long cuentaSQL(Conexion& cnn, const QString& sql) {
    const auto v = valorSQL(cnn, sql);
    return v ? v->toLongLong() : -1;
}

// A database of this test program's own, created afresh, and a connection to it.
inline std::shared_ptr<Conexion> basePropia(const QString& nombre) {
    auto raiz = conecta(QStringLiteral("mysql"));
    raiz->ejecuta(QStringLiteral("DROP DATABASE IF EXISTS ") + nombre);
    raiz->ejecuta(QStringLiteral("CREATE DATABASE ") + nombre +
                  QStringLiteral(" CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci"));
    return conecta(nombre);
}

// An environment variable set for the life of the object.
class VariableDeEntorno {
  public:
    VariableDeEntorno(const char* nombre, const QByteArray& valor)
        : nombre_(nombre), habia_(qEnvironmentVariableIsSet(nombre)), antes_(qgetenv(nombre)) {
        qputenv(nombre, valor);
    }
    ~VariableDeEntorno() {
        if (habia_)
            qputenv(nombre_, antes_);
        else
            qunsetenv(nombre_);
    }

  private:
    const char* nombre_;
    bool habia_;
    QByteArray antes_;
};

// stServidor for the life of the object.
class ServidorGlobal {
  public:
    explicit ServidorGlobal(const QString& s) : antes_(stServidor) { stServidor = s; }
    ~ServidorGlobal() { stServidor = antes_; }

  private:
    QString antes_;
};

// Runs one of the project's scripts (QUILMARO_SCRIPTS) and answers its exit code.
inline int ejecutaScript(const QString& nombre, const QStringList& argumentos) {
    const QString carpeta = qEnvironmentVariable("QUILMARO_SCRIPTS");
    return QProcess::execute(QStringLiteral("bash"),
                             QStringList{carpeta + QLatin1Char('/') + nombre} + argumentos);
}

}  // namespace quilmaro::prueba
