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
#include <QObject>
#include <QString>
#include <exception>
#include <memory>

#include "reportengine/Datos.h"
#include "reportengine/Diseno.h"
#include "reportengine/Documento.h"

namespace quilmaro::reporte {

// Throws ErrorReporte when an expression fails on the data (a text where a number must be, ...).
std::shared_ptr<Documento> paginaReporte(const Diseno& diseno, const Datos& datos,
                                         const QDate& hoy = QDate::currentDate());

// A pagination laid out as it is asked for: the preview shows the first page at once and the
// rest are laid out a few milliseconds at a time between the window's events. The document
// grows page by page; the texts that need the page count ("Página 1 de 12") are written when the
// last page is laid out. Printing and exporting ask for the whole document first.
class Paginacion : public QObject {
    Q_OBJECT
  public:
    // Takes the layout and the loaded rows; lays out nothing yet.
    Paginacion(std::unique_ptr<Diseno> diseno, std::unique_ptr<Datos> datos,
               const QDate& hoy = QDate::currentDate());
    // A document already complete.
    explicit Paginacion(std::shared_ptr<const Documento> doc);
    ~Paginacion() override;

    // The pages laid out so far; the last one may still be filling until terminada().
    std::shared_ptr<const Documento> documento() const { return doc_; }
    // Pages that take no more rows: all of them once terminada(), none after a failure.
    int paginasListas() const;
    bool terminada() const;
    bool fallida() const { return !error_.isEmpty(); }
    const QString& error() const { return error_; }

    // Lays out pages until `paginas` are ready or the report is complete. Throws ErrorReporte
    // (or what the data's routines throw): for the first page, before anything is shown.
    void preparaHasta(int paginas);
    // The same without throwing, under the busy pointer: a failure is shown in one message,
    // signalled by fallo() and gives false, now and ever after.
    bool asegura(int paginas);
    bool completa();
    // Goes on laying out pages between the window's events until the document is complete.
    void sigueDespues();

  signals:
    // More pages are ready, or the document is complete.
    void avanzo();
    // The pagination failed (the message is shown once, right after): what shows the pages
    // closes.
    void fallo(const QString& mensaje);

  private:
    struct Estado;
    void tramo();
    void falla(const QString& mensaje);

    std::shared_ptr<const Documento> doc_;
    std::unique_ptr<Estado> estado_;  // null once complete or failed
    QString error_;
    bool comenzada_ = false;
    bool ocupada_ = false;
    bool enCola_ = false;  // a slice is waiting for its turn
};

// The one message for a failure of a run, from the exception that stopped it.
QString mensajeDeFalla(std::exception_ptr falla);

}  // namespace quilmaro::reporte
