// Any text as the expression of a report field: it is parsed, bound to three sources shaped like
// the reports' (a letterhead, the invoices as detail rows, the customers joined to them) and
// evaluated on every row, its totals' arguments too, and the value is formatted as the layouts
// format numbers and dates. A failure may only be the engine's own message, and that message
// names the layout it is about. The text also serves as a number pattern.

#include <QDate>
#include <QHashFunctions>
#include <QRegularExpression>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "Entrada.h"
#include "core/Regional.h"
#include "reportengine/Datos.h"
#include "reportengine/Diseno.h"
#include "reportengine/Expresion.h"
#include "reportengine/Formatos.h"

namespace {

using namespace quilmaro;
using namespace quilmaro::reporte;

const QString kRuta = QStringLiteral("/fuzz/expresion.rpt");

// Values of every kind a field can hand out: texts (accents, quotes, one that reads as a number,
// one that reads as a date), numbers of each width, dates, NULL, Empty.
struct Tabla {
    QStringList columnas;
    QVector<QVector<Variante>> filas;
};

Tabla empresa() {
    return {{"Empresa", "Domicilio", "CP", "CiudadEstado", "Telefonos", "RFC", "ParaLasFechas"},
            {{"Abarrotes «La Güera» S.A.", "Av. Juárez 12", "06000", Variante::nulo(),
              "55 1234 5678", "AGU010101AB1", "Del 1 al 15 de marzo"}}};
}

Tabla facturas() {
    const QStringList c = {
        "RenglonLista", "Serie",  "Factura", "Fecha", "Cliente", "Nombre", "Subtotal", "IVA",
        "ImpuestoAd",   "A",      "B",       "T",     "N",       "F",      "D",        "Total",
        "Grande",       "Exacto", "Activo",  "Vacio"};
    QVector<QVector<Variante>> f;
    f.append({Variante(std::int32_t{2}),
              "A",
              Variante(std::int32_t{1001}),
              Variante(QDate(2009, 3, 5)),
              "C01",
              "José \"Pepe\" Núñez",
              Variante(1234.56),
              Variante(197.53),
              Variante::nulo(),
              Variante(std::int32_t{10}),
              Variante(4.0),
              "texto",
              Variante::nulo(),
              Variante(QDate(2009, 3, 5)),
              "12.5",
              Variante(99.5),
              Variante::largo64(std::numeric_limits<std::int64_t>::max()),
              Variante::decimal("-1234.50"),
              Variante(true),
              Variante()});
    f.append({Variante(std::int32_t{1}),
              "B",
              Variante(std::int16_t{-7}),
              Variante(QDateTime(QDate(1899, 12, 30), QTime(13, 5))),
              Variante(std::int32_t{7}),
              "",
              Variante(-0.005),
              Variante::nulo(),
              "1,234.50",
              Variante(0.0),
              Variante(-1e300),
              "2009-12-25",
              "",
              "31/02/2001",
              "1e308",
              Variante(std::nan("")),
              Variante::largo64(std::numeric_limits<std::int64_t>::min()),
              Variante::decimal("0.0001"),
              Variante(false),
              Variante::nulo()});
    f.append({Variante::nulo(),
              Variante::nulo(),
              "12A",
              "no es fecha",
              "c01 ",
              "ÑANDÚ ñandú ẞ 𝄞",
              Variante(1e15),
              Variante(0.16),
              Variante(2.675),
              Variante(std::int32_t{std::numeric_limits<std::int32_t>::min()}),
              Variante(std::numeric_limits<double>::infinity()),
              Variante::binario(QByteArray("\xff\x00"
                                           "ab",
                                           4)),
              Variante(QDate(9999, 12, 31)),
              Variante(QDate(100, 1, 1)),
              "-",
              Variante(1e-300),
              Variante::largo64(0),
              Variante::decimal("99999999999999999999.99"),
              Variante(std::int16_t{0}),
              "  "});
    return {c, f};
}

Tabla clientes() {
    return {{"Cliente", "Nombre", "Domicilio", "Colonia", "CP", "Ciudad", "Estado", "Telefono"},
            {{"C01", "José Núñez", "Calle 5 # 10", "Centro", "06000", "México", "CDMX",
              Variante::nulo()},
             {Variante(std::int32_t{7}), "Siete", Variante::nulo(), "", "", "", "", "7"}}};
}

std::unique_ptr<FuenteDatos> abre(const PeticionFuente& p) {
    const Tabla t = p.numero == 0 ? empresa() : (p.numero == 1 ? facturas() : clientes());
    return std::make_unique<FuenteMemoria>(t.columnas, t.filas);
}

// The layout the expression lives in: the sources and one group, so that every function binds.
std::unique_ptr<Diseno> diseno(std::unique_ptr<Expresion> expresion) {
    auto d = std::make_unique<Diseno>();
    d->ruta = kRuta;
    DefFuente e;
    e.numero = 0;
    e.nombre = QStringLiteral("empresa");
    e.local = true;
    e.tabla = QStringLiteral("Generales");
    DefFuente f;
    f.numero = 1;
    f.nombre = QStringLiteral("facturas");
    f.detalle = true;
    f.orden = QStringList{QStringLiteral("RenglonLista")};
    DefFuente c;
    c.numero = 2;
    c.nombre = QStringLiteral("clientes");
    c.campoEnlace = QStringLiteral("Cliente");
    c.fuentePadre = QStringLiteral("facturas");
    c.campoPadre = QStringLiteral("Cliente");
    d->fuentes = {e, f, c};
    Grupo g;
    g.expresion = Expresion::analiza(QStringLiteral("Serie"), Ubicacion{kRuta, 1, 1});
    d->grupos.push_back(std::move(g));
    Banda b;
    Elemento el;
    el.tipo = Elemento::Tipo::Campo;
    el.expresion = std::move(expresion);
    b.elementos.push_back(std::move(el));
    d->bandas.push_back(std::move(b));
    return d;
}

void comprueba(const ErrorReporte& e) {
    if (!e.mensaje().startsWith(QStringLiteral("Error en el diseño «%1»").arg(kRuta)))
        __builtin_trap();
}

// With QUILMARO_FUZZ_MENSAJES set, the engine's messages go to the standard error: to see how far
// an input gets when it is run by hand.
void muestra(const QString& mensaje) {
    static const bool mostrar = qEnvironmentVariableIsSet("QUILMARO_FUZZ_MENSAJES");
    if (mostrar)
        std::fprintf(stderr, "%s\n", qPrintable(mensaje));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    static const bool listo = [] {
        // Hashes (and with them the order of hashed containers) the same on every run.
        QHashSeed::setDeterministicGlobalSeed();
        return true;
    }();
    (void)listo;
    const QString texto = quilmaro::fuzz::textoDe(datos, largo);
    // The text as a number pattern too: a finite number is written with digits, whatever the
    // pattern. "nan" or "inf" may only come from the text copied around the placeholders (from
    // the first "#" or "0" to the last): "i#nf" writes "inf" for 0, whose "#" writes nothing.
    static const QRegularExpression marcas(QStringLiteral("[#0]"));
    const qsizetype primera = texto.indexOf(marcas);
    const qsizetype ultima = texto.lastIndexOf(marcas);
    const QString copiado = primera < 0 ? texto : texto.left(primera) + texto.mid(ultima + 1);
    for (const double n : {0.0, -1234.565, 1e300}) {
        const QString s = formateaNumero(n, texto);
        for (const char* raro : {"nan", "inf"}) {
            if (s.contains(QLatin1String(raro), Qt::CaseInsensitive) &&
                !copiado.contains(QLatin1String(raro), Qt::CaseInsensitive))
                __builtin_trap();
        }
    }
    try {
        auto d = diseno(Expresion::analiza(texto, Ubicacion{kRuta, 3, 7}));
        const Expresion& expr = *d->bandas.front().elementos.front().expresion;
        const QMap<int, QString> textos{{0, "mem:0"}, {1, "mem:1"}, {2, "mem:2"}};
        const auto cargados = Datos::carga(*d, textos, abre);
        std::vector<double> acumulados;
        for (size_t k = 0; k < d->agregados.size(); ++k)
            acumulados.push_back(k % 2 ? -1234.5 : 3.0);
        for (int fila = -1; fila < cargados->filas(); ++fila) {
            Contexto ctx;
            ctx.datos = cargados.get();
            ctx.fila = fila;
            ctx.pagina = fila + 2;
            ctx.paginas = fila < 1 ? 0 : 3;
            ctx.acumulados = &acumulados;
            ctx.hoy = QDate(2024, 3, 5);
            const Variante v = expr.evalua(ctx);
            muestra(v.aTexto());
            formateaValor(v, QString());
            formateaValor(v, QStringLiteral("##,###,##0.00"));
            formateaValor(v, QStringLiteral("dd/mmm/yy"));
            for (const Agregado& a : d->agregados) {
                if (a.origen != &expr)
                    __builtin_trap();
                Expresion::evaluaArgumento(a, ctx);
            }
        }
    } catch (const ErrorReporte& e) {
        muestra(e.mensaje());
        comprueba(e);
    }
    return 0;
}
