#pragma once
// File-system operations that differ between systems.

#include <QByteArray>
#include <QString>
#include <optional>

#include "lib/ErrorTESK.h"

namespace quilmaro::archivos {

// Writes datos to `temporal` (created or emptied, flushed to the disk), then puts it in place of
// `destino` in one step. On any failure the temporary is removed and `destino` keeps its old
// content (or stays absent). Returns the error, or nothing on success.
std::optional<Error> reemplazaAtomico(const QString& destino, const QByteArray& datos,
                                      const QString& temporal);

// The hidden mark of the file system for a path's last component.
bool esOculto(const QString& ruta);

}  // namespace quilmaro::archivos
