#include "db/Transaccion.h"

#include <atomic>

#include "db/Conexion.h"

namespace quilmaro {

namespace {

// Whether the connection is inside a transaction, told the same way by every server: outside
// one, a savepoint does not outlive its statement, so releasing it fails.
bool enTransaccion(Conexion& cnn) {
    cnn.ejecuta(QStringLiteral("SAVEPOINT quilmaro_sonda"));
    try {
        cnn.ejecuta(QStringLiteral("RELEASE SAVEPOINT quilmaro_sonda"));
        return true;
    } catch (const ErrorTESK& e) {
        if (e.numero() == errores::ServidorInalcanzable)
            throw;
        return false;
    }
}

// A savepoint name no other guard uses: a guard inside another one on the same connection must
// not replace the outer one's savepoint.
QString puntoNuevo() {
    static std::atomic<unsigned> cuenta{0};
    return QStringLiteral("quilmaro_%1").arg(++cuenta);
}

}  // namespace

Transaccion::Transaccion(Conexion& cnn) : cnn_(cnn) {
    if (enTransaccion(cnn_)) {
        punto_ = puntoNuevo();
        cnn_.ejecuta(QStringLiteral("SAVEPOINT ") + punto_);
    } else {
        cnn_.ejecuta(QStringLiteral("START TRANSACTION"));
    }
}

Transaccion::~Transaccion() {
    if (terminada_)
        return;
    try {
        if (propia()) {
            cnn_.ejecuta(QStringLiteral("ROLLBACK"));
        } else {
            cnn_.ejecuta(QStringLiteral("ROLLBACK TO SAVEPOINT ") + punto_);
            cnn_.ejecuta(QStringLiteral("RELEASE SAVEPOINT ") + punto_);
        }
    } catch (const ErrorTESK&) {
    }
}

void Transaccion::confirma() {
    cnn_.ejecuta(propia() ? QStringLiteral("COMMIT")
                          : QStringLiteral("RELEASE SAVEPOINT ") + punto_);
    terminada_ = true;
}

}  // namespace quilmaro
