// Reading layout files: paper, margins and fonts; and a clear message, with file, line and
// column, for every kind of mistake in a layout.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "AyudaMotor.h"
#include "CarpetaTemporal.h"
#include "reportengine/ErrorReporte.h"
#include "reportengine/Pintor.h"

using namespace quilmaro;
using namespace quilmaro::prueba;
using namespace quilmaro::reporte;

namespace {

QString error(const QByteArray& xml) {
    try {
        leeDisenoDeTexto(xml, QStringLiteral("/disenos/guia.rpt"));
    } catch (const ErrorReporte& e) {
        return e.mensaje();
    }
    return QStringLiteral("(no error)");
}

QString errorArchivo(const QString& ruta) {
    try {
        leeDiseno(ruta);
    } catch (const ErrorReporte& e) {
        return e.mensaje();
    }
    return QStringLiteral("(no error)");
}

}  // namespace

TEST(Diseno, PapelMargenesYLetra) {
    {
        const auto d =
            leeDisenoDeTexto("<reporte><detalle alto='5'/></reporte>", "/x/Mi reporte.rpt");
        EXPECT_EQ(d->nombre, "Mi reporte");            // the file's name when the layout gives none
        EXPECT_EQ(d->pagina(), QSizeF(215.9, 279.4));  // Letter, upright
        EXPECT_EQ(d->margenes, QMarginsF(10, 10, 10, 10));
    }
    {
        const auto d = leeDisenoDeTexto(
            "<reporte nombre='Ancho' papel='a4' orientacion='horizontal' margen-izquierdo='25.5'>"
            "<letra familia='DejaVu Serif' tamano='11' negrita='sí'/>"
            "<detalle alto='5'><texto x='0' y='0' ancho='10' alto='5' "
            "cursiva='si'>x</texto></detalle></reporte>",
            "/x/a.rpt");
        EXPECT_EQ(d->nombre, "Ancho");
        EXPECT_EQ(d->pagina(), QSizeF(297, 210));
        EXPECT_DOUBLE_EQ(d->anchoUtil(), 297 - 25.5 - 10);
        ASSERT_EQ(d->estilos.size(), 1u);
        EXPECT_EQ(d->estilos[0].familia, "DejaVu Serif");
        EXPECT_EQ(d->estilos[0].puntos, 11);
        EXPECT_TRUE(d->estilos[0].negrita);
        EXPECT_TRUE(d->estilos[0].cursiva);
    }
    {
        const auto d = leeDisenoDeTexto(
            "<reporte ancho='100' alto='150'><detalle alto='5'/></reporte>", "/x/a.rpt");
        EXPECT_EQ(d->pagina(), QSizeF(100, 150));
    }
}

TEST(Diseno, ElPdfTieneElTamanoDelPapel) {
    QTemporaryDir dir;
    const auto carta = generaDesdeTexto("<reporte><detalle alto='5'/></reporte>", {});
    const auto a4h = generaDesdeTexto(
        "<reporte papel='a4' orientacion='horizontal'><detalle alto='5'/></reporte>", {});
    exportaPdf(*carta, dir.filePath("carta.pdf"));
    exportaPdf(*a4h, dir.filePath("a4.pdf"));
    auto tamano = [&](const QString& archivo) {
        QProcess p;
        p.start("pdfinfo", {dir.filePath(archivo)});
        p.waitForFinished(60000);
        for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
            if (l.startsWith("Page size:"))
                return l.mid(10).simplified();
        }
        return QString();
    };
    EXPECT_EQ(tamano("carta.pdf"), "612 x 792 pts (letter)");
    EXPECT_EQ(tamano("a4.pdf"), "842 x 595 pts (A4)");
}

