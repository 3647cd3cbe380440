#pragma once
// Module routines behind some of libTESK's methods (the cipher, the printer-port check, the
// gradient and the folder dialog), and the pieces of them that tests reach directly.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "platform/Sistema.h"

class QWidget;

namespace quilmaro {

// --- Text cipher -------------------------------------------------------------------------------
// Direction 0 enciphers (adds the shift of each position), any other value deciphers.
QString CifraTexto(const QString& texto, std::int16_t direccion);

// --- Printer port ------------------------------------------------------------------------------
// Applies the port-name rule to `puerto` (also in the caller's variable), opens the port as a
// status check and closes it again. With `avisar`, every problem found is shown in a message.
// A port that cannot be opened, or whose status shows a fault, is not ready.
bool RevisaPuerto(QString& puerto, bool avisar);

namespace puerto {

// A blank or empty name becomes "LPT1"; a printer name (LPT1..LPT9, PRN, in any case and with
// blanks around it) is upper-cased. Any other name is the path of a device or file and stays as
// it is: on a case-sensitive file system its upper-case form would name another file.
void aplicaReglaDeNombre(QString& nombre);

// One message for each flag set in `banderas`, in the order the flags are checked; each ends
// with the port name.
QStringList mensajesDeEstado(std::uint32_t banderas, const QString& nombre);

// Shows the messages of `banderas` (when `avisar`) and tells whether the port is ready.
bool avisaEstado(std::uint32_t banderas, const QString& nombre, bool avisar);

}  // namespace puerto

// --- Volumes -----------------------------------------------------------------------------------
// The serial as eight upper-case hexadecimal digits followed directly by the label (cut at its
// first NUL); a blank label reads "(no label)".
QString textoDeVolumen(std::uint32_t serie, const QString& etiqueta);

// --- Window routines (GUI library) ---------------------------------------------------------------
// The blue gradient of Fade on the window's background.
void PintaDegradado(QWidget* Forma, std::int16_t Estilo);
// The folder dialog of Carpeta; empty text when cancelled.
QString EligeCarpeta(QWidget* frmVentana);

}  // namespace quilmaro
