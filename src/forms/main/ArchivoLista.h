#pragma once
// The saved invoice list: one line per listed invoice, seven double-quoted fields separated by
// commas, Windows-1252 with CR LF. A double quote inside a field is written doubled.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace quilmaro::lista {

inline constexpr int kCampos = 7;

// The file's bytes for these records (each of kCampos texts; missing ones are empty).
QByteArray escribe(const QList<QStringList>& registros);

// The records of a file's text, read field after field, kCampos to a record: a quoted field runs
// to its closing quote (two quotes inside stand for one) and what follows it up to the next
// separator is dropped; an unquoted field runs to the next comma or line end, blanks around it
// dropped. Line ends separate fields like commas do. A short last record is filled with empty
// fields. Never fails, whatever the text.
QList<QStringList> lee(const QString& contenido);

}  // namespace quilmaro::lista
