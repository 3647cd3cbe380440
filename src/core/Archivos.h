#pragma once
// File-system operations that differ between systems.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "core/ErrorTESK.h"

namespace quilmaro::archivos {

// Writes datos to `temporal` (created or emptied, flushed to the disk), then puts it in place of
// `destino` in one step. On any failure the temporary is removed and `destino` keeps its old
// content (or stays absent). Returns the error, or nothing on success.
std::optional<Error> reemplazaAtomico(const QString& destino, const QByteArray& datos,
                                      const QString& temporal);

// The same, with the temporary file created beside `destino` under a name of its own that no
// other file holds (created exclusively, so never through a link planted there): two copies of
// the program replacing the same file at once each write their own whole content, and the file
// ends up holding one of them.
std::optional<Error> reemplazaConTemporalUnico(const QString& destino, const QByteArray& datos);

// The names in a folder that begin with `prefijo` (in any letter case), in no order. One pass
// over the folder's entries without looking at each file: a folder of many thousands of files
// is read in a few milliseconds.
QStringList nombresQueEmpiezan(const QString& carpeta, const QString& prefijo);

// The hidden mark of the file system for a path's last component.
bool esOculto(const QString& ruta);

// A file marked in use for as long as the object lives (created empty when it is missing), so
// that another copy of the program cleaning up the same folder leaves it: on Windows the file
// stays open without delete sharing, elsewhere it holds a shared advisory lock (flock).
class ArchivoEnUso {
  public:
    explicit ArchivoEnUso(const QString& ruta);
    ~ArchivoEnUso();
    ArchivoEnUso(const ArchivoEnUso&) = delete;
    ArchivoEnUso& operator=(const ArchivoEnUso&) = delete;
    // Whether the mark could be taken.
    bool tomado() const;
    // Deletes the file and gives up the mark; true when the file is gone.
    bool borra();

  private:
    QString ruta_;
    std::intptr_t manejador_;
};

// Deletes a file unless a copy of the program has it in use (ArchivoEnUso); true when it is gone.
bool borraSiNoEstaEnUso(const QString& ruta);

}  // namespace quilmaro::archivos
