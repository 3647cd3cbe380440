#include "core/ArchivoLista.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "core/Archivos.h"
#include "core/ArchivosTexto.h"

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