TEST(Diseno, ArchivoQueFaltaOQueNoSeLee) {
    QTemporaryDir dir;
    const QString falta = dir.filePath("guia.rpt");
    EXPECT_EQ(errorArchivo(falta),
              "No se encontró el archivo de diseño del reporte «" + falta + "».");
    EXPECT_EQ(errorArchivo(dir.path()), "No se pudo leer el archivo de diseño del reporte «" +
                                            dir.path() + "»: es una carpeta.");
    EXPECT_EQ(errorArchivo(""), "No se indicó el archivo de diseño del reporte.");
    ASSERT_TRUE(escribeBytes(falta, ""));
    EXPECT_EQ(errorArchivo(falta), "Error en el diseño «" + falta + "»: el archivo está vacío.");
}

TEST(Diseno, XmlMalFormadoConLineaYColumna) {
    const QString etiqueta = error("<reporte>\n  <detalle alto='5'>\n  </detail>\n</reporte>");
    EXPECT_EQ(
        etiqueta,
        "Error en el diseño «/disenos/guia.rpt», línea 3, columna 11: la etiqueta de cierre no "
        "corresponde a la etiqueta abierta.");
    const QString y =
        error("<reporte>\n<detalle alto='5'>\n<campo ancho='9' alto='5'>\"a\" & \"b\"</campo>");
    EXPECT_TRUE(y.contains("línea 3")) << qPrintable(y);
    EXPECT_TRUE(error("<reporte>\n<detalle alto='5'>")
                    .contains("el archivo termina antes de cerrar todas las etiquetas"));
    EXPECT_TRUE(error("<reporte/>\n<otro/>").contains("línea 2"));
    EXPECT_TRUE(error("<reporte>&nada;</reporte>").contains("la entidad «&nada;» no existe"));
    EXPECT_TRUE(error("<reporte a='1' a='2'/>").contains("el atributo «a» está repetido"));
}

TEST(Diseno, ElementosYAtributosDesconocidos) {
    EXPECT_EQ(error("<informe/>"),
              "Error en el diseño «/disenos/guia.rpt», línea 1, columna 1: el elemento principal "
              "debe ser "
              "<reporte>, no <informe>.");
    EXPECT_TRUE(error("<reporte>\n\n<bnda alto='3'/></reporte>")
                    .contains("línea 3, columna 1: elemento desconocido <bnda>"));
    const QString attr = error(
        "<reporte><detalle alto='5'>\n<campo x='0' anchi='3' "
        "alto='5'>A</campo></detalle></reporte>");
    EXPECT_TRUE(attr.contains("línea 2")) << qPrintable(attr);
    EXPECT_TRUE(attr.contains("<campo> no admite el atributo «anchi» (admite: x, y, ancho, alto,"))
        << qPrintable(attr);
    EXPECT_TRUE(error("<reporte><detalle alto='5'><circulo/></detalle></reporte>")
                    .contains("elemento desconocido <circulo> dentro de una banda"));
    EXPECT_TRUE(error("<reporte><encabezado-grupo alto='5'/></reporte>")
                    .contains("<encabezado-grupo> va dentro de un <grupo>"));
    EXPECT_TRUE(error("<reporte>hola</reporte>").contains("texto fuera de lugar: «hola»"));
}

TEST(Diseno, ValoresQueNoSirven) {
    EXPECT_TRUE(error("<reporte><detalle alto='5mm'/></reporte>")
                    .contains("el atributo «alto» debe ser un número (en milímetros, con punto "
                              "decimal), no «5mm»"));
    EXPECT_TRUE(
        error("<reporte><detalle/></reporte>").contains("a <detalle> le falta el atributo «alto»"));
    EXPECT_TRUE(
        error("<reporte papel='tabloide'/>")
            .contains("el atributo «papel» no admite «tabloide» (admite: carta, oficio, a4)"));
    EXPECT_TRUE(error("<reporte><detalle alto='-1'/></reporte>").contains("no puede ser negativo"));
    EXPECT_TRUE(error("<reporte><detalle alto='5'><texto ancho='5' alto='5' "
                      "negrita='quizá'>x</texto></detalle></reporte>")
                    .contains("debe ser «si» o «no», no «quizá»"));
    EXPECT_TRUE(error("<reporte><detalle alto='5'><texto ancho='5' alto='5' "
                      "color='azulito'>x</texto></detalle></reporte>")
                    .contains("el color «azulito» no se entiende"));
    EXPECT_TRUE(
        error("<reporte><detalle alto='5'><campo ancho='5' alto='5'> </campo></detalle></reporte>")
            .contains("<campo> sin expresión"));
}

