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
// regional separator ("03/02/2001" in es_MX, "02/03/2001" in en_US). leeFechaRegional reads it
// back.
QString textoFechaRegional(const QDate& fecha);

// Abbreviated month name of the regional language, in lower case and without a closing point
// ("feb" in Spanish, "feb" in English).
QString abreviaturaMes(int mes, const QLocale& loc);

// A date written with the program's format letters: "d"/"dd" day, "m"/"mm" month number,
// "mmm" abbreviated and "mmmm" full month name, "yy"/"yyyy" year; everything else as it is.
// formateaFecha(3 Feb 2001, "dd/mmm/yy") is "03/feb/01" in Spanish.
QString formateaFecha(const QDate& fecha, const QString& formato);

// valor rounded to `decimales` places, half away from zero; a half that binary fractions keep a
// hair below (2.675 is stored as 2.67499...) still rounds up, as a person reading it expects.
double redondeaMitad(double valor, int decimales);

// An amount as "##,###,##0.00" writes it: group separators and two decimals in the regional
// settings, "0.00" for zero, a leading "-" for negatives.
QString formateaImporte(double importe);

}  // namespace quilmaro
