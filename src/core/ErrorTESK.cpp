#include "core/ErrorTESK.h"

#include "platform/Plataforma.h"

namespace quilmaro::errores {

Error deNumero(int numero) {
    switch (numero) {
        case ArgumentoNoValido:
            return {numero, QStringLiteral("Llamada a procedimiento o argumento no válidos")};
        case Desbordamiento:
            return {numero, QStringLiteral("Desbordamiento")};
        case TiposNoCoinciden:
            return {numero, QStringLiteral("No coinciden los tipos")};
        case NombreArchivoIncorrecto:
            return {numero, QStringLiteral("Nombre o número de archivo incorrecto")};
        case ArchivoNoEncontrado:
            return {numero, QStringLiteral("No se encontró el archivo")};
        case ErrorES:
            return {numero, QStringLiteral("Error de E/S en el dispositivo")};
        case DiscoLleno:
            return {numero, QStringLiteral("Disco lleno")};
        case DispositivoNoDisponible:
            return {numero, QStringLiteral("Dispositivo no disponible")};
        case PermisoDenegado:
            return {numero, QStringLiteral("Permiso denegado")};
        case AccesoRuta:
            return {numero, QStringLiteral("Error de acceso a la ruta o el archivo")};
        case RutaNoEncontrada:
            return {numero, QStringLiteral("No se ha encontrado la ruta de acceso")};
        case Reporte:
            return {numero, QStringLiteral("No se pudo preparar el reporte")};
        default:
            return {numero, QStringLiteral("Error %1").arg(numero)};
    }
}

void lanza(int numero) {
    throw ErrorTESK(deNumero(numero));
}

}  // namespace quilmaro::errores

namespace quilmaro {

void muestraError(const QString& texto, const QString& titulo) {
    muestraMensaje(texto, titulo, Botones::Aceptar, Icono::Critico);
}

}  // namespace quilmaro