// A paper of astronomical size used to be read, and painting its page (preview, PNG) turned
// its size in pixels into an int out of range.
TEST(Diseno, PapelDemasiadoGrande) {
    for (const char* xml : {"<reporte ancho='1e300' alto='100'><detalle alto='5'/></reporte>",
                            "<reporte ancho='100' alto='2000.5'><detalle alto='5'/></reporte>"}) {
        const QString m = error(xml);
        EXPECT_TRUE(m.contains("el papel puede medir a lo más 2000 mm por lado")) << qPrintable(m);
    }
    const auto d = leeDisenoDeTexto(
        "<reporte ancho='2000' alto='1500' orientacion='horizontal'><detalle alto='5'/></reporte>",
        "/x/a.rpt");
    EXPECT_EQ(d->pagina(), QSizeF(1500, 2000));
    const QImage img = imagenDePagina(
        *generaDesdeTexto("<reporte ancho='2000' alto='1500'><detalle alto='5'/></reporte>", {}), 0,
        2.54);
    EXPECT_EQ(img.size(), QSize(200, 150));
}

TEST(Diseno, TodoDebeCaberEnSuBandaYEnLaPagina) {
    EXPECT_TRUE(
        error("<reporte><detalle alto='5'>\n<texto x='0' y='2' ancho='5' "
              "alto='4'>x</texto></detalle></reporte>")
            .contains(
                "línea 2, columna 1: el elemento baja hasta 6 mm y la banda mide 5 mm de alto"));
    EXPECT_TRUE(
        error(
            "<reporte><detalle alto='5'><linea x1='0' y1='0' x2='200' y2='0'/></detalle></reporte>")
            .contains("el elemento llega a 200 mm y entre los márgenes solo hay 195.9 mm"));
    EXPECT_TRUE(
        error("<reporte><detalle alto='300'/></reporte>")
            .contains("la banda mide 300 mm de alto y entre los márgenes solo caben 259.4 mm"));
    EXPECT_TRUE(error("<reporte ancho='100' alto='100'><encabezado-pagina alto='50'/><pie-pagina "
                      "alto='30'/><detalle alto='5'/></reporte>")
                    .contains("los encabezados y pies de página ocupan toda la página"));
    EXPECT_TRUE(error("<reporte ancho='100' alto='100'><encabezado-pagina alto='40'/>\n<detalle "
                      "alto='45'/></reporte>")
                    .contains("línea 2, columna 1: la banda mide 45 mm y entre encabezados y pies "
                              "de página solo quedan 40 mm"));
    EXPECT_TRUE(error("<reporte ancho='100' alto='100' margen-superior='46' margen-inferior='45'/>")
                    .contains("los márgenes no dejan espacio para imprimir"));
    EXPECT_TRUE(error("<reporte><encabezado-pagina alto='5' paginas='ultima'/></reporte>")
                    .contains("«ultima» y «no-ultima» solo se usan en <pie-pagina>"));
    EXPECT_TRUE(error("<reporte><pie-pagina alto='5'><campo ancho='5' alto='5' "
                      "crece='si'>A</campo></pie-pagina></reporte>")
                    .contains("un texto de <pie-pagina> no puede crecer"));
}

