// Quilmaro: the clerk's invoice list and its delivery and collection reports.

#include <QApplication>

#include "forms/main/frmReporte.h"
#include "platform/PlataformaQt.h"
#include "startup/Principal.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(quilmaro::kTituloPrograma);
    quilmaro::PlataformaQt plataforma;
    quilmaro::instalaPlataforma(&plataforma);
    quilmaro::Main(QCoreApplication::applicationDirPath(), [] {
        quilmaro::frmReporte ventana;
        ventana.exec();
    });
    return 0;
}
