#pragma once
// Pagination: lays the layout's bands out on pages for the loaded data.
//
// Rules: the report header opens the first page; page headers and column headers open every page
// and page footers close it at the bottom; a band is never split across pages; a group header
// never stays alone at the bottom of a page (it moves to the next page with the group's first
// row); group footers close their groups; the report footer follows the last row and moves to a
// new page when it does not fit. Totals run over the rows already printed; Acarreo gives the
// total of the pages before the current one.

#include <QDate>
#include <memory>

#include "reportengine/Datos.h"
#include "reportengine/Diseno.h"
#include "reportengine/Documento.h"

namespace quilmaro::reporte {

// Throws ErrorReporte when an expression fails on the data (a text where a number must be, ...).
std::shared_ptr<Documento> paginaReporte(const Diseno& diseno, const Datos& datos,
                                         const QDate& hoy = QDate::currentDate());

}  // namespace quilmaro::reporte
