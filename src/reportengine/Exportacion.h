#pragma once
// A laid-out report written to a file in the formats of the report-to-file dialog: plain text in
// columns, rich text, a spreadsheet of the detail rows, and a word-processor document.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "reportengine/Documento.h"

namespace quilmaro::reporte {

enum class FormatoArchivo { Texto, TextoEnriquecido, HojaDeCalculo, Procesador };

// The dialog's type codes: " 2" text, "15" rich text, "19" spreadsheet, "17" word processor.
std::optional<FormatoArchivo> formatoDeCodigo(const QString& codigo);

// One printed line of a page: its texts from left to right, with where each starts (mm).
struct LineaTexto {
    double y = 0;
    std::vector<std::pair<double, QString>> piezas;
};
// The texts of a page grouped into lines by their top edge, top to bottom.
std::vector<LineaTexto> lineasDePagina(const PaginaDocumento& pagina);

// The detail rows of the report, each as the texts of its band from left to right, preceded by
// the column titles of the first page when the layout has them.
std::vector<QStringList> filasDeDetalle(const Documento& doc);

// Writes the document; the file appears complete or not at all. Throws ErrorReporte.
void exportaArchivo(const Documento& doc, const QString& ruta, FormatoArchivo formato);

}  // namespace quilmaro::reporte
