// Any text as the expression of a report field: it is parsed, bound to three sources shaped like
// the reports' (a letterhead, the invoices as detail rows, the customers joined to them) and
// evaluated on every row, its totals' arguments too, and the value is formatted as the layouts
// format numbers and dates. A failure may only be the engine's own message, and that message
// names the layout it is about. The text also serves as a number pattern.

#include <QDate>
#include <QRegularExpression>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "Entrada.h"
#include "reportengine/Datos.h"
#include "reportengine/Diseno.h"
#include "reportengine/Expresion.h"
#include "reportengine/Formatos.h"

namespace {

using namespace quilmaro;
using namespace quilmaro::reporte;
using fuzz::muestra;

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
    using V = Variante;
    constexpr auto k64 = std::numeric_limits<std::int64_t>::max();
    // clang-format off
    return {c,
            {{V(std::int32_t{2}), "A", V(std::int32_t{1001}), V(QDate(2009, 3, 5)), "C01",
              "José \"Pepe\" Núñez", V(1234.56), V(197.53), V::nulo(), V(std::int32_t{10}),
              V(4.0), "texto", V::nulo(), V(QDate(2009, 3, 5)), "12.5", V(99.5), V::largo64(k64),
              V::decimal("-1234.50"), V(true), V()},
             {V(std::int32_t{1}), "B", V(std::int16_t{-7}),
              V(QDateTime(QDate(1899, 12, 30), QTime(13, 5))), V(std::int32_t{7}), "", V(-0.005),
              V::nulo(), "1,234.50", V(0.0), V(-1e300), "2009-12-25", "", "31/02/2001", "1e308",
              V(std::nan("")), V::largo64(-k64 - 1), V::decimal("0.0001"), V(false), V::nulo()},
             {V::nulo(), V::nulo(), "12A", "no es fecha", "c01 ", "ÑANDÚ ñandú ẞ 𝄞", V(1e15),
              V(0.16), V(2.675), V(std::numeric_limits<std::int32_t>::min()),
              V(std::numeric_limits<double>::infinity()),
              V::binario(QByteArray("\xff\x00\x61\x62", 4)), V(QDate(9999, 12, 31)),
              V(QDate(100, 1, 1)), "-", V(1e-300), V::largo64(0),
              V::decimal("99999999999999999999.99"), V(std::int16_t{0}), "  "}}};
    // clang-format on
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
    d->fuentes = {
        DefFuente{.numero = 0, .nombre = "empresa", .local = true, .tabla = "Generales"},
        DefFuente{.numero = 1, .nombre = "facturas", .detalle = true, .orden = {"RenglonLista"}},
        DefFuente{.numero = 2,
                  .nombre = "clientes",
                  .campoEnlace = "Cliente",
                  .fuentePadre = "facturas",
                  .campoPadre = "Cliente"}};
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
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
            const Contexto ctx{.datos = cargados.get(),
                               .fila = fila,
                               .pagina = fila + 2,
                               .paginas = fila < 1 ? 0 : 3,
                               .acumulados = &acumulados,
                               .hoy = QDate(2024, 3, 5)};
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
