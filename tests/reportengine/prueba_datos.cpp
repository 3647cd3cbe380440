// Loading the data of a run: joined sources, row order, single-row sources, and every source
// closed when loading returns.

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "AyudaMotor.h"
#include "reportengine/ErrorReporte.h"

using namespace quilmaro;
using namespace quilmaro::prueba;
using namespace quilmaro::reporte;

namespace {

// Files the process holds open.
QStringList archivosAbiertos() {
    QStringList r;
    for (const QFileInfo& f :
         QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        r << f.symLinkTarget();
    return r;
}

}  // namespace

// Keys match as a person reads them (case, blanks, 7 and "7"); only the first match counts; a
// NULL key matches nothing; a source joined to a joined source follows it. A source that is not
// the detail gives every row its first row, or nothing when it has none.
TEST(Datos, UnionPorClaveComoLaLeeUnaPersonaYEnCadena) {
    const QByteArray fuentes =
        "<fuente numero='0' nombre='e' tipo='local' tabla='G'/>"
        "<fuente numero='1' nombre='f' detalle='si'/>"
        "<fuente numero='2' nombre='c' enlace='Clave' con='f.Cliente'/>"
        "<fuente numero='3' nombre='z' enlace='Zona' con='c.Zona'/>";
    TablaPrueba f{1, {"Cliente"}, {}};
    for (const Variante& v : {Variante("c001"), Variante(" C001 "), Variante(std::int32_t{7}),
                              Variante("7"), Variante::nulo(), Variante("C999"), Variante("C002")})
        f.filas.append({v});
    TablaPrueba c{2, {"Clave", "Nombre", "Zona"}, {}};
    c.filas = {{Variante("C001"), Variante("Primero"), Variante("N")},
               {Variante("C001"), Variante("Repetido"), Variante("S")},
               {Variante(7.0), Variante("Siete"), Variante("S")},
               {Variante::nulo(), Variante("Sin clave"), Variante("N")},
               {Variante("c002"), Variante("Segundo"), Variante("X")}};
    TablaPrueba z{3,
                  {"Zona", "Ruta"},
                  {{Variante("S"), Variante("Ruta sur")}, {Variante("N"), Variante("Ruta norte")}}};
    TablaPrueba e{0, {"Empresa"}, {{Variante("E1")}, {Variante("E2")}}}, vacia{0, {"Empresa"}, {}};
    // Every detail row stays, matched or not, in its own order.
    EXPECT_EQ(columna(fuentes, "e.Empresa & c.Nombre & \"/\" & z.Ruta", {e, f, c, z}),
              (QStringList{"E1Primero/Ruta norte", "E1Primero/Ruta norte", "E1Siete/Ruta sur",
                           "E1Siete/Ruta sur", "E1/", "E1/", "E1Segundo/"}));
    EXPECT_EQ(columna(fuentes, "\"[\" & e.Empresa & \"]\"", {vacia, f, c, z}),
              QStringList(7, "[]"));
}

TEST(Datos, OrdenDelDetalle) {
    TablaPrueba f{1, {"Ruta", "Nombre"}, {}};
    f.filas = {{Variante(std::int32_t{10}), Variante("d")},
               {Variante(std::int32_t{9}), Variante("b")},
               {Variante::nulo(), Variante("a")},
               {Variante(std::int32_t{10}), Variante("e")},
               {Variante(std::int32_t{9}), Variante("c")}};
    // Numbers by value (9 before 10), an empty key first, ties in the source's order.
    for (const auto& [orden, esperado] : {std::pair{"", "d b a e c"},
                                          {" orden='Ruta'", "a b c d e"},
                                          {" orden='Ruta, Nombre'", "a b c d e"}}) {
        const QByteArray fuente =
            QByteArray("<fuente numero='1' nombre='f' detalle='si'") + orden + "/>";
        EXPECT_EQ(columna(fuente, "Nombre", {f}).join(' '), esperado) << orden;
    }
    // Keys that are all numbers: the same order, ties still in the source's order.
    f.filas.removeAt(2);
    EXPECT_EQ(columna("<fuente numero='1' nombre='f' detalle='si' orden='Ruta'/>", "Nombre", {f})
                  .join(' '),
              "b c d e");
    EXPECT_TRUE(mensajeDe([&] {
                    columna("<fuente numero='1' nombre='f' detalle='si' orden='Rutas'/>", "Nombre",
                            {f});
                }).contains("el campo «Rutas» no existe en la fuente «f»"));
}

TEST(Datos, CadaFuenteSeCierraAlTerminarDeLeer) {
    QTemporaryDir dir;
    const QString a = dir.filePath("a.db"), b = dir.filePath("b.db");
    creaSqlite(a, "G", {0, {"Empresa"}, {{Variante("E")}}});
    creaSqlite(b, "F", facturasDemo(1500));
    const QByteArray xml =
        "<reporte><fuente numero='0' nombre='e' tabla='G'/>"
        "<fuente numero='1' nombre='f' tipo='local' tabla='F' detalle='si'/>"
        "<detalle alto='5'><campo ancho='50' alto='5'>Nombre</campo></detalle></reporte>";
    auto diseno = leeDisenoDeTexto(xml, "/prueba/x.rpt");
    auto datos = Datos::carga(*diseno, {{0, a}, {1, b}});
    EXPECT_EQ(datos->filas(), 1500);
    EXPECT_FALSE(archivosAbiertos().contains(a) || archivosAbiertos().contains(b));
    // A failure half-way closes what was already open as well.
    auto diseno2 =
        leeDisenoDeTexto(QByteArray(xml).replace("tabla='F'", "tabla='NoHay'"), "/prueba/x.rpt");
    EXPECT_THROW(Datos::carga(*diseno2, {{0, a}, {1, b}}), ErrorReporte);
    EXPECT_FALSE(archivosAbiertos().contains(a) || archivosAbiertos().contains(b));
}
