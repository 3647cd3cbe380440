#include "db/ErrorBdD.h"

namespace quilmaro {

ErrorBdD ErrorBdD::propio(int numero) {
    QString d;
    switch (numero) {
        case errores::SinObjeto:
            d = QStringLiteral("La variable de objeto no tiene asignado ningún objeto");
            break;
        case errores::ArgumentoIncorrecto:
            d = QStringLiteral(
                "El argumento no es del tipo esperado, está fuera del intervalo admitido o "
                "contradice a otro");
            break;
        case errores::SinRegistroActual:
            d = QStringLiteral(
                "No hay registro actual: la posición está antes del primero o después del "
                "último");
            break;
        case errores::NoActualizable:
            d = QStringLiteral(
                "El conjunto de registros no puede actualizar esa columna: no viene de una "
                "tabla con llave primaria entre las columnas leídas");
            break;
        case errores::CampoInexistente:
            d = QStringLiteral(
                "No hay en el conjunto de registros un campo con ese nombre o esa posición");
            break;
        case errores::RecordsetCerrado:
            d = QStringLiteral("La operación no se permite con el conjunto de registros cerrado");
            break;
        case errores::ObjetoAbierto:
            d = QStringLiteral("La operación no se permite con el objeto abierto");
            break;
        case errores::ConexionCerrada:
            d = QStringLiteral("La conexión está cerrada o no es válida para esta operación");
            break;
        case errores::FilaNoLocalizada:
            d = QStringLiteral(
                "No se encontró la fila que se iba a actualizar; pudo cambiar o borrarse "
                "después de leerla");
            break;
        default:
            d = QStringLiteral("Error %1").arg(numero);
            break;
    }
    return ErrorBdD(numero, d);
}

}  // namespace quilmaro
