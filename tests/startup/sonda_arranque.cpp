// Runs the program's entry routine in the folder it was copied to; its "main window" prints the
// program-wide values and the current folder, one per line.

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "core/Globales.h"
#include "core/Principal.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    quilmaro::Main(QCoreApplication::applicationDirPath(), [] {
        std::printf("stServidor=[%s]\n", qUtf8Printable(quilmaro::stServidor));
        std::printf("stBaseDeDatos=[%s]\n", qUtf8Printable(quilmaro::stBaseDeDatos));
        std::printf("stRutaPrograma=[%s]\n", qUtf8Printable(quilmaro::stRutaPrograma));
        std::printf("actual=[%s]\n", qUtf8Printable(QDir::currentPath()));
        std::printf("inEsperaServidor=[%d]\n", quilmaro::inEsperaServidor);
    });
    return 0;
}
