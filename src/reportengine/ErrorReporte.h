#pragma once
// The one kind of failure the report engine reports: a message in Spanish, ready to be shown,
// that names the file, the line and what is wrong.

#include <QString>
#include <exception>

namespace quilmaro::reporte {

class ErrorReporte : public std::exception {
  public:
    explicit ErrorReporte(QString mensaje)
        : mensaje_(std::move(mensaje)), utf8_(mensaje_.toUtf8()) {}
    const QString& mensaje() const { return mensaje_; }
    const char* what() const noexcept override { return utf8_.constData(); }

  private:
    QString mensaje_;
    QByteArray utf8_;
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
