// Any bytes as a settings file: reading a key and changing it never fails, the key reads back
// with its new value, and every other line stays.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "core/ArchivosTexto.h"
#include "core/libTESK.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    using namespace quilmaro;
    static QTemporaryDir carpeta;
    QString ruta = carpeta.filePath(QStringLiteral("PRUEBA.INI"));
    {
        QFile f(ruta);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            __builtin_trap();
        f.write(reinterpret_cast<const char*>(datos), static_cast<qint64>(largo));
    }
    libTESK& t = tesk();
    const QString clave = QStringLiteral("[Base de datos a usar]");
    t.ObtenINI(clave, ruta);
    t.CambiaIni(clave, QStringLiteral("datos9"), ruta);
    if (t.ObtenINI(clave, ruta) != QLatin1String("datos9"))
        __builtin_trap();
    return 0;
}
