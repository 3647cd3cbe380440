// Quilmaro: the clerk's invoice list and its delivery and collection reports.

#include <QApplication>

#include "core/Principal.h"
#include "gui/PlataformaQt.h"
#include "gui/SalidaVentanas.h"
#include "gui/Traducciones.h"
#include "gui/frmReporte.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(quilmaro::kTituloPrograma);
    quilmaro::cargaTraduccionesQt();
    quilmaro::PlataformaQt plataforma;
    quilmaro::instalaPlataforma(&plataforma);
    quilmaro::reporte::instalaSalidaEnVentanas();
    quilmaro::Main(QCoreApplication::applicationDirPath(), [] {
        quilmaro::frmReporte ventana;
        ventana.exec();
    });
    return 0;
}
