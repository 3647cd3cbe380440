// Build tool: makes the local report database template from its SQL script.
//   genera_auxiliar <script.sql> <Auxiliar.MDB>

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "reports/BaseLocal.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "uso: genera_auxiliar <script.sql> <archivo>\n");
        return 2;
    }
    QFile script(QString::fromLocal8Bit(argv[1]));
    if (!script.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no se puede leer %s\n", argv[1]);
        return 1;
    }
    const QString sql = QString::fromUtf8(script.readAll());
    if (auto e = quilmaro::BaseLocal::creaDesdeSql(QString::fromLocal8Bit(argv[2]), sql)) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(e->descripcion));
        return 1;
    }
    return 0;
}