TEST(Diseno, FuentesMalDeclaradas) {
    EXPECT_TRUE(error("<reporte><fuente numero='0' nombre='e'/></reporte>")
                    .contains("una fuente local necesita el atributo «tabla»"));
    EXPECT_TRUE(error("<reporte><fuente numero='1' nombre='f' tabla='x'/></reporte>")
                    .contains("quite el atributo «tabla»"));
    EXPECT_TRUE(
        error("<reporte><fuente numero='1' nombre='f'/><fuente numero='1' nombre='g'/></reporte>")
            .contains("la fuente número 1 ya está declarada"));
    EXPECT_TRUE(error("<reporte><fuente numero='1' nombre='f' detalle='si'/><fuente numero='2' "
                      "nombre='g' detalle='si'/></reporte>")
                    .contains("solo una fuente puede dar el detalle (ya lo da «f»)"));
    EXPECT_TRUE(error("<reporte><fuente numero='2' nombre='c' enlace='Cliente' "
                      "con='facturas.Cliente'/></reporte>")
                    .contains("«con» nombra la fuente «facturas», que no está declarada antes"));
    EXPECT_TRUE(error("<reporte><fuente numero='1' nombre='f' detalle='si'/><fuente numero='2' "
                      "nombre='c' enlace='Cliente'/></reporte>")
                    .contains("para unir una fuente se necesitan «enlace» y «con»"));
    EXPECT_TRUE(error("<reporte><fuente numero='1' nombre='mal nombre'/></reporte>")
                    .contains("solo puede llevar letras"));
}

TEST(Diseno, FuenteQueElProgramaNoIndico) {
    const QByteArray xml =
        "<reporte>\n<fuente numero='0' nombre='empresa' tabla='Generales'/>\n"
        "<fuente numero='2' nombre='clientes'/><detalle alto='5'/></reporte>";
    auto d = leeDisenoDeTexto(xml, "/disenos/cobranza.rpt");
    try {
        Datos::carga(*d, {{0, "x.mdb"}}, abridorMemoria({{0, {"Empresa"}, {}}}));
        FAIL();
    } catch (const ErrorReporte& e) {
        EXPECT_EQ(e.mensaje(),
                  "Error en el diseño «/disenos/cobranza.rpt», línea 3, columna 1: el diseño usa "
                  "la fuente "
                  "de datos 2 («clientes») y el programa no la indicó.");
    }
}

TEST(Diseno, ImagenesJuntoAlDiseno) {
    QTemporaryDir dir;
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::black);
    ASSERT_TRUE(logo.save(dir.filePath("logo.png")));
    const QByteArray xml =
        "<reporte ancho='100' alto='100'><encabezado-reporte alto='20'>"
        "<imagen x='10' y='5' ancho='20' alto='10' "
        "archivo='logo.png'/></encabezado-reporte></reporte>";
    ASSERT_TRUE(escribeBytes(dir.filePath("r.rpt"), xml));
    const auto d = leeDiseno(dir.filePath("r.rpt"));
    ASSERT_EQ(d->imagenes.size(), 1u);
    const QString falta = QString(xml).replace("logo.png", "otro.png");
    ASSERT_TRUE(escribeBytes(dir.filePath("r2.rpt"), falta.toUtf8()));
    EXPECT_TRUE(errorArchivo(dir.filePath("r2.rpt"))
                    .contains("no se pudo leer la imagen «" + dir.filePath("otro.png") + "»"));
    // The picture fills its box: (20, 15) to (40, 25) mm with 10 mm margins.
    const auto doc = generaDesdeTexto(
        QByteArray(xml).replace("logo.png", dir.filePath("logo.png").toUtf8()), {});
    const QImage img = imagenDePagina(*doc, 0, 254);  // 10 pixels per mm
    EXPECT_EQ(qGray(img.pixel(205, 155)), 0);
    EXPECT_EQ(qGray(img.pixel(395, 245)), 0);
    EXPECT_EQ(qGray(img.pixel(195, 155)), 255);
    EXPECT_EQ(qGray(img.pixel(405, 245)), 255);
}

TEST(Diseno, LosEjemplosDocumentadosSeLeen) {
    const QList<QByteArray> ejemplos = ejemplosDocumentados();
    ASSERT_EQ(ejemplos.size(), 2);
    const auto guia = leeDisenoDeTexto(ejemplos[0], "guia.rpt");
    EXPECT_EQ(guia->nombre, "Guía de reparto");
    const auto cobranza = leeDisenoDeTexto(ejemplos[1], "cobranza.rpt");
    EXPECT_EQ(cobranza->nombre, "Formato de cobranza");
    EXPECT_EQ(cobranza->fuentes.size(), 3u);
}
