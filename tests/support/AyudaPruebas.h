#pragma once
// Small helpers shared by the unit tests.

#include <QLocale>
#include <functional>

#include "core/ErrorTESK.h"
#include "core/Regional.h"

namespace quilmaro::prueba {

// The number of the ErrorTESK a call throws; 0 when it throws none.
inline int numeroDeError(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErrorTESK& e) {
        return e.numero();
    }
    return 0;
}

// Regional settings for the life of the object; es_MX (the tests' default) afterwards.
class RegionalFijo {
  public:
    explicit RegionalFijo(const QLocale& loc) { fijaRegional(loc); }
    RegionalFijo(QLocale::Language l, QLocale::Country c) : RegionalFijo(QLocale(l, c)) {}
    ~RegionalFijo() { fijaRegional(QLocale(QLocale::Spanish, QLocale::Mexico)); }
    RegionalFijo(const RegionalFijo&) = delete;
    RegionalFijo& operator=(const RegionalFijo&) = delete;
};

}  // namespace quilmaro::prueba
