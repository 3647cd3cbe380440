// Development aid: opens the invoice window on the database of the settings (the demo), lists a
// few invoices and writes a picture of the window and of the report-to-file dialog, and
// optionally runs a report to PDF.
//   captura_ventana <carpeta-programa> <salida.png> [numeros de factura...]

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

#include "core/Globales.h"
#include "core/Principal.h"
#include "gui/PlataformaQt.h"
#include "gui/SalidaVentanas.h"
#include "gui/frmExportarReporte.h"
#include "gui/frmReporte.h"
#include "reportengine/ControlReporte.h"
#include "reportengine/Pintor.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    quilmaro::PlataformaQt plataforma;
    quilmaro::instalaPlataforma(&plataforma);
    quilmaro::reporte::instalaSalidaEnVentanas();
    const QString salida = QString::fromLocal8Bit(argv[2]);
    int codigo = 0;
    quilmaro::Main(QString::fromLocal8Bit(argv[1]), [&] {
        quilmaro::frmReporte v;
        v.show();
        v.Form_Activate();
        for (int i = 3; i < argc; ++i) {
            const QStringList partes = QString::fromLocal8Bit(argv[i]).split('-');
            v.cmbSerie->setCurrentIndex(v.cmbSerie->findText(partes.value(0)));
            v.txtFactura->setText(partes.value(1));
            v.cmdAgregar_Click();
        }
        v.txtReferencia->setText("RUTA 3 - ZONA CENTRO");
        QApplication::processEvents();
        if (!v.grab().save(salida))
            codigo = 1;
        // The report-to-file dialog beside it, as a report's "Exportar…" shows it.
        quilmaro::frmExportarReporte exportar(&v);
        exportar.txtArchivo->setText(quilmaro::stRutaPrograma + "Guía de reparto.xls");
        exportar.show();
        QApplication::processEvents();
        if (!exportar.grab().save(QString(salida).replace(".png", "-exportar.png")))
            codigo = 1;
        exportar.hide();
        if (qEnvironmentVariableIsSet("CAPTURA_PDF")) {
            for (auto [crp, sufijo] :
                 {std::pair{v.crpReport(), "guia"}, {v.crpReport2(), "cobranza"}}) {
                if (std::string(sufijo) == "guia")
                    v.cmdReporte_Click();
                else
                    v.Command1_Click();
                if (crp->ultimoDocumento())
                    quilmaro::reporte::exportaPdf(
                        *crp->ultimoDocumento(),
                        qEnvironmentVariable("CAPTURA_PDF") + "-" + sufijo + ".pdf");
            }
        }
    });
    return codigo;
}
