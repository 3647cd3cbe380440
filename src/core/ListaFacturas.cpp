#include "core/ListaFacturas.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cerrno>

#include "core/Archivos.h"
#include "core/ArchivosTexto.h"
#include "core/Regional.h"

namespace quilmaro::lista {

QByteArray escribe(const QList<QStringList>& registros) {
    QStringList lineas;
    lineas.reserve(registros.size());
    for (const QStringList& r : registros) {
        QString linea;
        for (int c = 0; c < kCampos; ++c) {
            if (c > 0)
                linea += QLatin1Char(',');
            QString campo = r.value(c);
            campo.replace(QLatin1String("\""), QLatin1String("\"\""));
            linea += QLatin1Char('"') + campo + QLatin1Char('"');
        }
        lineas.append(linea);
    }
    return texto::codificaLineas(lineas);
}

namespace {

class Lector {
  public:
    explicit Lector(const QString& t) : t_(t) {}

    bool alFinal() const { return i_ >= t_.size(); }
    qsizetype posicion() const { return i_; }

    // Skips blank lines and blanks before a record.
    void saltaVacios() {
        while (!alFinal() && esEspacio(t_.at(i_)))
            ++i_;
    }

    QString campo() {
        while (!alFinal() && esBlanco(t_.at(i_)))
            ++i_;
        QString valor;
        if (!alFinal() && t_.at(i_) == QLatin1Char('"')) {
            ++i_;
            while (!alFinal()) {
                const QChar c = t_.at(i_++);
                if (c == QLatin1Char('"')) {
                    if (!alFinal() && t_.at(i_) == QLatin1Char('"')) {
                        valor += c;
                        ++i_;
                        continue;
                    }
                    break;
                }
                valor += c;
            }
            // Whatever stands between the closing quote and the separator is dropped.
            while (!alFinal() && !esSeparador(t_.at(i_)))
                ++i_;
        } else {
            while (!alFinal() && !esSeparador(t_.at(i_)))
                valor += t_.at(i_++);
            while (!valor.isEmpty() && esBlanco(valor.back()))
                valor.chop(1);
        }
        consumeSeparador();
        return valor;
    }

