#pragma once
// A fresh folder for one test, removed afterwards.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace quilmaro::prueba {

inline QByteArray leeBytes(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline bool escribeBytes(const QString& ruta, const QByteArray& datos) {
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(datos) == datos.size();
}

}  // namespace quilmaro::prueba
