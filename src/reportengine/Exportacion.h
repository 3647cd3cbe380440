#pragma once
// A laid-out report written to a file in the formats of the report-to-file dialog: plain text in
// columns, rich text, a spreadsheet of the detail rows, and a word-processor document.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/Variante.h"
#include "reportengine/Documento.h"

namespace quilmaro::reporte {

enum class FormatoArchivo { Texto, TextoEnriquecido, HojaDeCalculo, Procesador };

// The dialog's type codes: " 2" text, "15" rich text, "19" spreadsheet, "17" word processor.
std::optional<FormatoArchivo> formatoDeCodigo(const QString& codigo);

// One printed line of a text item: where its box starts and how wide it is (mm), and how the
// text sits in it.
struct PiezaTexto {
    double x = 0;
    double ancho = 0;
    Qt::Alignment alineacion = Qt::AlignLeft;
    QString texto;
    // The point the text hangs from: its left edge, its centre or its right edge.
    double ancla() const;
};
// One printed line of a page: the pieces on it from left to right.
struct LineaTexto {
    double y = 0;
    std::vector<PiezaTexto> piezas;
};
// The texts of a page as printed lines, top to bottom; a text of several lines gives a piece to
// each line it covers.
std::vector<LineaTexto> lineasDePagina(const Documento& doc, const PaginaDocumento& pagina);

// A cell of the spreadsheet: a number, a date, a text, or nothing (a missing value).
struct CeldaHoja {
    enum class Tipo { Vacia, Numero, Fecha, Texto };
    Tipo tipo = Tipo::Vacia;
    double numero = 0;
    QDate fecha;
    QString texto;
    QString formato;  // number or date format, in the report's notation ("##,###,##0.00")
};
// The detail rows of the report as the spreadsheet holds them: the first row names the columns,
// then one row per detail band printed, one column per field of the band. Labels printed beside
// the fields name the columns; they are not cells.
std::vector<std::vector<CeldaHoja>> tablaDeDetalle(const Documento& doc);

// Writes the document; the file appears complete or not at all. Throws ErrorReporte.
void exportaArchivo(const Documento& doc, const QString& ruta, FormatoArchivo formato);

}  // namespace quilmaro::reporte
