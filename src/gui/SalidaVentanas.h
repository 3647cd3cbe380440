#pragma once
// The window library's side of the report output: the preview window for the screen, the
// system's printers for paper.

#include <QString>

#include "reportengine/ControlReporte.h"
#include "reportengine/Documento.h"

class QPrinter;

namespace quilmaro::reporte {

class VistaPrevia;

// Sends the document to the printer, full page, at the paper size of the layout, honouring a
// page range chosen in the printer's dialog. Failures are thrown as ErrorReporte.
void imprime(const Documento& doc, QPrinter& impresora);

// Prints on the named printer; an empty name is the system's default printer. A printer that is
// not there is thrown as ErrorReporte, naming the report that was not printed.
void imprimeEnImpresora(const Documento& doc, const QString& nombre);

// Makes the preview window and the printers the output of every ControlReporte. The program and
// the test programs that show or print reports call it once at start.
void instalaSalidaEnVentanas();

// The preview of the control's last run to the screen while it is open; otherwise null.
VistaPrevia* vistaDe(const ControlReporte& crp);

}  // namespace quilmaro::reporte
