#include "gui/SalidaVentanas.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include "gui/VistaPrevia.h"
#include "reportengine/ErrorReporte.h"
#include "reportengine/Pintor.h"

namespace quilmaro::reporte {

namespace {

class SalidaVentanas final : public SalidaReporte {
  public:
    QObject* muestra(std::shared_ptr<Paginacion> paginas, QObject* dueno) override {
        auto* vista = new VistaPrevia(std::move(paginas), qobject_cast<QWidget*>(dueno));
        vista->show();
        vista->raise();
        vista->activateWindow();
        return vista;
    }

    void imprime(const Documento& doc, const QString& impresora) override {
        imprimeEnImpresora(doc, impresora);
    }
};

}  // namespace

void imprime(const Documento& doc, QPrinter& impresora) {
    impresora.setDocName(doc.nombre);
    impresora.setFullPage(true);
    if (!impresora.setPageLayout(disposicionDePagina(doc))) {
        impresora.setPageSize(disposicionDePagina(doc).pageSize());
        impresora.setPageOrientation(doc.horizontal ? QPageLayout::Landscape
                                                    : QPageLayout::Portrait);
    }
    int desde = 1, hasta = doc.cuentaPaginas();
    if (impresora.printRange() == QPrinter::PageRange && impresora.fromPage() > 0) {
        desde = std::max(1, impresora.fromPage());
        hasta = std::min(hasta, std::max(desde, impresora.toPage()));
    }
    QPainter p;
    if (!p.begin(&impresora))
        throw ErrorReporte(
            QStringLiteral("No se pudo imprimir el reporte «%1» en la impresora «%2».")
                .arg(doc.nombre, impresora.printerName()));
    const Pintor pintor(doc);
    const double pxPorMm = impresora.resolution() / 25.4;
    for (int i = desde; i <= hasta; ++i) {
        if (i > desde)
            impresora.newPage();
        pintor.pinta(p, i - 1, pxPorMm);
    }
    p.end();
    if (impresora.printerState() == QPrinter::Error)
        throw ErrorReporte(
            QStringLiteral("La impresora «%1» informó un error al imprimir el reporte «%2».")
                .arg(impresora.printerName(), doc.nombre));
}

void imprimeEnImpresora(const Documento& doc, const QString& nombre) {
    const QPrinterInfo info =
        nombre.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(nombre);
    if (info.isNull()) {
        if (!nombre.isEmpty())
            throw ErrorReporte(
                QStringLiteral("No se encontró la impresora «%1». El reporte «%2» no "
                               "se imprimió.")
                    .arg(nombre, doc.nombre));
        throw ErrorReporte(QStringLiteral("No hay una impresora predeterminada. Instale o elija "
                                          "una impresora en el sistema y vuelva a intentarlo; el "
                                          "reporte «%1» no se imprimió.")
                               .arg(doc.nombre));
    }
    QPrinter impresora(info, QPrinter::HighResolution);
    imprime(doc, impresora);
}

void instalaSalidaEnVentanas() {
    static SalidaVentanas salida;
    SalidaReporte::instala(&salida);
}

VistaPrevia* vistaDe(const ControlReporte& crp) {
    return qobject_cast<VistaPrevia*>(crp.ultimaVista());
}

}  // namespace quilmaro::reporte
