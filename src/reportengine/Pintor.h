#pragma once
// Painting of the page model on any paint device: the preview, a printer, PDF, an image.

#include <QImage>
#include <QPageLayout>
#include <QString>

#include "reportengine/Documento.h"
#include "reportengine/Tipografia.h"

class QPainter;

namespace quilmaro::reporte {

class Pintor {
  public:
    explicit Pintor(const Documento& doc) : doc_(doc), tipos_(doc.estilos) {}

    // Paints page i (from 0) with the paper's top-left corner at the painter's origin, at
    // pxPorMm device pixels per millimetre. A painter that clips gets only the items near its
    // clip (what a window shows of the page).
    void pinta(QPainter& p, int pagina, double pxPorMm) const;

  private:
    void pintaTexto(QPainter& p, const ElementoPagina& e) const;

    const Documento& doc_;
    Tipografia tipos_;
};

// The characters of the document's texts that no installed font can draw, each once, in the
// order met: they would print as empty boxes or not at all.
QString caracteresSinLetra(const Documento& doc);

// Page i (from 0) as an image of ppp pixels per inch, on white.
QImage imagenDePagina(const Documento& doc, int pagina, double ppp);

// Writes the whole document as a PDF (fonts embedded). The file appears complete or not at all;
// failures are thrown as ErrorReporte.
void exportaPdf(const Documento& doc, const QString& ruta);

// The layout's paper and orientation, without margins: pages come out full page at their real
// size (PDF and printer).
QPageLayout disposicionDePagina(const Documento& doc);

}  // namespace quilmaro::reporte
