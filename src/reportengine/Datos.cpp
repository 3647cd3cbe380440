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
        const QString parecido = parecida(candidatas, fuente, campo);
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
    // The column nearest to campo among the candidates, if one is close enough to be a typing
    // slip: its bare name when that would find this very column, else source.field.
    QString parecida(const std::vector<int>& candidatas, const QString& fuente,
                     const QString& campo) const {
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
        return parecido;
    }

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

namespace {

ErrorReporte errorFuente(const DefFuente& def, const QString& texto, const QString& que) {
    return ErrorReporte(QStringLiteral("No se pudieron leer los datos del reporte: la fuente "
                                       "de datos %1 («%2», %3) %4")
                            .arg(def.numero)
                            .arg(def.nombre, texto, que));
}

}  // namespace

std::unique_ptr<Datos> Datos::carga(Diseno& diseno, const QMap<int, QString>& textos,
                                    const AbridorFuentes& abridor) {
    std::unique_ptr<Datos> d(new Datos);
    // Every source still open closes when this goes, however the load ends.
    std::vector<std::unique_ptr<FuenteDatos>> abiertas;
    for (const DefFuente& def : diseno.fuentes)
        abiertas.push_back(d->abre(def, textos, abridor));
    d->buscaEnlacesYOrden();
    // Fields of the expressions (an unknown one stops here, before any row is read).
    diseno.enlaza(ResolutorDatos(*d));
    for (size_t i = 0; i < d->tablas_.size(); ++i) {
        d->lee(d->tablas_[i], *abiertas[i], textos);
        abiertas[i].reset();
    }
    d->ordenaDetalle();
    d->enlazaTablas();
    return d;
}

std::unique_ptr<FuenteDatos> Datos::abre(const DefFuente& def, const QMap<int, QString>& textos,
                                         const AbridorFuentes& abridor) {
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
    // row (its rows never reach that far: see lee).
    for (const QString& c : def.opcionales) {
        if (buscaColumna(t.columnas, c) < 0)
            t.columnas << c;
    }
    t.usada.assign(static_cast<size_t>(t.columnas.size()), -1);
    tablas_.push_back(std::move(t));
    if (def.detalle)
        detalle_ = static_cast<int>(tablas_.size()) - 1;
    return f;
}

void Datos::buscaEnlacesYOrden() {
    for (size_t i = 0; i < tablas_.size(); ++i) {
        Tabla& t = tablas_[i];
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
                if (tablas_[j].def->nombre.compare(def.fuentePadre, Qt::CaseInsensitive) == 0)
                    t.padre = static_cast<int>(j);
            }
            Tabla& padre = tablas_[static_cast<size_t>(t.padre)];
            t.colPadre = buscaColumna(padre.columnas, def.campoPadre);
            if (t.colPadre < 0)
                throw falta(def.campoPadre, padre.def->nombre);
            usa(static_cast<int>(i), t.colEnlace);
            usa(t.padre, t.colPadre);
        }
        for (const QString& campo : def.orden) {
            const int c = buscaColumna(t.columnas, campo);
            if (c < 0)
                throw falta(campo, def.nombre);
            usa(static_cast<int>(i), c);
        }
    }
}

void Datos::lee(Tabla& t, FuenteDatos& fuente, const QMap<int, QString>& textos) {
    const bool unica = !t.def->detalle && t.def->campoEnlace.isEmpty();
    std::vector<int> columnas;  // source column for each kept position
    columnas.resize(static_cast<size_t>(t.guardadas));
    for (size_t c = 0; c < t.usada.size(); ++c) {
        if (t.usada[c] >= 0)
            columnas[static_cast<size_t>(t.usada[c])] = static_cast<int>(c);
    }
    std::vector<bool> usadas(t.usada.size());
    for (size_t c = 0; c < t.usada.size(); ++c)
        usadas[c] = t.usada[c] >= 0;
    fuente.leeSolo(usadas);
    QVector<Variante> fila;
    try {
        while (fuente.siguiente(fila)) {
            for (int c : columnas)
                t.valores.push_back(fila.value(c, Variante::nulo()));
            ++t.renglones;
            if (unica)
                break;  // only the first row is ever shown
            if (++leidas_ % kFilasPorPaseDeEventos == 0)
                plataforma().procesaEventos();
        }
    } catch (const ErrorReporte& e) {
        throw errorFuente(*t.def, textos.value(t.def->numero),
                          QStringLiteral("falló al leerse: %1").arg(e.mensaje()));
    }
}

void Datos::ordenaDetalle() {
    // The order of the source when the layout asks none.
    if (detalle_ < 0)
        return;
    const Tabla& t = tablas_[static_cast<size_t>(detalle_)];
    filas_ = t.renglones;
    orden_.resize(static_cast<size_t>(t.renglones));
    std::iota(orden_.begin(), orden_.end(), 0);
    std::vector<int> claves;
    for (const QString& campo : t.def->orden)
        claves.push_back(buscaColumna(t.columnas, campo));
    if (claves.empty())
        return;
    // Keys that are all numbers (the list's place, an amount) are read once and compared as
    // such, as compara does with two numbers.
    const size_t k = claves.size();
    std::vector<double> numeros;
    numeros.reserve(static_cast<size_t>(t.renglones) * k);
    for (int r = 0; r < t.renglones && numeros.size() == static_cast<size_t>(r) * k; ++r) {
        for (int c : claves) {
            const Variante& v = celda(t, r, c);
            if (!v.esNumero())
                break;
            numeros.push_back(v.aDoble());
        }
    }
    if (numeros.size() == static_cast<size_t>(t.renglones) * k) {
        std::stable_sort(orden_.begin(), orden_.end(), [&](int a, int b) {
            const double* x = &numeros[static_cast<size_t>(a) * k];
            const double* y = &numeros[static_cast<size_t>(b) * k];
            for (size_t i = 0; i < k; ++i) {
                if (x[i] < y[i] || x[i] > y[i])
                    return x[i] < y[i];
            }
            return false;
        });
        return;
    }
    std::stable_sort(orden_.begin(), orden_.end(), [&](int a, int b) {
        for (int c : claves) {
            const int r = compara(celda(t, a, c), celda(t, b, c));
            if (r != 0)
                return r < 0;
        }
        return false;
    });
}

void Datos::enlazaTablas() {
    for (Tabla& t : tablas_) {
        if (t.padre < 0)
            continue;
        QHash<QString, int> indice;
        for (int r = t.renglones - 1; r >= 0; --r) {
            const QString k = clave(celda(t, r, t.colEnlace));
            if (!k.isNull())
                indice.insert(k, r);
        }
        t.enlace.assign(static_cast<size_t>(filas_), -1);
        for (int f = 0; f < filas_; ++f) {
            const QString k = clave(valor(t.padre, t.colPadre, f));
            if (!k.isNull())
                t.enlace[static_cast<size_t>(f)] = indice.value(k, -1);
        }
    }
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
