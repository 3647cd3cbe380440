#include "db/ValoresSQL.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <cmath>

#include "core/libTESK.h"
#include "db/Conexion.h"
#include "db/TiposCampo.h"

namespace quilmaro {

namespace {

using namespace tipos;

bool esTexto(int t) {
    return t == adChar || t == adVarChar || t == adLongVarChar;
}

bool esBinario(int t) {
    return t == adBinary || t == adVarBinary || t == adLongVarBinary;
}

Variante textoDelServidor(const QByteArray& t) {
    return Variante(QString::fromUtf8(t));
}

// The server's "yyyy-mm-dd" at the start of t; an invalid date for anything else (the zero
// date, a short text). Read by hand: a report reads thousands of them.
QDate leeFecha(const QByteArray& t) {
    if (t.size() < 10 || t.at(4) != '-' || t.at(7) != '-')
        return {};
    int partes[3] = {0, 0, 0};
    const int desde[3] = {0, 5, 8};
    const int largo[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p)
        for (int i = desde[p]; i < desde[p] + largo[p]; ++i) {
            const char c = t.at(i);
            if (c < '0' || c > '9')
                return {};
            partes[p] = partes[p] * 10 + (c - '0');
        }
    return QDate(partes[0], partes[1], partes[2]);  // invalid for month 0, day 31 of April...
}

// "2024-03-05 09:41:07" and "2024-03-05 09:41:07.250000"; anything else (zero dates) gives an
// invalid value.
QDateTime leeFechaHora(const QByteArray& t) {
    const QString s = QString::fromLatin1(t);
    const QDate d = leeFecha(t);
    if (!d.isValid() || s.size() < 19 || s.at(10) != QLatin1Char(' '))
        return {};
    QTime h = QTime::fromString(s.mid(11, 8), QStringLiteral("HH:mm:ss"));
    if (!h.isValid())
        return {};
    if (s.size() > 20 && s.at(19) == QLatin1Char('.')) {
        const QString fraccion = (s.mid(20) + QStringLiteral("000")).left(3);
        h = h.addMSecs(fraccion.toInt());
    }
    return QDateTime(d, h, Qt::UTC);
}

QString textoFechaHora(const QDateTime& f) {
    QString s = f.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (f.time().msec() != 0)
        s += f.toString(QStringLiteral(".zzz"));
    return s;
}

}  // namespace

Variante decodificaValor(const ColumnaBdD& c, const ValorBdD& v) {
    if (!v)
        return Variante::nulo();
    const QByteArray& t = *v;
    switch (c.tipo) {
        case adTinyInt:
        case adUnsignedTinyInt:
        case adSmallInt:
            return Variante(static_cast<std::int16_t>(t.toShort()));
        case adUnsignedSmallInt:
        case adInteger:
            return Variante(static_cast<std::int32_t>(t.toInt()));
        case adUnsignedInt:
        case adBigInt:
            return Variante::largo64(t.toLongLong());
        case adUnsignedBigInt: {
            bool ok = false;
            const qlonglong n = t.toLongLong(&ok);
            return ok ? Variante::largo64(n) : Variante::decimal(QString::fromLatin1(t));
        }
        case adSingle:
        case adDouble:
            return Variante(t.toDouble());
        case adNumeric:
            try {
                return Variante::decimal(QString::fromLatin1(t));
            } catch (const ErrorTESK&) {
                return textoDelServidor(t);
            }
        case adBoolean:
            return Variante(!t.isEmpty() && t.at(0) != '\0' && t.at(0) != '0');
        case adDBDate: {
            const QDate d = t.size() == 10 ? leeFecha(t) : QDate();
            return d.isValid() ? Variante(d) : textoDelServidor(t);
        }
        case adDBTimeStamp: {
            const QDateTime f = leeFechaHora(t);
            return f.isValid() ? Variante(f) : textoDelServidor(t);
        }
        case adBinary:
        case adVarBinary:
        case adLongVarBinary:
            return Variante::binario(t);
        default:
            return textoDelServidor(t);
    }
}

QString numeroSQL(const Variante& v) {
    switch (v.tipo()) {
        case Variante::Tipo::Entero:
            return QString::number(v.entero());
        case Variante::Tipo::Largo:
            return QString::number(v.largo());
        case Variante::Tipo::Largo64:
            return QString::number(v.largo64());
        case Variante::Tipo::Doble:
            return QString::number(v.doble(), 'g', QLocale::FloatingPointShortest);
        case Variante::Tipo::Decimal:
            return v.decimalTexto();
        case Variante::Tipo::Booleano:
            return v.booleano() ? QStringLiteral("1") : QStringLiteral("0");
        default:
            return v.aTexto();
    }
}

ValorBdD textoParaServidor(const Variante& v, const ColumnaBdD& c) {
    using T = Variante::Tipo;
    if (c.tipo == adBoolean && !v.esNulo() && !v.esVacio() && v.tipo() != T::Binario)
        return QByteArray(1, v.aBooleano() ? '\1' : '\0');
    switch (v.tipo()) {
        case T::Nulo:
            return std::nullopt;
        case T::Vacio:
            if (esTexto(c.tipo) || esBinario(c.tipo))
                return QByteArray("");
            return std::nullopt;
        case T::Binario:
            return v.bytes();
        case T::Entero:
        case T::Largo:
        case T::Largo64:
        case T::Doble:
        case T::Decimal:
        case T::Booleano:
            return numeroSQL(v).toLatin1();
        case T::Fecha: {
            const QDateTime f = v.fecha();
            if (c.tipo == adDBDate)
                return f.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
            if (c.tipo == adDBTime)
                return f.toString(QStringLiteral("HH:mm:ss")).toLatin1();
            if (esTexto(c.tipo))
                return v.aTexto().toUtf8();
            return textoFechaHora(f).toLatin1();
        }
        case T::Texto:
            return v.texto().toUtf8();
    }
    return std::nullopt;
}

QString literalHexadecimal(const QByteArray& bytes) {
    return QStringLiteral("X'") + QString::fromLatin1(bytes.toHex().toUpper()) + QLatin1Char('\'');
}

QString literalSQL(const Variante& v, const ColumnaBdD& c, const Conexion& cnn) {
    const ValorBdD t = textoParaServidor(v, c);
    if (!t)
        return QStringLiteral("NULL");
    if (c.tipo == adBoolean && v.tipo() != Variante::Tipo::Binario)
        return !t->isEmpty() && t->at(0) != '\0' ? QStringLiteral("1") : QStringLiteral("0");
    if (v.tipo() == Variante::Tipo::Binario || esBinario(c.tipo))
        return literalHexadecimal(*t);
    if (v.esNumero())
        return QString::fromLatin1(*t);
    return QLatin1Char('\'') + cnn.escapa(QString::fromUtf8(*t)) + QLatin1Char('\'');
}

QString valorDeLista(const std::shared_ptr<Conexion>& cnn, int tipo, QString& valor) {
    const QString apostrofo(QLatin1Char('\''));
    switch (tipo) {
        case -1:
        case tipos::adChar:
        case tipos::adVarChar:
            return apostrofo + escapaPara(cnn, valor) + apostrofo;
        case tipos::adDBDate:
            if (tesk().AllTrim(valor).texto().toUpper().startsWith(QLatin1String("NOW"))) {
                valor = QStringLiteral("NOW()");
                return valor;
            }
            valor = tesk().FechaSQL(valor);
            return apostrofo + escapaPara(cnn, valor) + apostrofo;
        case tipos::adDBTimeStamp:
        case tipos::adDBTime: {
            // Written as SQL by the caller (NOW(), a bare value); one the caller quoted keeps its
            // quotes as quotes and only what stands between them is escaped.
            const QString t = valor.trimmed();
            if (t.size() >= 2 && t.startsWith(apostrofo) && t.endsWith(apostrofo)) {
                const QString dentro =
                    t.mid(1, t.size() - 2).replace(QStringLiteral("''"), apostrofo);
                return apostrofo + escapaPara(cnn, dentro) + apostrofo;
            }
            return escapaPara(cnn, valor);
        }
        default:
            // The classic numeric kinds and every other one.
            return escapaPara(cnn, valor);
    }
}

QString identificadorSQL(const QString& nombre) {
    QString n = nombre;
    n.replace(QLatin1Char('`'), QStringLiteral("``"));
    return QLatin1Char('`') + n + QLatin1Char('`');
}

QString escapaPara(const std::shared_ptr<Conexion>& cnn, const QString& valor) {
    if (cnn)
        return cnn->escapa(valor);
    static const Conexion sinConexion;
    return sinConexion.escapa(valor);
}

}  // namespace quilmaro
