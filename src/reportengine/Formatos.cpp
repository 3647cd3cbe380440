#include "reportengine/Formatos.h"

#include <QDate>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "core/Regional.h"

namespace quilmaro::reporte {

namespace {

bool esMarca(QChar c) {
    return c == QLatin1Char('#') || c == QLatin1Char('0');
}

// Digits of a non-negative whole number with the group separator every three digits.
QString agrupa(const QString& digitos, const QString& separador) {
    QString salida;
    const qsizetype n = digitos.size();
    salida.reserve(n + n / 3 * separador.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            salida += separador;
        salida += digitos.at(i);
    }
    return salida;
}

}  // namespace

namespace {

// A number pattern: text before and after the placeholders, grouping, and how many digits.
struct PatronNumero {
    QString prefijo, sufijo;
    bool agrupar = false;
    int minEnteros = 0, minDecimales = 0, maxDecimales = 0;
};

// Nothing when the pattern has no placeholder ("#" or "0").
std::optional<PatronNumero> leePatron(const QString& patron) {
    // Prefix, placeholder run and suffix.
    qsizetype inicio = -1, fin = -1;
    for (qsizetype i = 0; i < patron.size(); ++i) {
        if (esMarca(patron.at(i))) {
            if (inicio < 0)
                inicio = i;
            fin = i;
        }
    }
    if (inicio < 0)
        return std::nullopt;
    // A "." or "," right after the last placeholder still belongs to the number only when a
    // placeholder follows it, which the run above already covers.
    PatronNumero r;
    r.prefijo = patron.left(inicio);
    r.sufijo = patron.mid(fin + 1);
    const QString cuerpo = patron.mid(inicio, fin - inicio + 1);
    const qsizetype punto = cuerpo.indexOf(QLatin1Char('.'));
    const QString entero = punto < 0 ? cuerpo : cuerpo.left(punto);
    const QString fraccion = punto < 0 ? QString() : cuerpo.mid(punto + 1);
    r.agrupar = entero.contains(QLatin1Char(','));
    r.minEnteros = static_cast<int>(entero.count(QLatin1Char('0')));
    for (QChar c : fraccion) {
        if (c == QLatin1Char('0')) {
            ++r.maxDecimales;
            r.minDecimales = r.maxDecimales;
        } else if (c == QLatin1Char('#')) {
            ++r.maxDecimales;
        }
    }
    return r;
}

}  // namespace

QString formateaNumero(double valor, const QString& patron) {
    if (!std::isfinite(valor))
        return QString();
    const std::optional<PatronNumero> leido = leePatron(patron);
    if (!leido)
        return patron;
    const auto& [prefijo, sufijo, agrupar, minEnteros, minDecimales, maxDecimales] = *leido;

    // The same rounding as every amount the program shows (the list's totals included).
    const double redondeado = std::fabs(redondeaMitad(valor, maxDecimales));
    const bool negativo = valor < 0 && redondeado != 0.0;

    QString digitos = QString::number(redondeado, 'f', maxDecimales);
    QString parteEntera = digitos, parteDecimal;
    const qsizetype p = digitos.indexOf(QLatin1Char('.'));
    if (p >= 0) {
        parteEntera = digitos.left(p);
        parteDecimal = digitos.mid(p + 1);
    }
    // Optional decimals ("#") drop their trailing zeros.
    while (parteDecimal.size() > minDecimales && parteDecimal.endsWith(QLatin1Char('0')))
        parteDecimal.chop(1);
    // Leading zeros of the whole part only as many as the pattern asks for.
    if (parteEntera == QLatin1String("0") && minEnteros == 0)
        parteEntera.clear();
    while (parteEntera.size() < minEnteros)
        parteEntera.prepend(QLatin1Char('0'));

    const QLocale loc = regional();
    if (agrupar)
        parteEntera = agrupa(parteEntera, loc.groupSeparator());
    // The sign stands before the whole amount, its text included: "-$4,611.00", as amounts
    // are written here (and as spreadsheets format them), not "$-4,611.00".
    QString salida;
    if (negativo)
        salida += QLatin1Char('-');
    salida += prefijo + parteEntera;
    if (!parteDecimal.isEmpty())
        salida += loc.decimalPoint() + parteDecimal;
    salida += sufijo;
    return salida;
}

bool esPatronFecha(const QString& patron) {
    bool letra = false;
    for (QChar c : patron) {
        if (esMarca(c))
            return false;
        const QChar m = c.toLower();
        if (m == QLatin1Char('d') || m == QLatin1Char('m') || m == QLatin1Char('y'))
            letra = true;
    }
    return letra;
}

bool leeNumero(const QString& texto, double* valor) {
    const QString t = texto.trimmed();
    if (t.isEmpty())
        return false;
    // Texts compared with texts (currencies, series, names) come here at every row, and asking
    // the locale costs thousands of instructions: without a digit only the forms of "inf" and
    // "nan" read as numbers.
    if (std::none_of(t.cbegin(), t.cend(), [](QChar c) { return c.isDigit(); }) &&
        !t.contains(QLatin1String("inf"), Qt::CaseInsensitive) &&
        !t.contains(QLatin1String("nan"), Qt::CaseInsensitive))
        return false;
    bool ok = false;
    const QLocale loc = regional();
    double v = loc.toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (ok && valor)
        *valor = v;
    return ok;
}

std::optional<QDate> leeFechaTexto(const QString& texto) {
    const QString t = texto.trimmed();
    // Dates written by databases: year-month-day, optionally with a time.
    const QDate iso = QDate::fromString(t.left(10), Qt::ISODate);
    if (iso.isValid() &&
        (t.size() == 10 || t.at(10) == QLatin1Char(' ') || t.at(10) == QLatin1Char('T')))
        return iso;
    return leeFechaRegional(t);
}

namespace {}  // namespace

QString formateaValor(const Variante& valor, const QString& patron) {
    using T = Variante::Tipo;
    if (valor.esNulo() || valor.esVacio())
        return QString();
    if (patron.isEmpty())
        return valor.aTexto();
    if (esPatronFecha(patron)) {
        if (valor.tipo() == T::Fecha)
            return formateaFecha(valor.fecha().date(), patron);
        if (valor.tipo() == T::Texto) {
            if (const auto f = leeFechaTexto(valor.texto()))
                return formateaFecha(*f, patron);
        }
        return valor.aTexto();
    }
    if (valor.esNumero())
        return formateaNumero(valor.aDoble(), patron);
    if (valor.tipo() == T::Texto) {
        double v = 0;
        if (leeNumero(valor.texto(), &v))
            return formateaNumero(v, patron);
    }
    return valor.aTexto();
}

}  // namespace quilmaro::reporte
