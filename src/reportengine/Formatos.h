#pragma once
// Display formats of report fields, in the user's regional settings.

#include <QDate>
#include <QString>
#include <optional>

#include "core/Variante.h"

namespace quilmaro::reporte {

// A number written with a pattern of placeholders: "#" an optional digit, "0" a digit always
// written, "," anywhere in the whole part turns on digit grouping, "." starts the decimals.
// Text before the first placeholder and after the last one is copied as it is ("$#,##0.00").
// Separators come from the regional settings; rounding is half away from zero.
// formateaNumero(1234567.891, "##,###,##0.00") is "1,234,567.89" in es_MX.
QString formateaNumero(double valor, const QString& patron);

// Whether a pattern is a date pattern (letters d, m, y and no digit placeholders).
bool esPatronFecha(const QString& patron);

// A value as the report shows it. With an empty pattern: its ordinary text. With a number
// pattern: numbers, and texts that read whole as numbers, are formatted; other texts are left
// alone. With a date pattern: dates, and texts that read as dates, are formatted. Null and Empty
// give "".
QString formateaValor(const Variante& valor, const QString& patron);

// Reads a text as a number when the whole text is one (regional or "." decimals, optional
// group separators); false otherwise.
bool leeNumero(const QString& texto, double* valor);

// A date written by a database (year-month-day, maybe with a time) or as the regional settings
// write it; nothing for any other text.
std::optional<QDate> leeFechaTexto(const QString& texto);

}  // namespace quilmaro::reporte
