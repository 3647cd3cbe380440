#pragma once
// A report layout as read from its XML file (format in docs/layouts.md). Sizes in millimetres.

#include <QImage>
#include <QMarginsF>
#include <QPointF>
#include <QRectF>
#include <QRgb>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "reportengine/ErrorReporte.h"
#include "reportengine/Expresion.h"

namespace quilmaro::reporte {

enum class TipoBanda {
    EncabezadoReporte,
    EncabezadoPagina,
    EncabezadoColumnas,
    EncabezadoGrupo,
    Detalle,
    PieGrupo,
    PieReporte,
    PiePagina,
};

// Pages on which a page header, column header or page footer prints.
enum class Paginas { Todas, Primera, NoPrimera, Ultima, NoUltima };

// The look of a text: font, colour and alignment inside its box.
struct EstiloTexto {
    QString familia = QStringLiteral("DejaVu Sans");
    double puntos = 9;
    bool negrita = false;
    bool cursiva = false;
    bool subrayado = false;
    QRgb color = 0xff000000;
    Qt::Alignment horizontal = Qt::AlignLeft;
    Qt::Alignment vertical = Qt::AlignTop;

    bool operator==(const EstiloTexto&) const = default;
};

struct Elemento {
    enum class Tipo { Texto, Campo, Linea, Rectangulo, Imagen };
    Tipo tipo = Tipo::Texto;
    QRectF caja;          // position in the band (texts, rectangles, images)
    QPointF p1, p2;       // ends of a line, in the band
    double grosor = 0.2;  // pen width of lines and rectangles
    QRgb color = 0xff000000;
    QRgb relleno = 0;                      // rectangle fill; 0 is none
    int estilo = -1;                       // texts: index into Diseno::estilos
    int imagen = -1;                       // images: index into Diseno::imagenes
    QString texto;                         // static text
    std::unique_ptr<Expresion> expresion;  // field text
    QString formato;                       // display format of the field's value
    bool ajusta = false;                   // wraps into several lines
    bool crece = false;                    // the box (and its band) grows with the text
    bool estira = false;                   // lines and rectangles stretch with a growing band
    Ubicacion donde;
};

struct Banda {
    TipoBanda tipo = TipoBanda::Detalle;
    double alto = 0;
    Paginas paginas = Paginas::Todas;
    int grupo = -1;  // group level of group headers and footers
    // Report footers: printed once per value of this expression among the detail rows, with
    // the report's totals over the rows of that value only (null: printed once, over all rows).
    std::unique_ptr<Expresion> por;
    std::vector<Elemento> elementos;
    Ubicacion donde;
};

struct Grupo {
    std::unique_ptr<Expresion> expresion;
    std::vector<int> encabezados;  // indices into Diseno::bandas
    std::vector<int> pies;
    Ubicacion donde;
};

// A data source as the layout uses it.
struct DefFuente {
    int numero = 0;        // the position the program sets ("data source n")
    QString nombre;        // how expressions name it
    bool local = false;    // local SQLite file (else "database.table" on the server)
    QString tabla;         // table of the local file
    bool detalle = false;  // its rows are the detail rows
    QString campoEnlace;   // joined source: its key field ...
    QString fuentePadre;   // ... equal to this field of an earlier source
    QString campoPadre;
    QStringList orden;  // detail source: fields that order the rows
    // Columns the layout may use although the table lacks them (they read as empty there).
    QStringList opcionales;
    Ubicacion donde;
};

struct Diseno {
    QString ruta;
    QString nombre;              // the report's name: preview title, PDF title
    QSizeF papel{215.9, 279.4};  // upright paper size
    bool horizontal = false;
    QMarginsF margenes{10, 10, 10, 10};  // left, top, right, bottom
    std::vector<EstiloTexto> estilos;
    std::vector<QImage> imagenes;
    std::vector<DefFuente> fuentes;
    std::vector<Banda> bandas;        // in the order of the file
    std::vector<Grupo> grupos;        // outermost first
    std::vector<Agregado> agregados;  // filled when the expressions are bound

    QSizeF pagina() const { return horizontal ? papel.transposed() : papel; }
    double anchoUtil() const { return pagina().width() - margenes.left() - margenes.right(); }
    double altoUtil() const { return pagina().height() - margenes.top() - margenes.bottom(); }

    // Binds every expression of the layout to the data (fields, totals).
    void enlaza(const ResolutorCampos& campos);
};

// Reads a layout file. A missing, unreadable or malformed file, or a wrong element, attribute or
// expression, is thrown as ErrorReporte naming the file, the line and the column.
std::unique_ptr<Diseno> leeDiseno(const QString& ruta);
// The same from text already in memory; ruta names it in messages and locates images.
std::unique_ptr<Diseno> leeDisenoDeTexto(const QByteArray& xml, const QString& ruta);

}  // namespace quilmaro::reporte
