#pragma once
// The failures of the report engine: one of the program's errors (number errores::Reporte) whose
// description is a message in Spanish, ready to be shown, that names the file, the line and what
// is wrong.

#include <QString>

#include "core/ErrorTESK.h"

namespace quilmaro::reporte {

class ErrorReporte : public ErrorTESK {
  public:
    explicit ErrorReporte(QString mensaje) : ErrorTESK(errores::Reporte, std::move(mensaje)) {}
    const QString& mensaje() const { return descripcion(); }
};

// Where something is in a layout file, for the messages.
struct Ubicacion {
    QString archivo;
    qint64 linea = 0;
    qint64 columna = 0;

    // "el diseño «/ruta/guia.rpt», línea 12, columna 5"
    QString texto() const;
};

}  // namespace quilmaro::reporte
