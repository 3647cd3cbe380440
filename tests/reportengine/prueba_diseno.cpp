// Reading layout files: paper, margins and fonts; and a clear message, with file, line and
// column, for every kind of mistake in a layout.

#include <QProcess>

#include "AyudaMotor.h"
#include "CarpetaTemporal.h"
#include "reportengine/Pintor.h"

using namespace quilmaro;
using namespace quilmaro::prueba;
using namespace quilmaro::reporte;

namespace {

QString error(const QByteArray& xml) {
    return mensajeDe([&] { leeDisenoDeTexto(xml, QStringLiteral("/disenos/guia.rpt")); });
}

QString errorArchivo(const QString& ruta) {
    return mensajeDe([&] { leeDiseno(ruta); });
}

}  // namespace

// Paper, orientation, margins and the base font as read; the PDF has the paper's size.
TEST(Diseno, PapelMargenesYLetra) {
    QTemporaryDir dir;
    const struct {
        const char* xml;
        const char* tamano;
    } casos[] = {{"<reporte><detalle alto='5'/></reporte>", "612 x 792 pts (letter)"},
                 {"<reporte nombre='Ancho' papel='a4' orientacion='horizontal' "
                  "margen-izquierdo='25.5'><letra familia='DejaVu Serif' tamano='11' negrita='sí'/>"
                  "<detalle alto='5'><texto x='0' y='0' ancho='10' alto='5' cursiva='si'>x</texto>"
                  "</detalle></reporte>",
                  "842 x 595 pts (A4)"}};
    for (const auto& c : casos) {
        exportaPdf(*generaDesdeTexto(c.xml, {}), dir.filePath("r.pdf"));
        QProcess p;
        p.start("pdfinfo", {dir.filePath("r.pdf")});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString info = QString::fromUtf8(p.readAllStandardOutput()).simplified();
        EXPECT_TRUE(info.contains(QStringLiteral("Page size: ") + c.tamano)) << qPrintable(info);
    }
    const auto carta = leeDisenoDeTexto(casos[0].xml, "/x/Mi reporte.rpt");
    EXPECT_EQ(carta->nombre, "Mi reporte");  // the file's name when the layout gives none
    const auto a4 = leeDisenoDeTexto(casos[1].xml, "/x/a.rpt");
    EXPECT_EQ(a4->nombre, "Ancho");
    EXPECT_DOUBLE_EQ(a4->anchoUtil(), 297 - 25.5 - 10);
    ASSERT_EQ(a4->estilos.size(), 1u);
    EXPECT_EQ(a4->estilos[0].familia, "DejaVu Serif");
    EXPECT_EQ(a4->estilos[0].puntos, 11);
    EXPECT_TRUE(a4->estilos[0].negrita && a4->estilos[0].cursiva);
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

// Each case reads "layout => part of its message"; <d> opens a report with a 5 mm detail band
// and </d> closes both.
TEST(Diseno, Errores) {
    const QStringList casos = {
        // Badly formed XML, with line and column.
        "<d>\n<campo ancho='9' alto='5'>\"a\" & \"b\"</campo> => línea 2",
        "<reporte>\n<detalle alto='5'> => el archivo termina antes de cerrar todas las etiquetas",
        "<reporte/>\n<otro/> => línea 2",
        "<reporte>&nada;</reporte> => la entidad «&nada;» no existe",
        "<reporte a='1' a='2'/> => el atributo «a» está repetido",
        // Unknown elements and attributes.
        "<reporte>\n\n<bnda alto='3'/></reporte> => línea 3, columna 1: elemento desconocido "
        "<bnda>",
        "<d>\n<campo x='0' anchi='3' alto='5'>A</campo></d> => línea 2, columna 1: <campo> no "
        "admite el atributo «anchi» (admite: x, y, ancho, alto,",
        "<d>\n<texto x='0' y='0' ancho='5' alto='3'>a</texto>\n\t<campo anchi='3'/></d> => "
        "línea 3, columna 2: <campo> no admite el atributo «anchi»",
        "<d><circulo/></d> => elemento desconocido <circulo> dentro de una banda",
        "<reporte><encabezado-grupo alto='5'/></reporte> => <encabezado-grupo> va dentro de un "
        "<grupo>",
        "<reporte>hola</reporte> => texto fuera de lugar: «hola»",
        // Values that do not serve.
        "<reporte><detalle alto='5mm'/></reporte> => el atributo «alto» debe ser un número (en "
        "milímetros, con punto decimal), no «5mm»",
        "<reporte><detalle/></reporte> => a <detalle> le falta el atributo «alto»",
        "<reporte papel='tabloide'/> => el atributo «papel» no admite «tabloide» (admite: carta, "
        "oficio, a4)",
        "<reporte><detalle alto='-1'/></reporte> => no puede ser negativo",
        "<d><texto ancho='5' alto='5' negrita='quizá'>x</texto></d> => debe ser «si» o «no», no "
        "«quizá»",
        "<d><texto ancho='5' alto='5' color='azulito'>x</texto></d> => el color «azulito» no se "
        "entiende",
        "<d><campo ancho='5' alto='5'> </campo></d> => <campo> sin expresión",
        "<d><imagen ancho='5' alto='5' archivo='logo.png'/></d> => no se pudo leer la imagen "
        "«/disenos/logo.png»",
        // Paper no printer has, whose page in pixels would not fit in an int.
        "<reporte ancho='1e300' alto='100'/> => el papel puede medir a lo más 2000 mm por lado",
        "<reporte ancho='100' alto='2000.5'/> => el papel puede medir a lo más 2000 mm por lado",
        // Everything must fit in its band and on the page.
        "<d>\n<texto x='0' y='2' ancho='5' alto='4'>x</texto></d> => línea 2, columna 1: el "
        "elemento baja hasta 6 mm y la banda mide 5 mm de alto",
        "<d><linea x1='0' y1='0' x2='200' y2='0'/></d> => el elemento llega a 200 mm y entre los "
        "márgenes solo hay 195.9 mm",
        "<reporte><detalle alto='300'/></reporte> => la banda mide 300 mm de alto y entre los "
        "márgenes solo caben 259.4 mm",
        "<reporte ancho='100' alto='100'><encabezado-pagina alto='50'/><pie-pagina alto='30'/>"
        "<detalle alto='5'/></reporte> => los encabezados y pies de página ocupan toda la página",
        "<reporte ancho='100' alto='100'><encabezado-pagina alto='40'/>\n<detalle alto='45'/>"
        "</reporte> => línea 2, columna 1: la banda mide 45 mm y entre encabezados y pies de "
        "página solo quedan 40 mm",
        "<reporte ancho='100' alto='100' margen-superior='46' margen-inferior='45'/> => los "
        "márgenes no dejan espacio para imprimir",
        "<reporte><encabezado-pagina alto='5' paginas='ultima'/></reporte> => «ultima» y "
        "«no-ultima» solo se usan en <pie-pagina>",
        "<reporte><pie-pagina alto='5'><campo ancho='5' alto='5' crece='si'>A</campo>"
        "</pie-pagina></reporte> => un texto de <pie-pagina> no puede crecer",
        // Sources declared wrong.
        "<reporte><fuente numero='0' nombre='e'/></reporte> => una fuente local necesita el "
        "atributo «tabla»",
        "<reporte><fuente numero='1' nombre='f' tabla='x'/></reporte> => quite el atributo «tabla»",
        "<reporte><fuente numero='1' nombre='f'/><fuente numero='1' nombre='g'/></reporte> => la "
        "fuente número 1 ya está declarada",
        "<reporte><fuente numero='1' nombre='f' detalle='si'/><fuente numero='2' nombre='g' "
        "detalle='si'/></reporte> => solo una fuente puede dar el detalle (ya lo da «f»)",
        "<reporte><fuente numero='2' nombre='c' enlace='Cliente' con='facturas.Cliente'/>"
        "</reporte> => «con» nombra la fuente «facturas», que no está declarada antes",
        "<reporte><fuente numero='1' nombre='f' detalle='si'/><fuente numero='2' nombre='c' "
        "enlace='Cliente'/></reporte> => para unir una fuente se necesitan «enlace» y «con»",
        "<reporte><fuente numero='1' nombre='mal nombre'/></reporte> => solo puede llevar letras",
        // Whole messages.
        "<reporte>\n  <detalle alto='5'>\n  </detail>\n</reporte> => «/disenos/guia.rpt», línea 3, "
        "columna 11: la etiqueta de cierre no corresponde a la etiqueta abierta.",
        "<informe/> => «/disenos/guia.rpt», línea 1, columna 1: el elemento principal debe ser "
        "<reporte>, no <informe>."};
    for (QString c : casos) {
        SCOPED_TRACE(qPrintable(c));
        const qsizetype i = c.indexOf(" => ");
        const QString xml = c.left(i)
                                .replace("<d>", "<reporte><detalle alto='5'>")
                                .replace("</d>", "</detalle></reporte>");
        const QString m = error(xml.toUtf8());
        EXPECT_TRUE(m.startsWith("Error en el diseño «/disenos/guia.rpt»")) << qPrintable(m);
        EXPECT_TRUE(m.contains(c.mid(i + 4))) << qPrintable(m);
    }
}

// The complete examples of docs/layouts.md are the shipped layouts, character for character.
TEST(Diseno, EjemplosDeLaGuiaSonLosDisenosEntregados) {
    const QList<QByteArray> ejemplos = ejemplosDocumentados();
    ASSERT_EQ(ejemplos.size(), 2);
    for (const char* nombre : {"guia.rpt", "cobranza.rpt"}) {
        QFile f(QStringLiteral(QUILMARO_FUENTES "/layouts/") + QLatin1String(nombre));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(ejemplos.contains(f.readAll().trimmed() + "\n")) << nombre;
    }
}
