#pragma once
// Text files in the single-byte code page of the program's files (Windows-1252, CR LF lines),
// read also when they were saved as UTF-8.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/ErrorTESK.h"

namespace quilmaro::texto {

// Windows-1252 bytes of s; a character the code page cannot hold becomes "?".
QByteArray aWindows1252(const QString& s);
QString deWindows1252(const QByteArray& bytes);

// UTF-8 when the bytes are valid UTF-8 holding something beyond ASCII (a leading byte-order mark
// is dropped), Windows-1252 otherwise.
QString decodifica(const QByteArray& bytes);

// Lines ended by CR LF, LF or CR. A last line without an ending counts; nothing after the last
// ending does.
QStringList separaLineas(const QString& s);

// Each line in Windows-1252 followed by CR LF, the last one included.
QByteArray codificaLineas(const QStringList& lineas);

// Reads a whole text file as lines. Returns the error (number and description) when it cannot.
std::optional<Error> leeLineas(const QString& ruta, QStringList& lineas);

// Error of the last failed system call on a file, as the program numbers it.
Error errorDeSistema(int codigoErrno);

}  // namespace quilmaro::texto
