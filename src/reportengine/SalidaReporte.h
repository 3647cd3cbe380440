#pragma once
// Where a finished report goes. The engine prepares, paints and exports its pages without
// windows; showing them in a preview and sending them to a printer belong to the window library,
// which installs its output once at start (before the first run).

#include <QObject>
#include <QString>
#include <memory>

#include "reportengine/Documento.h"
#include "reportengine/Paginador.h"

namespace quilmaro::reporte {

class SalidaReporte {
  public:
    virtual ~SalidaReporte() = default;

    // Opens a non-modal preview of the pages and returns it at once. Its first page is ready;
    // the preview shows the others as they come and asks for all of them before printing or
    // exporting. dueno (may be null) is the control's owner: a window the preview belongs to and
    // closes with.
    virtual QObject* muestra(std::shared_ptr<Paginacion> paginas, QObject* dueno) = 0;
    // Prints every page on the named printer; an empty name is the system's default printer.
    // Failures are thrown as ErrorReporte.
    virtual void imprime(const Documento& doc, const QString& impresora) = 0;

    // The output every control uses; not owned, null when none is installed.
    static void instala(SalidaReporte* salida);
    static SalidaReporte* instalada();
};

}  // namespace quilmaro::reporte
