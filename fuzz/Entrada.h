#pragma once
// What the fuzz targets share: the program's regional settings (Spanish, Mexico) and hashes (and
// with them the order of hashed containers) the same on every run, set once per process; the
// input bytes taken as the text a user or a file would give; and the engine's messages shown.

#include <QHashFunctions>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "core/Regional.h"

namespace quilmaro::fuzz {

inline void prepara() {
    static const bool listo = [] {
        QHashSeed::setDeterministicGlobalSeed();
        fijaRegional(QLocale(QLocale::Spanish, QLocale::Mexico));
        return true;
    }();
    (void)listo;
}

// The input as UTF-8 text (invalid sequences become replacement characters), after the set-up.
inline QString textoDe(const std::uint8_t* datos, std::size_t largo) {
    prepara();
    return QString::fromUtf8(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
}

// With QUILMARO_FUZZ_MENSAJES set, the engine's messages go to the standard error: to see how far
// an input gets when it is run by hand.
inline void muestra(const QString& mensaje) {
    static const bool mostrar = qEnvironmentVariableIsSet("QUILMARO_FUZZ_MENSAJES");
    if (mostrar)
        std::fprintf(stderr, "%s\n", qPrintable(mensaje));
}

}  // namespace quilmaro::fuzz
