#pragma once
// Errors of the utility routines: the number and the description the program shows.

#include <QString>
#include <exception>

namespace quilmaro {

struct Error {
    int numero = 0;
    QString descripcion;
};

// A failure that reaches the caller of a utility method (invalid argument, overflow,
// type mismatch, file errors the method does not handle itself).
class ErrorTESK : public std::exception {
  public:
    ErrorTESK(int numero, QString descripcion)
        : error_{numero, std::move(descripcion)}, utf8_(error_.descripcion.toUtf8()) {}
    explicit ErrorTESK(Error e) : ErrorTESK(e.numero, std::move(e.descripcion)) {}
    int numero() const { return error_.numero; }
    const QString& descripcion() const { return error_.descripcion; }
    const Error& error() const { return error_; }
    const char* what() const noexcept override { return utf8_.constData(); }

  private:
    Error error_;
    QByteArray utf8_;
};

namespace errores {
// Numbers and wording of the runtime errors the program reports.
inline constexpr int ArgumentoNoValido = 5;
inline constexpr int Desbordamiento = 6;
inline constexpr int TiposNoCoinciden = 13;
inline constexpr int NombreArchivoIncorrecto = 52;  // also: no file open under that number
inline constexpr int ArchivoNoEncontrado = 53;
inline constexpr int ErrorES = 57;
inline constexpr int DiscoLleno = 61;
inline constexpr int DispositivoNoDisponible = 68;
inline constexpr int PermisoDenegado = 70;
inline constexpr int AccesoRuta = 75;
inline constexpr int RutaNoEncontrada = 76;
// A report that cannot be prepared, shown, printed or exported (layout, data, printer, file): the
// description is the whole message, naming what failed and where.
inline constexpr int Reporte = 20000;

Error deNumero(int numero);
[[noreturn]] void lanza(int numero);
}  // namespace errores

// Tells the clerk of a failure: a critical message box with an OK button, through the platform
// seam.
void muestraError(const QString& texto, const QString& titulo = QStringLiteral("Error"));

}  // namespace quilmaro
