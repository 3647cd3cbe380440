#pragma once
// The page model: what every page shows, item by item, in millimetres from the paper's top-left
// corner. Pagination builds it once; the preview, the printer, PDF and PNG all paint from it, so
// they show the same thing. It holds no reference to the data sources.

#include <QImage>
#include <QRectF>
#include <QRgb>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <vector>

#include "core/Variante.h"
#include "reportengine/Diseno.h"

namespace quilmaro::reporte {

struct ElementoPagina {
    enum class Tipo : std::uint8_t { Texto, Linea, Rectangulo, Imagen };
    Tipo tipo = Tipo::Texto;
    int indice = 0;  // text style (Documento::estilos) or image (Documento::imagenes)
    QRectF caja;     // a line runs from caja.topLeft() to caja.bottomRight()
    float grosor = 0;
    QRgb color = 0xff000000;
    QRgb relleno = 0;
    QString texto;  // laid out: one line per '\n'
    // A field's value before formatting and laying out, its display format and its expression
    // as written: exports write numbers and dates as such, texts whole, and name the columns.
    // Empty for static texts and page numbers.
    Variante valor;
    QString formato;
    QString expresion;
};

// Where a band landed, for checking the pagination.
struct BandaColocada {
    TipoBanda tipo = TipoBanda::Detalle;
    int banda = -1;  // index into the layout's bands
    int fila = -1;   // detail row it was printed for (-1: none)
    double y = 0;    // top, from the paper's edge
    double alto = 0;
};

struct PaginaDocumento {
    std::vector<ElementoPagina> elementos;
    std::vector<BandaColocada> bandas;
};

struct Documento {
    QString nombre;
    QSizeF papel{215.9, 279.4};  // upright
    bool horizontal = false;
    std::vector<EstiloTexto> estilos;
    std::vector<QImage> imagenes;
    std::vector<PaginaDocumento> paginas;

    QSizeF pagina() const { return horizontal ? papel.transposed() : papel; }
    int cuentaPaginas() const { return static_cast<int>(paginas.size()); }
};

}  // namespace quilmaro::reporte
