#include "core/Variante.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "core/ErrorTESK.h"
#include "core/Regional.h"

namespace quilmaro {

namespace {

const QDate kOrigen(1899, 12, 30);

// Dates and times as written, in no zone: kept as UTC, never converted. Qt::UTC rather than a
// QTimeZone: the zone object is looked up anew each time, and a report makes one per date cell.
QDateTime ingenua(const QDate& d, const QTime& t) {
    return QDateTime(d, t, Qt::UTC);
}

// Text that reads as a number for the purposes of adding: the regional form (with group
// separators) or the plain form with a point.
bool textoANumero(const QString& s, double& salida) {
    const QString t = s.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    double v = regional().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok)
        return false;
    salida = v;
    return true;
}

double redondeaPar(double v) {
    return std::nearbyint(v);
}  // default mode: half to even

}  // namespace

Variante::Variante(const QDateTime& v) : valor_(ingenua(v.date(), v.time())) {}
Variante::Variante(const QDate& v) : valor_(ingenua(v, QTime(0, 0))) {}

Variante Variante::nulo() {
    Variante v;
    v.valor_ = NuloT{};
    return v;
}

Variante Variante::largo64(std::int64_t v) {
    Variante r;
    r.valor_ = v;
    return r;
}

Variante Variante::decimal(const QString& digitos) {
    static const QRegularExpression forma(QStringLiteral("^-?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (!forma.match(digitos).hasMatch())
        errores::lanza(errores::TiposNoCoinciden);
    Variante r;
    r.valor_ = DecimalT{digitos};
    return r;
}

Variante Variante::binario(const QByteArray& bytes) {
    Variante r;
    r.valor_ = bytes;
    return r;
}

Variante::Tipo Variante::tipo() const {
    switch (valor_.index()) {
        case 0:
            return Tipo::Vacio;
        case 1:
            return Tipo::Nulo;
        case 2:
            return Tipo::Entero;
        case 3:
            return Tipo::Largo;
        case 4:
            return Tipo::Doble;
        case 5:
            return Tipo::Texto;
        case 6:
            return Tipo::Fecha;
        case 7:
            return Tipo::Booleano;
        case 8:
            return Tipo::Largo64;
        case 9:
            return Tipo::Decimal;
        default:
            return Tipo::Binario;
    }
}

bool Variante::esNumero() const {
    const Tipo t = tipo();
    return t == Tipo::Entero || t == Tipo::Largo || t == Tipo::Doble || t == Tipo::Booleano ||
           t == Tipo::Largo64 || t == Tipo::Decimal;
}

double Variante::fechaASerie(const QDateTime& f) {
    const double dias = static_cast<double>(kOrigen.daysTo(f.date()));
    const double fraccion = f.time().msecsSinceStartOfDay() / 86400000.0;
    // Before the origin the fraction counts away from zero, as the serial dates do.
    return dias < 0 ? dias - fraccion : dias + fraccion;
}

QDateTime Variante::serieAFecha(double serie) {
    if (!std::isfinite(serie) || serie < -657434.0 || serie >= 2958466.0)
        errores::lanza(errores::Desbordamiento);
    double entera = std::trunc(serie);
    double fraccion = std::fabs(serie - entera);
    qint64 ms = std::llround(fraccion * 86400000.0);
    if (ms >= 86400000) {
        ms = 0;
        entera += serie < 0 ? -1 : 1;
    }
    return ingenua(kOrigen.addDays(static_cast<qint64>(entera)),
                   QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

double Variante::aDoble() const {
    switch (tipo()) {
        case Tipo::Vacio:
            return 0.0;
        case Tipo::Entero:
            return entero();
        case Tipo::Largo:
            return largo();
        case Tipo::Doble:
            return doble();
        case Tipo::Booleano:
            return booleano() ? -1.0 : 0.0;
        case Tipo::Fecha:
            return fechaASerie(fecha());
        case Tipo::Texto: {
            double v = 0;
            if (!textoANumero(texto(), v))
                errores::lanza(errores::TiposNoCoinciden);
            return v;
        }
        case Tipo::Largo64:
            return static_cast<double>(largo64());
        case Tipo::Decimal:
            return QLocale::c().toDouble(decimalTexto());
        case Tipo::Nulo:
        case Tipo::Binario:
            break;
    }
    errores::lanza(errores::TiposNoCoinciden);
}

std::int32_t Variante::aLargo() const {
    const double v = redondeaPar(aDoble());
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        errores::lanza(errores::Desbordamiento);
    return static_cast<std::int32_t>(v);
}

std::int16_t Variante::aEntero() const {
    const double v = redondeaPar(aDoble());
    if (v < std::numeric_limits<std::int16_t>::min() ||
        v > std::numeric_limits<std::int16_t>::max())
        errores::lanza(errores::Desbordamiento);
    return static_cast<std::int16_t>(v);
}

bool Variante::aBooleano() const {
    if (tipo() == Tipo::Texto) {
        const QString t = texto().trimmed();
        if (t.compare(QLatin1String("Verdadero"), Qt::CaseInsensitive) == 0 ||
            t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("Falso"), Qt::CaseInsensitive) == 0 ||
            t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return aDoble() != 0.0;
}

QDateTime Variante::aFecha() const {
    switch (tipo()) {
        case Tipo::Fecha:
            return fecha();
        case Tipo::Texto: {
            const auto f = leeFechaRegional(texto());
            if (f)
                return ingenua(*f, QTime(0, 0));
            break;
        }
        case Tipo::Nulo:
            break;
        default:
            return serieAFecha(aDoble());
    }
    errores::lanza(errores::TiposNoCoinciden);
}

QString Variante::aTexto() const {
    const QLocale loc = regional();
    switch (tipo()) {
        case Tipo::Vacio:
        case Tipo::Nulo:
            return QString();
        case Tipo::Entero:
            return QString::number(entero());
        case Tipo::Largo:
            return QString::number(largo());
        case Tipo::Doble: {
            QString s = QString::number(doble(), 'g', 15);
            s.replace(QLatin1Char('.'), loc.decimalPoint());
            return s;
        }
        case Tipo::Texto:
            return texto();
        case Tipo::Booleano:
            return booleano() ? QStringLiteral("Verdadero") : QStringLiteral("Falso");
        case Tipo::Fecha: {
            const QDateTime f = fecha();
            QString s = textoFechaRegional(f.date());
            if (f.time() != QTime(0, 0))
                s += QLatin1Char(' ') + f.time().toString(QStringLiteral("HH:mm:ss"));
            return s;
        }
        case Tipo::Largo64:
            return QString::number(largo64());
        case Tipo::Decimal: {
            QString s = decimalTexto();
            s.replace(QLatin1Char('.'), loc.decimalPoint());
            return s;
        }
        case Tipo::Binario:
            return QString::fromUtf8(bytes());
    }
    return QString();
}

namespace {

// Rank of the numeric kinds for widening: 16-bit < 32-bit < 64-bit < double (a decimal adds as
// a double).
int rango(Variante::Tipo t) {
    switch (t) {
        case Variante::Tipo::Booleano:
        case Variante::Tipo::Entero:
            return 0;
        case Variante::Tipo::Largo:
            return 1;
        case Variante::Tipo::Largo64:
            return 2;
        default:
            return 3;
    }
}

// Integer part of a value of rank 2 or less, exactly.
std::int64_t enteroExacto(const Variante& v) {
    switch (v.tipo()) {
        case Variante::Tipo::Booleano:
            return v.booleano() ? -1 : 0;
        case Variante::Tipo::Entero:
            return v.entero();
        case Variante::Tipo::Largo:
            return v.largo();
        default:
            return v.largo64();
    }
}

Variante sumaNumeros(const Variante& a, const Variante& b) {
    const int r = std::max(rango(a.tipo()), rango(b.tipo()));
    if (r == 2) {
        std::int64_t suma = 0;
        if (__builtin_add_overflow(enteroExacto(a), enteroExacto(b), &suma))
            errores::lanza(errores::Desbordamiento);
        return Variante::largo64(suma);
    }
    const double suma = a.aDoble() + b.aDoble();
    if (!std::isfinite(suma))
        errores::lanza(errores::Desbordamiento);
    if (r == 0 && suma >= std::numeric_limits<std::int16_t>::min() &&
        suma <= std::numeric_limits<std::int16_t>::max())
        return Variante(static_cast<std::int16_t>(suma));
    if (r <= 1 && suma >= std::numeric_limits<std::int32_t>::min() &&
        suma <= std::numeric_limits<std::int32_t>::max())
        return Variante(static_cast<std::int32_t>(suma));
    return Variante(suma);
}

}  // namespace

Variante Variante::suma(const Variante& a, const Variante& b) {
    using T = Tipo;
    if (a.esNulo() || b.esNulo())
        return nulo();
    if (a.esVacio() && b.esVacio())
        return Variante(std::int16_t{0});
    if (a.esVacio())
        return b;
    if (b.esVacio())
        return a;
    if (a.tipo() == T::Texto && b.tipo() == T::Texto)
        return Variante(a.texto() + b.texto());
    if (a.tipo() == T::Fecha || b.tipo() == T::Fecha) {
        if (a.tipo() == T::Fecha && b.tipo() == T::Fecha)
            return Variante(fechaASerie(a.fecha()) + fechaASerie(b.fecha()));
        const double serie = a.aDoble() + b.aDoble();
        return Variante(serieAFecha(serie));
    }
    if (a.tipo() == T::Texto || b.tipo() == T::Texto) {
        // The text becomes a double (type mismatch when it does not read as a number).
        const double suma = a.aDoble() + b.aDoble();
        if (!std::isfinite(suma))
            errores::lanza(errores::Desbordamiento);
        return Variante(suma);
    }
    return sumaNumeros(a, b);
}

}  // namespace quilmaro