  private:
    static bool esBlanco(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
    static bool esFinDeLinea(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }
    static bool esEspacio(QChar c) { return esBlanco(c) || esFinDeLinea(c); }
    static bool esSeparador(QChar c) { return c == QLatin1Char(',') || esFinDeLinea(c); }

    void consumeSeparador() {
        if (alFinal())
            return;
        const QChar c = t_.at(i_++);
        if (c == QLatin1Char('\r') && !alFinal() && t_.at(i_) == QLatin1Char('\n'))
            ++i_;
    }

    const QString& t_;
    qsizetype i_ = 0;
};

}  // namespace

QList<QStringList> lee(const QString& contenido, QList<int>* lineas) {
    QList<QStringList> registros;
    Lector l(contenido);
    // Line count up to `contados` (CR LF, CR and LF each end a line).
    int linea = 1;
    qsizetype contados = 0;
    while (true) {
        l.saltaVacios();
        if (l.alFinal())
            break;
        if (lineas) {
            for (; contados < l.posicion(); ++contados) {
                const QChar c = contenido.at(contados);
                if (c == QLatin1Char('\n') ||
                    (c == QLatin1Char('\r') && (contados + 1 >= contenido.size() ||
                                                contenido.at(contados + 1) != QLatin1Char('\n'))))
                    ++linea;
            }
            lineas->append(linea);
        }
        QStringList r;
        for (int c = 0; c < kCampos; ++c)
            r.append(l.alFinal() ? QString() : l.campo());
        registros.append(r);
    }
    return registros;
}

std::optional<qint64> identificador(const QString& campo) {
    const QString t = campo.trimmed();
    if (t.isEmpty() || t.size() > 15)
        return std::nullopt;
    qint64 valor = 0;
    for (const QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        valor = valor * 10 + (c.unicode() - '0');
    }
    if (valor <= 0)
        return std::nullopt;
    return valor;
}

std::optional<Error> leeArchivo(const QString& ruta, QByteArray& datos) {
    if (QFileInfo(ruta).isDir())
        return Error{errores::AccesoRuta, QStringLiteral("es una carpeta, no un archivo")};
    QFile f(ruta);
    errno = 0;
    if (!f.open(QIODevice::ReadOnly))
        return texto::errorDeSistema(errno ? errno : ENOENT);
    errno = 0;
    datos = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return texto::errorDeSistema(errno ? errno : EIO);
    return std::nullopt;
}

std::optional<Error> graba(const QString& ruta, const QList<QStringList>& registros) {
    return archivos::reemplazaConTemporalUnico(ruta, escribe(registros));
}

}  // namespace quilmaro::lista

namespace quilmaro {

QStringList renglonDe(const Factura& f) {
    QString fecha;
    if (f.fecha.tipo() == Variante::Tipo::Fecha)
        fecha = formateaFecha(f.fecha.fecha().date(), QStringLiteral("dd/mmm/yy"));
    else if (!f.fecha.esNulo())
        fecha = f.fecha.aTexto();
    return {f.serie,   f.numero, fecha,
            f.cliente, f.nombre, f.total ? formateaImporte(*f.total) : QString(),
            f.id};
}

bool ListaFacturas::existe() const {
    const QFileInfo fi(ruta_);
    return fi.exists() || fi.isSymLink();
}

namespace {

// How a left-out record is named: its line, and what it holds instead of an identifier.
QString renglonSinFactura(int linea, const QString& campo) {
    QString visto = campo.simplified();
    if (visto.size() > 30)
        visto = visto.left(30) + QStringLiteral("…");
    return QStringLiteral("renglón %1 (identificador «%2»)").arg(linea).arg(visto);
}

}  // namespace

std::optional<Error> ListaFacturas::lee(QStringList* dejados) {
    QByteArray datos;
    if (auto e = lista::leeArchivo(ruta_, datos)) {
        ilegible_ = e;
        return e;
    }
    ilegible_.reset();
    filas_.clear();
    QList<int> lineas;
    const QList<QStringList> registros = lista::lee(texto::decodifica(datos), &lineas);
    QHash<qint64, int> lineaDe;
    for (qsizetype i = 0; i < registros.size(); ++i) {
        const QStringList& r = registros.at(i);
        if (std::all_of(r.begin(), r.end(), [](const QString& c) { return c.trimmed().isEmpty(); }))
            continue;  // the saved form of the empty list
        const QString campo = r.value(lista::kCampos - 1);
        const auto id = lista::identificador(campo);
        if (!id || lineaDe.contains(*id)) {
            if (dejados)
                dejados->append(id ? QStringLiteral("renglón %1 (repite la factura del renglón %2)")
                                         .arg(lineas.at(i))
                                         .arg(lineaDe.value(*id))
                                   : renglonSinFactura(lineas.at(i), campo));
            continue;
        }
        lineaDe.insert(*id, lineas.at(i));
        filas_.append(r);
    }
    return std::nullopt;
}

std::optional<Error> ListaFacturas::graba(const QList<QStringList>& filas) {
    if (auto e = lista::graba(ruta_, filas))
        return e;
    filas_ = filas;
    ilegible_.reset();
    return std::nullopt;
}

std::optional<Error> ListaFacturas::motivoIlegible() const {
    if (existe()) {
        QByteArray datos;
        if (auto e = lista::leeArchivo(ruta_, datos))
            return e;
    }
    return ilegible_;
}

QStringList ListaFacturas::identificadores(const QList<QStringList>& filas) {
    QStringList ids;
    for (const QStringList& f : filas)
        ids.append(f.value(lista::kCampos - 1));
    return ids;
}

QStringList ListaFacturas::nombres(const QList<QStringList>& filas) {
    QStringList n;
    for (const QStringList& f : filas)
        n.append(f.value(0) + QLatin1Char('-') + f.value(1));
    return n;
}

}  // namespace quilmaro
