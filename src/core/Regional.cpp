#include "core/Regional.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <limits>

namespace quilmaro {

namespace {

std::optional<QLocale>& fijado() {
    static std::optional<QLocale> f;
    return f;
}

QString sinPuntos(QString s) {
    s.remove(QLatin1Char('.'));
    return s.trimmed();
}

// Month number of a name or abbreviation in the regional language (0 when none).
int mesPorNombre(const QString& palabra, const QLocale& loc) {
    const QString p = sinPuntos(palabra);
    if (p.isEmpty())
        return 0;
    for (int m = 1; m <= 12; ++m) {
        for (auto formato : {QLocale::LongFormat, QLocale::ShortFormat, QLocale::NarrowFormat}) {
            if (formato == QLocale::NarrowFormat)
                continue;
            for (const QString& nombre :
                 {loc.monthName(m, formato), loc.standaloneMonthName(m, formato)}) {
                if (!nombre.isEmpty() && sinPuntos(nombre).compare(p, Qt::CaseInsensitive) == 0)
                    return m;
            }
        }
    }
    // Three-letter abbreviations also read where the language's abbreviation is longer ("sept").
    if (p.size() >= 3) {
        for (int m = 1; m <= 12; ++m) {
            const QString largo = loc.monthName(m, QLocale::LongFormat);
            if (largo.startsWith(p, Qt::CaseInsensitive) && p.size() >= 3)
                return m;
        }
    }
    return 0;
}

struct Componente {
    QString texto;
    bool numero = false;
};

// Whether what follows the date is nothing or only a time of day.
bool soloHora(const QString& resto) {
    if (resto.trimmed().isEmpty())
        return true;
    static const QRegularExpression hora(QStringLiteral(
        R"(^(?:\s+|T)\d{1,2}:\d{2}(?::\d{2}(?:\.\d+)?)?\s*(?:[aApP]\.?\s?[mM]\.?)?\s*$)"));
    return hora.match(resto).hasMatch();
}

struct PartesDeFecha {
    int dia = 0;
    int mes = 0;  // 0 for a month name the language does not know
    QString textoAnio;
};

// Day, month and the year's text from the three components in the order they stand in: year
// first (three or four digits) is year-month-day whatever the regional order; else the regional
// order, with a month written as a word fixing where the month is.
std::optional<PartesDeFecha> partesDeFecha(const Componente (&c)[3], const QLocale& loc) {
    auto tomaMes = [&](const Componente& k) -> int {
        if (k.numero)
            return k.texto.toInt();
        return mesPorNombre(k.texto, loc);
    };
    if (c[0].numero && c[0].texto.size() >= 3) {
        if (!c[2].numero || c[2].texto.size() > 2)
            return std::nullopt;
        return PartesDeFecha{c[2].texto.toInt(), tomaMes(c[1]), c[0].texto};
    }
    OrdenFecha orden = ordenFecha(loc);
    if (orden == OrdenFecha::AMD)
        orden = OrdenFecha::DMA;  // short years first are ambiguous
    if (!c[0].numero && c[1].numero)
        orden = OrdenFecha::MDA;
    if (!c[1].numero && c[0].numero)
        orden = OrdenFecha::DMA;
    if (!c[0].numero && !c[1].numero)
        return std::nullopt;
    const Componente& kd = orden == OrdenFecha::DMA ? c[0] : c[1];
    const Componente& km = orden == OrdenFecha::DMA ? c[1] : c[0];
    if (!kd.numero || kd.texto.size() > 2)
        return std::nullopt;
    return PartesDeFecha{kd.texto.toInt(), tomaMes(km), c[2].texto};
}

int anioDeTexto(const QString& t) {
    const int v = t.toInt();
    if (t.size() <= 2)
        return v < 30 ? 2000 + v : 1900 + v;
    return v;
}

}  // namespace

QLocale regional() {
    if (fijado())
        return *fijado();
    QLocale sistema = QLocale::system();
    if (sistema.language() == QLocale::C || sistema.language() == QLocale::AnyLanguage) {
        // Made once: building a locale by language and country searches Qt's tables, and
        // reports ask for it for every number and date they print.
        static const QLocale mexico(QLocale::Spanish, QLocale::Mexico);
        return mexico;
    }
    return sistema;
}

void fijaRegional(const QLocale& loc) {
    fijado() = loc;
}
void restauraRegional() {
    fijado().reset();
}

OrdenFecha ordenFecha(const QLocale& loc) {
    const QString patron = loc.dateFormat(QLocale::ShortFormat);
    const qsizetype d = patron.indexOf(QLatin1Char('d'));
    const qsizetype m = patron.indexOf(QLatin1Char('M'));
    const qsizetype y = patron.indexOf(QLatin1Char('y'));
    if (y >= 0 && (d < 0 || y < d) && (m < 0 || y < m))
        return OrdenFecha::AMD;
    if (m >= 0 && d >= 0 && m < d)
        return OrdenFecha::MDA;
    return OrdenFecha::DMA;
}

std::optional<QDate> leeFechaRegional(const QString& texto) {
    return leeFechaRegional(texto, regional());
}

std::optional<QDate> leeFechaRegional(const QString& texto, const QLocale& loc) {
    // Three components: digits or letters, separated by "/", "-", "." or blanks (with blanks
    // allowed around a separator), then an optional time part.
    static const QRegularExpression re(
        QStringLiteral(
            R"(^\s*(\d{1,4}|[^\W\d_]+\.?)\s*(?:[/\-.]\s*|\s+)(\d{1,2}|[^\W\d_]+\.?)\s*(?:[/\-.]\s*|\s+)(\d{1,4})(.*)$)"),
        QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch mt = re.match(texto);
    if (!mt.hasMatch() || !soloHora(mt.captured(4)))
        return std::nullopt;

    Componente c[3];
    for (int i = 0; i < 3; ++i) {
        c[i].texto = mt.captured(i + 1);
        c[i].numero = !c[i].texto.isEmpty() && c[i].texto.at(0).isDigit();
    }
    const auto partes = partesDeFecha(c, loc);
    if (!partes)
        return std::nullopt;
    int anio = 0;
    if (partes->textoAnio.size() == 3 || partes->textoAnio.size() == 4) {
        anio = partes->textoAnio.toInt();
        if (anio < 100)
            return std::nullopt;
    } else {
        anio = anioDeTexto(partes->textoAnio);
    }
    if (partes->mes < 1 || partes->mes > 12)
        return std::nullopt;
    const QDate f(anio, partes->mes, partes->dia);
    if (!f.isValid())
        return std::nullopt;
    return f;
}

QString textoFechaRegional(const QDate& fecha) {
    const QLocale loc = regional();
    const QString patron = loc.dateFormat(QLocale::ShortFormat);
    // The separator is the first character of the pattern that is not a date letter.
    QChar sep = QLatin1Char('/');
    for (QChar ch : patron) {
        if (ch != QLatin1Char('d') && ch != QLatin1Char('M') && ch != QLatin1Char('y')) {
            sep = ch;
            break;
        }
    }
    const QString d = QStringLiteral("%1").arg(fecha.day(), 2, 10, QLatin1Char('0'));
    const QString m = QStringLiteral("%1").arg(fecha.month(), 2, 10, QLatin1Char('0'));
    const QString y = QStringLiteral("%1").arg(fecha.year(), 4, 10, QLatin1Char('0'));
    switch (ordenFecha(loc)) {
        case OrdenFecha::MDA:
            return m + sep + d + sep + y;
        case OrdenFecha::AMD:
            return y + sep + m + sep + d;
        case OrdenFecha::DMA:
            break;
    }
    return d + sep + m + sep + y;
}

QString abreviaturaMes(int mes, const QLocale& loc) {
    QString a = loc.monthName(mes, QLocale::ShortFormat).toLower();
    while (a.endsWith(QLatin1Char('.')))
        a.chop(1);
    return a;
}

QString formateaFecha(const QDate& fecha, const QString& formato) {
    const QLocale loc = regional();
    QString salida;
    const qsizetype n = formato.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = formato.at(i).toLower();
        qsizetype k = i;
        while (k < n && formato.at(k).toLower() == c)
            ++k;
        const qsizetype veces = k - i;
        if (c == QLatin1Char('d') && veces <= 2) {
            salida += veces == 2 ? QStringLiteral("%1").arg(fecha.day(), 2, 10, QLatin1Char('0'))
                                 : QString::number(fecha.day());
        } else if (c == QLatin1Char('m') && veces <= 4) {
            if (veces == 1)
                salida += QString::number(fecha.month());
            else if (veces == 2)
                salida += QStringLiteral("%1").arg(fecha.month(), 2, 10, QLatin1Char('0'));
            else if (veces == 3)
                salida += abreviaturaMes(fecha.month(), loc);
            else
                salida += loc.monthName(fecha.month(), QLocale::LongFormat).toLower();
        } else if (c == QLatin1Char('y') && (veces == 2 || veces == 4)) {
            salida += veces == 4
                          ? QStringLiteral("%1").arg(fecha.year(), 4, 10, QLatin1Char('0'))
                          : QStringLiteral("%1").arg(fecha.year() % 100, 2, 10, QLatin1Char('0'));
        } else {
            salida += formato.mid(i, veces);
        }
        i = k;
    }
    return salida;
}

double redondeaMitad(double valor, int decimales) {
    const double escala = std::pow(10.0, decimales);
    const double x = std::fabs(valor) * escala;
    // So many decimals that the scaled value leaves a double's range: the value has no digits
    // that far down, so there is nothing to round (and inf / inf would give NaN).
    if (!std::isfinite(x))
        return valor;
    double unidades = std::floor(x);
    const double tolerancia = std::max(x, 1.0) * 4 * std::numeric_limits<double>::epsilon();
    if (x - unidades >= 0.5 - tolerancia)
        unidades += 1.0;
    const double r = unidades / escala;
    return valor < 0 && r != 0.0 ? -r : r;
}

QString formateaImporte(double importe) {
    QLocale loc = regional();
    loc.setNumberOptions(loc.numberOptions() & ~QLocale::OmitGroupSeparator);
    const double centavos = redondeaMitad(importe, 2);
    return loc.toString(centavos == 0.0 ? 0.0 : centavos, 'f', 2);
}

}  // namespace quilmaro
