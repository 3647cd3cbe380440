// Any bytes as a layout file. Reading fails only with the engine's message naming the file; a
// layout that reads is run on rows in memory that hold every field its expressions name (values
// of every kind), laid out on pages and its first page painted. The pages must hold every row
// once, in order, and only what the layout can show (see comprueba).

#include <QGuiApplication>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "Entrada.h"
#include "reportengine/Datos.h"
#include "reportengine/Diseno.h"
#include "reportengine/Paginador.h"
#include "reportengine/Pintor.h"

namespace {

using namespace quilmaro;
using namespace quilmaro::reporte;
using fuzz::muestra;

const QString kRuta = QStringLiteral("/fuzz-sin-carpeta/diseno.rpt");
constexpr int kFilasDetalle = 12;
constexpr int kFilasOtras = 3;
constexpr int kMaxColumnas = 64;

// Takes note of every field the expressions name, and accepts it.
class Anotador : public ResolutorCampos {
  public:
    bool resuelve(const QString& fuente, const QString& campo, int* idxFuente, int* idxColumna,
                  QString*) const override {
        campos.append({fuente.toCaseFolded(), campo});
        *idxFuente = -1;
        *idxColumna = -1;
        return true;
    }
    mutable QList<QPair<QString, QString>> campos;
};

// The same name gives the same kind of value in every table, so that join keys meet. Only
// numbers (and NULL, Empty and texts that read as numbers) when soloNumeros: the totals of a
// layout then add up, and its run reaches the last page.
int clase(const QString& nombre, bool soloNumeros) {
    unsigned suma = 0;
    for (QChar c : nombre.toCaseFolded())
        suma = suma * 31 + c.unicode();
    static const int numericas[] = {1, 2, 5, 6};
    return soloNumeros ? numericas[suma % 4] : static_cast<int>(suma % 8);
}

Variante valor(int clase, int fila) {
    const int k = fila % 5;
    const Variante valores[] = {
        Variante(QStringLiteral("Núñez \"%1\" ñandú").arg(k)),
        Variante(1234.56 * (k - 2)),
        Variante(static_cast<std::int32_t>(1000 + k)),
        Variante(QDate(2009, 3, 5).addDays(k * 40)),
        k == 1 ? Variante::nulo() : Variante(QStringLiteral("C%1").arg(k)),
        Variante(QStringLiteral("%1,234.50").arg(k)),
        k == 3 ? Variante() : Variante(static_cast<std::int16_t>(-k)),
        Variante(QStringLiteral("una línea\ny otra más larga que su caja %1").arg(k))};
    return valores[clase];
}

// The columns of each source number: the fields named with the source's name, or with none,
// and the fields of its joins and its order.
QMap<int, QStringList> columnasPorFuente(const Diseno& d, const Anotador& a) {
    QMap<int, QStringList> columnas;
    auto agrega = [&](int numero, const QString& campo) {
        QStringList& c = columnas[numero];
        if (c.size() < kMaxColumnas && !c.contains(campo, Qt::CaseInsensitive))
            c << campo;
    };
    for (const DefFuente& f : d.fuentes) {
        columnas[f.numero];
        for (const auto& [fuente, campo] : a.campos) {
            if (fuente.isEmpty() || fuente == f.nombre.toCaseFolded())
                agrega(f.numero, campo);
        }
        if (!f.campoEnlace.isEmpty())
            agrega(f.numero, f.campoEnlace);
        for (const QString& c : f.orden)
            agrega(f.numero, c);
        for (const DefFuente& padre : d.fuentes) {
            if (padre.nombre.compare(f.fuentePadre, Qt::CaseInsensitive) == 0)
                agrega(padre.numero, f.campoPadre);
        }
    }
    return columnas;
}

// What the pages must hold: every detail row once per detail band and in order, the report
// header and footer once (the header on the first page), only known styles, images and bands, and
// every item on the paper.
void comprueba(const Documento& doc, const Diseno& d, int filas) {
    if (doc.paginas.empty())
        __builtin_trap();
    std::vector<int> siguienteFila(d.bandas.size(), 0);
    std::vector<int> veces(d.bandas.size(), 0);
    for (size_t i = 0; i < doc.paginas.size(); ++i) {
        for (const BandaColocada& b : doc.paginas[i].bandas) {
            if (b.banda < 0 || b.banda >= static_cast<int>(d.bandas.size()))
                __builtin_trap();
            const auto k = static_cast<size_t>(b.banda);
            ++veces[k];
            if (b.tipo == TipoBanda::Detalle && b.fila != siguienteFila[k]++)
                __builtin_trap();
            if (b.tipo == TipoBanda::EncabezadoReporte && i != 0)
                __builtin_trap();
        }
    }
    for (size_t k = 0; k < d.bandas.size(); ++k) {
        const TipoBanda t = d.bandas[k].tipo;
        if (t == TipoBanda::Detalle && siguienteFila[k] != filas)
            __builtin_trap();
        // A report footer with «por» prints once per value (at least once).
        const bool porValor = t == TipoBanda::PieReporte && d.bandas[k].por;
        if ((t == TipoBanda::EncabezadoReporte || t == TipoBanda::PieReporte) &&
            (porValor ? veces[k] < 1 : veces[k] != 1))
            __builtin_trap();
    }
    const QSizeF hoja = doc.pagina();
    constexpr double holgura = 0.5;  // mm; a pen's width may stick out
    for (const PaginaDocumento& p : doc.paginas) {
        for (const ElementoPagina& e : p.elementos) {
            const bool texto = e.tipo == ElementoPagina::Tipo::Texto;
            const bool imagen = e.tipo == ElementoPagina::Tipo::Imagen;
            if (texto && (e.indice < 0 || e.indice >= static_cast<int>(doc.estilos.size())))
                __builtin_trap();
            if (imagen && (e.indice < 0 || e.indice >= static_cast<int>(doc.imagenes.size())))
                __builtin_trap();
            const QRectF c = e.caja.normalized();
            if (c.left() < -holgura || c.top() < -holgura || c.right() > hoja.width() + holgura ||
                c.bottom() > hoja.height() + holgura)
                __builtin_trap();
        }
    }
}

// Loads rows for every field the layout names, lays the pages out, checks them and paints the
// first one.
void corre(Diseno& d, bool soloNumeros) {
    Anotador anotador;
    d.enlaza(anotador);
    const QMap<int, QStringList> columnas = columnasPorFuente(d, anotador);
    QMap<int, QString> textos;
    for (auto i = columnas.cbegin(); i != columnas.cend(); ++i)
        textos.insert(i.key(), QStringLiteral("mem:%1").arg(i.key()));
    auto abre = [&](const PeticionFuente& p) -> std::unique_ptr<FuenteDatos> {
        const QStringList c = columnas.value(p.numero);
        bool detalle = false;
        for (const DefFuente& f : d.fuentes)
            detalle = detalle || (f.numero == p.numero && f.detalle);
        QVector<QVector<Variante>> filas;
        for (int r = 0; r < (detalle ? kFilasDetalle : kFilasOtras); ++r) {
            QVector<Variante> fila;
            for (const QString& nombre : c)
                fila << valor(clase(nombre, soloNumeros), r);
            filas << fila;
        }
        return std::make_unique<FuenteMemoria>(c, filas);
    };
    const auto cargados = Datos::carga(d, textos, abre);
    const auto doc = paginaReporte(d, *cargados, QDate(2024, 3, 5));
    comprueba(*doc, d, cargados->filas());
    muestra(QStringLiteral("%1 página(s)").arg(doc->cuentaPaginas()));
    if (imagenDePagina(*doc, 0, 12).isNull())
        __builtin_trap();
}

}  // namespace

// fontconfig keeps the parts of a pattern as offsets from the pattern, not as pointers, so the
// leak checker cannot follow them: the patterns Qt caches for fallback fonts (those of a Chinese
// text, say) look lost while they are still held.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Fonts, their metrics and painting need the application object; it lives to the end.
    static QGuiApplication app(*argc, *argv);
    fuzz::prepara();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    const QByteArray xml(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    std::unique_ptr<Diseno> d;
    try {
        d = leeDisenoDeTexto(xml, kRuta);
    } catch (const ErrorReporte& e) {
        muestra(e.mensaje());
        // Every complaint about the file names it.
        if (!e.mensaje().contains(kRuta))
            __builtin_trap();
        return 0;
    }
    // First with values of every kind; when the data stops the run, again with numbers only.
    for (const bool soloNumeros : {false, true}) {
        try {
            corre(*d, soloNumeros);
            return 0;
        } catch (const ErrorReporte& e) {
            muestra(e.mensaje());
            if (e.mensaje().isEmpty())
                __builtin_trap();
        }
    }
    return 0;
}
