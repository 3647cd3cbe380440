#pragma once
// The user's regional settings: the system locale, or es_MX when the system has none (C/POSIX).

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

namespace quilmaro {

QLocale regional();

// Replaces the regional settings for this process (tests pin the locale they assume).
// An invalid or C locale given here is used as given; call restauraRegional() to go back.
void fijaRegional(const QLocale& loc);
void restauraRegional();

// Order of day, month and year in the regional short date.
enum class OrdenFecha { DMA, MDA, AMD };
OrdenFecha ordenFecha(const QLocale& loc);

// Reads a date written by a person: day, month and year in the regional order with "/", "-", "."
// or blanks between them; the month as a number, name or abbreviation of the regional language in
// any letter case; a two-digit year falls in 1930-2029; a four-digit year first means
// year-month-day. A time after the date is ignored. Dates that do not exist do not read.
std::optional<QDate> leeFechaRegional(const QString& texto);
std::optional<QDate> leeFechaRegional(const QString& texto, const QLocale& loc);

// A date in the regional order with two-digit day and month and a four-digit year, with the
// regional separator ("03/02/2001" in es_MX, "02/03/2001" in en_US). leeFechaRegional reads it back.
QString textoFechaRegional(const QDate& fecha);

}  // namespace quilmaro
