#pragma once
// What the fuzz targets share: the program's regional settings (Spanish, Mexico), set once per
// process, and the input bytes taken as the text a user or a file would give.

#include <QString>
#include <cstddef>
#include <cstdint>

#include "core/Regional.h"

namespace quilmaro::fuzz {

inline void preparaRegional() {
    static const bool listo = [] {
        fijaRegional(QLocale(QLocale::Spanish, QLocale::Mexico));
        return true;
    }();
    (void)listo;
}

// The input as UTF-8 text (invalid sequences become replacement characters), after the set-up.
inline QString textoDe(const std::uint8_t* datos, std::size_t largo) {
    preparaRegional();
    return QString::fromUtf8(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
}

}  // namespace quilmaro::fuzz
