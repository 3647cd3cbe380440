#pragma once
// The saved invoice list: one line per listed invoice, seven double-quoted fields separated by
// commas, Windows-1252 with CR LF. A double quote inside a field is written doubled.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/ErrorTESK.h"

namespace quilmaro::lista {

inline constexpr int kCampos = 7;

// The file's bytes for these records (each of kCampos texts; missing ones are empty).
QByteArray escribe(const QList<QStringList>& registros);

// The records of a file's text, read field after field, kCampos to a record: a quoted field runs
// to its closing quote (two quotes inside stand for one) and what follows it up to the next
// separator is dropped; an unquoted field runs to the next comma or line end, blanks around it
// dropped. Line ends separate fields like commas do. A short last record is filled with empty
// fields. Never fails, whatever the text. With lineas, the line (from 1) where each record
// begins is appended to it.
QList<QStringList> lee(const QString& contenido, QList<int>* lineas = nullptr);

// The invoice identifier a record's seventh field stands for: a whole number above zero written
// in decimal digits only (blanks around it allowed). Nothing for anything else ("12abc",
// "&H10", "1; DROP TABLE x", "1.5", ""), which names no invoice.
std::optional<qint64> identificador(const QString& campo);

// The whole file's bytes; an error when it cannot be read (missing, a folder, no permission,
// an input/output error).
std::optional<Error> leeArchivo(const QString& ruta, QByteArray& datos);

// Replaces the file with these records in one step, through a temporary file of its own beside
// it: a failure leaves the old file whole, and two copies saving at once leave one whole list.
std::optional<Error> graba(const QString& ruta, const QList<QStringList>& registros);

}  // namespace quilmaro::lista
