#include "reportengine/Datos.h"

#include <algorithm>
#include <numeric>

#include "platform/Plataforma.h"

namespace quilmaro::reporte {

namespace {

// Rows read between two passes of pending events, so the windows keep painting.
constexpr int kFilasPorPaseDeEventos = 500;

int buscaColumna(const QStringList& columnas, const QString& nombre) {
    for (qsizetype i = 0; i < columnas.size(); ++i) {
        if (columnas[i].compare(nombre, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int distancia(const QString& a, const QString& b) {
    const QString x = a.toCaseFolded(), y = b.toCaseFolded();
    // Indexed like the texts, by qsizetype.
    QList<int> previa(y.size() + 1), actual(previa.size());
    std::iota(previa.begin(), previa.end(), 0);
    for (qsizetype i = 1; i <= x.size(); ++i) {
        actual[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= y.size(); ++j) {
            const int cambio = previa[j - 1] + (x[i - 1] == y[j - 1] ? 0 : 1);
            actual[j] = std::min({previa[j] + 1, actual[j - 1] + 1, cambio});
        }
        std::swap(previa, actual);
    }
    return previa.back();
}

// Join keys compare as a person reads them: numbers by value, texts without regard to case or
// surrounding blanks (as the server's usual collations do). A missing key matches nothing.
QString clave(const Variante& v) {
    if (v.esNulo() || v.esVacio())
        return QString();
    if (v.tipo() == Variante::Tipo::Fecha)
        return v.fecha().toString(Qt::ISODate);
    if (v.esNumero()) {
        const double d = v.aDoble();
        if (d == static_cast<double>(static_cast<qint64>(d)))
            return QString::number(static_cast<qint64>(d));
        return QString::number(d, 'g', 15);
    }
    return v.aTexto().trimmed().toCaseFolded();
}

int compara(const Variante& a, const Variante& b) {
    using T = Variante::Tipo;
    const bool na = a.esNulo() || a.esVacio(), nb = b.esNulo() || b.esVacio();
    if (na || nb)
        return na == nb ? 0 : (na ? -1 : 1);
    if (a.esNumero() && b.esNumero()) {
        const double x = a.aDoble(), y = b.aDoble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.tipo() == T::Fecha && b.tipo() == T::Fecha)
        return a.fecha() < b.fecha() ? -1 : (b.fecha() < a.fecha() ? 1 : 0);
    return QString::compare(a.aTexto(), b.aTexto(), Qt::CaseInsensitive);
}

}  // namespace

bool FuenteMemoria::siguiente(QVector<Variante>& fila) {
    if (i_ >= filas_.size())
        return false;
    fila = filas_[i_++];
    fila.resize(columnas_.size());
    return true;
}

std::unique_ptr<FuenteDatos> abreFuente(const PeticionFuente& p) {
    if (p.local)
        return abreTablaLocal(p.texto, p.tabla);
    return abreTablaServidor(p.texto);
}

class ResolutorDatos : public ResolutorCampos {
  public:
    explicit ResolutorDatos(Datos& d) : d_(d) {}

    bool resuelve(const QString& fuente, const QString& campo, int* idxFuente, int* idxColumna,
                  QString* error) const override {
        std::vector<int> candidatas;
        if (!fuente.isEmpty()) {
            for (size_t i = 0; i < d_.tablas_.size(); ++i) {
                if (d_.tablas_[i].def->nombre.compare(fuente, Qt::CaseInsensitive) == 0)
                    candidatas.push_back(static_cast<int>(i));
            }
            if (candidatas.empty()) {
                *error = QStringLiteral("la fuente «%1» no está declarada en el diseño (hay: %2)")
                             .arg(fuente, nombresFuentes());
                return false;
            }
        } else {
            // Without a source name: the detail source first, then the joined ones, then the rest.
            for (int paso = 0; paso < 3; ++paso) {
                for (size_t i = 0; i < d_.tablas_.size(); ++i) {
                    const DefFuente& def = *d_.tablas_[i].def;
                    const int clase = def.detalle ? 0 : (!def.campoEnlace.isEmpty() ? 1 : 2);
                    if (clase == paso)
                        candidatas.push_back(static_cast<int>(i));
                }
            }
        }
        for (int t : candidatas) {
            const int c = buscaColumna(d_.tablas_[static_cast<size_t>(t)].columnas, campo);
            if (c >= 0) {
                *idxFuente = t;
                *idxColumna = d_.usa(t, c);
                return true;
            }
        }
        // Not found: name the nearest column, if one is close enough to be a typing slip.
        QString parecido;
        int mejor = std::max<int>(2, static_cast<int>(campo.size()) / 3) + 1;
        for (int t : candidatas) {
            for (const QString& c : d_.tablas_[static_cast<size_t>(t)].columnas) {
                const int dist = distancia(campo, c);
                if (dist >= mejor)
                    continue;
                mejor = dist;
                // The bare name when it would find this very column; else source.field.
                int primera = -1;
                for (int u : candidatas) {
                    if (primera < 0 &&
                        buscaColumna(d_.tablas_[static_cast<size_t>(u)].columnas, c) >= 0)
                        primera = u;
                }
                parecido =
                    fuente.isEmpty() && primera == t
                        ? c
                        : d_.tablas_[static_cast<size_t>(t)].def->nombre + QLatin1Char('.') + c;
            }
        }
        const QString donde =
            fuente.isEmpty()
                ? QStringLiteral("en las fuentes del reporte (%1)").arg(nombresFuentes())
                : QStringLiteral("en la fuente «%1»").arg(fuente);
        *error = QStringLiteral("el campo «%1» no existe %2").arg(campo, donde);
        if (!parecido.isEmpty())
            *error += QStringLiteral("; ¿quiso decir «%1»?").arg(parecido);
        return false;
    }

  private:
    QString nombresFuentes() const {
        QStringList n;
        for (const auto& t : d_.tablas_)
            n << t.def->nombre;
        return n.join(QStringLiteral(", "));
    }
    Datos& d_;
};

int Datos::usa(int tabla, int columna) {
    Tabla& t = tablas_[static_cast<size_t>(tabla)];
    if (t.usada[static_cast<size_t>(columna)] < 0)
        t.usada[static_cast<size_t>(columna)] = t.guardadas++;
    return columna;
}

std::unique_ptr<Datos> Datos::carga(Diseno& diseno, const QMap<int, QString>& textos,
                                    const AbridorFuentes& abridor) {
    std::unique_ptr<Datos> d(new Datos);
    std::vector<std::unique_ptr<FuenteDatos>> abiertas;
    auto errorFuente = [](const DefFuente& def, const QString& texto, const QString& que) {
        return ErrorReporte(QStringLiteral("No se pudieron leer los datos del reporte: la fuente "
                                           "de datos %1 («%2», %3) %4")
                                .arg(def.numero)
                                .arg(def.nombre, texto, que));
    };

    // Open every source and learn its columns.
    for (const DefFuente& def : diseno.fuentes) {
        const QString texto = textos.value(def.numero).trimmed();
        if (texto.isEmpty())
            throw ErrorReporte(QStringLiteral("Error en %1: el diseño usa la fuente de datos %2 "
                                              "(«%3») y el programa no la indicó.")
                                   .arg(def.donde.texto())
                                   .arg(def.numero)
                                   .arg(def.nombre));
        PeticionFuente p{def.numero, texto, def.local, def.tabla};
        std::unique_ptr<FuenteDatos> f;
        try {
            f = abridor(p);
        } catch (const ErrorReporte& e) {
            throw errorFuente(def, texto, QStringLiteral("no se pudo abrir: %1").arg(e.mensaje()));
        }
        if (!f)
            throw errorFuente(def, texto, QStringLiteral("no se pudo abrir."));
        Tabla t;
        t.def = &def;
        t.columnas = f->columnas();
        // A column the layout declares optional and the table lacks reads as empty in every
        // row (its rows never reach that far: see the reading below).
        for (const QString& c : def.opcionales) {
            if (buscaColumna(t.columnas, c) < 0)
                t.columnas << c;
        }
        t.usada.assign(static_cast<size_t>(t.columnas.size()), -1);
        d->tablas_.push_back(std::move(t));
        abiertas.push_back(std::move(f));
        if (def.detalle)
            d->detalle_ = static_cast<int>(d->tablas_.size()) - 1;
    }

    // Join keys and ordering fields.
    for (size_t i = 0; i < d->tablas_.size(); ++i) {
        Tabla& t = d->tablas_[i];
        const DefFuente& def = *t.def;
        auto falta = [&](const QString& campo, const QString& fuente) {
            return ErrorReporte(
                QStringLiteral("Error en %1: el campo «%2» no existe en la fuente «%3».")
                    .arg(def.donde.texto(), campo, fuente));
        };
        if (!def.campoEnlace.isEmpty()) {
            t.colEnlace = buscaColumna(t.columnas, def.campoEnlace);
            if (t.colEnlace < 0)
                throw falta(def.campoEnlace, def.nombre);
            for (size_t j = 0; j < i; ++j) {
                if (d->tablas_[j].def->nombre.compare(def.fuentePadre, Qt::CaseInsensitive) == 0)
                    t.padre = static_cast<int>(j);
            }
            Tabla& padre = d->tablas_[static_cast<size_t>(t.padre)];
            t.colPadre = buscaColumna(padre.columnas, def.campoPadre);
            if (t.colPadre < 0)
                throw falta(def.campoPadre, padre.def->nombre);
            d->usa(static_cast<int>(i), t.colEnlace);
            d->usa(t.padre, t.colPadre);
        }
        for (const QString& campo : def.orden) {
            const int c = buscaColumna(t.columnas, campo);
            if (c < 0)
                throw falta(campo, def.nombre);
            d->usa(static_cast<int>(i), c);
        }
    }

    // Fields of the expressions (an unknown one stops here, before any row is read).
    diseno.enlaza(ResolutorDatos(*d));

    // Read the rows, keeping only the columns the report uses, and close each source.
    int leidas = 0;
    for (size_t i = 0; i < d->tablas_.size(); ++i) {
        Tabla& t = d->tablas_[i];
        const bool unica = !t.def->detalle && t.def->campoEnlace.isEmpty();
        std::vector<int> columnas;  // source column for each kept position
        columnas.resize(static_cast<size_t>(t.guardadas));
        for (size_t c = 0; c < t.usada.size(); ++c) {
            if (t.usada[c] >= 0)
                columnas[static_cast<size_t>(t.usada[c])] = static_cast<int>(c);
        }
        QVector<Variante> fila;
        try {
            while (abiertas[i]->siguiente(fila)) {
                for (int c : columnas)
                    t.valores.push_back(fila.value(c, Variante::nulo()));
                ++t.renglones;
                if (unica)
                    break;  // only the first row is ever shown
                if (++leidas % kFilasPorPaseDeEventos == 0)
                    plataforma().procesaEventos();
            }
        } catch (const ErrorReporte& e) {
            throw errorFuente(*t.def, textos.value(t.def->numero),
                              QStringLiteral("falló al leerse: %1").arg(e.mensaje()));
        }
        abiertas[i].reset();
    }

    // Detail rows in the order the layout asks for (the order of the source when it asks none).
    if (d->detalle_ >= 0) {
        const Tabla& t = d->tablas_[static_cast<size_t>(d->detalle_)];
        d->filas_ = t.renglones;
        d->orden_.resize(static_cast<size_t>(t.renglones));
        std::iota(d->orden_.begin(), d->orden_.end(), 0);
        std::vector<int> claves;
        for (const QString& campo : t.def->orden)
            claves.push_back(buscaColumna(t.columnas, campo));
        if (!claves.empty()) {
            const Datos& dd = *d;
            std::stable_sort(d->orden_.begin(), d->orden_.end(), [&](int a, int b) {
                for (int c : claves) {
                    const int r = compara(dd.celda(t, a, c), dd.celda(t, b, c));
                    if (r != 0)
                        return r < 0;
                }
                return false;
            });
        }
    }

    // Joins: each joined table points every detail row at its first matching row.
    for (Tabla& t : d->tablas_) {
        if (t.padre < 0)
            continue;
        QHash<QString, int> indice;
        for (int r = t.renglones - 1; r >= 0; --r) {
            const QString k = clave(d->celda(t, r, t.colEnlace));
            if (!k.isNull())
                indice.insert(k, r);
        }
        t.enlace.assign(static_cast<size_t>(d->filas_), -1);
        for (int f = 0; f < d->filas_; ++f) {
            const QString k = clave(d->valor(t.padre, t.colPadre, f));
            if (!k.isNull())
                t.enlace[static_cast<size_t>(f)] = indice.value(k, -1);
        }
    }
    return d;
}

Variante Datos::valor(int fuente, int columna, int fila) const {
    if (fuente < 0 || fuente >= static_cast<int>(tablas_.size()))
        return Variante::nulo();
    const Tabla& t = tablas_[static_cast<size_t>(fuente)];
    int r = 0;
    if (fuente == detalle_) {
        if (fila < 0 || fila >= filas_)
            return Variante::nulo();
        r = orden_[static_cast<size_t>(fila)];
    } else if (t.padre >= 0) {
        if (fila < 0 || fila >= filas_)
            return Variante::nulo();
        r = t.enlace[static_cast<size_t>(fila)];
        if (r < 0)
            return Variante::nulo();
    } else if (t.renglones == 0) {
        return Variante::nulo();
    }
    return celda(t, r, columna);
}

}  // namespace quilmaro::reporte
