// Dates of libTESK: month lengths, leap years, typed dates, and the entry texts derived from
// the regional short date.

#include <QDate>

#include "core/Regional.h"
#include "core/libTESK.h"

namespace quilmaro {

// The user's short-date pattern, read back from 3 February 2001 written in it: "dd/mm/yyyy",
// "d/m/yy", "m/d/yyyy", "yyyy-mm-dd"... A month written as a name stays as it is.
QString PatronFecha() {
    const QString muestra = regional().toString(QDate(2001, 2, 3), QLocale::ShortFormat);
    QString p = muestra;
    if (muestra.contains(QLatin1String("2001")))
        p.replace(QLatin1String("2001"), QLatin1String("yyyy"));
    else
        p.replace(QLatin1String("01"), QLatin1String("yy"));
    if (muestra.contains(QLatin1String("02")))
        p.replace(QLatin1String("02"), QLatin1String("mm"));
    else
        p.replace(QLatin1String("2"), QLatin1String("m"));
    if (muestra.contains(QLatin1String("03")))
        p.replace(QLatin1String("03"), QLatin1String("dd"));
    else
        p.replace(QLatin1String("3"), QLatin1String("d"));
    return p;
}

bool libTESK::EsBisiesto(std::int16_t Anio) {
    const int a = Anio == 0 ? QDate::currentDate().year() : Anio;
    return a % 4 == 0 && (a % 100 != 0 || a % 400 == 0);
}

std::int16_t libTESK::UltimoDia(std::int16_t& Mes, std::int16_t& Anio) {
    const QDate hoy = QDate::currentDate();
    if (Mes == 0)
        Mes = static_cast<std::int16_t>(hoy.month());
    if (Anio == 0)
        Anio = static_cast<std::int16_t>(hoy.year());
    switch (Mes) {
        case 2:
            return EsBisiesto(Anio) ? 29 : 28;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        default:
            return 31;
    }
}

bool libTESK::FechaValida(const QString& sFecha) {
    if (AllTrim(sFecha).texto().isEmpty())
        return false;
    std::int16_t dia = 0, mes = 0, anio = 0;
    if (const auto f = leeFechaRegional(sFecha)) {
        dia = static_cast<std::int16_t>(f->day());
        mes = static_cast<std::int16_t>(f->month());
        anio = static_cast<std::int16_t>(f->year());
    }
    std::int16_t m = mes, a = anio;
    const std::int16_t largo = UltimoDia(m, a);
    return dia <= largo && anio >= 100 && anio <= 9999 && mes >= 1 && mes <= 12 && dia >= 1;
}

bool libTESK::ValidaFecha(QString& Fecha) {
    if (FechaValida(Fecha)) {
        if (const auto f = leeFechaRegional(Fecha)) {
            Fecha = formateaFecha(*f, QStringLiteral("dd/mmm/yyyy"));
            return true;
        }
    }
    Fecha = FechaVacia();
    return false;
}

QString libTESK::FechaVacia() {
    QString p = PatronFecha();
    p.replace(QLatin1Char('d'), QLatin1Char(' '));
    p.replace(QLatin1Char('m'), QLatin1Char(' '));
    p.replace(QLatin1Char('y'), QLatin1Char(' '));
    return p;
}

QString libTESK::MascaraFecha() {
    QString p = PatronFecha();
    p.replace(QLatin1Char('d'), QLatin1Char('#'));
    p.replace(QLatin1Char('m'), QLatin1Char('#'));
    p.replace(QLatin1Char('y'), QLatin1Char('#'));
    return p;
}

QString libTESK::FormatoFecha() {
    QString p = PatronFecha();
    if (p.contains(QLatin1String("mm")))
        p.replace(QLatin1String("mm"), QLatin1String("mmm"));
    else
        p.replace(QLatin1String("m"), QLatin1String("mmm"));
    return p;
}

}  // namespace quilmaro
