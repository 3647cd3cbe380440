// Text typed or stored, read as a number, a hexadecimal number and a date; numbers and amounts
// written in words. Failures may only be the documented errors.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Entrada.h"
#include "core/libTESK.h"

namespace {

// Runs f: the only failure it may have is an overflow.
template <class F>
void soloDesbordamiento(F f) {
    try {
        f();
    } catch (const quilmaro::ErrorTESK& e) {
        if (e.numero() != quilmaro::errores::Desbordamiento)
            __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    using namespace quilmaro;
    libTESK& t = tesk();
    const QString texto = fuzz::textoDe(datos, largo);
    soloDesbordamiento([&] {
        if (std::isnan(t.tkVal(texto)))
            __builtin_trap();
    });
    soloDesbordamiento([&] { t.HtoD(texto); });
    const QString sql = t.FechaSQL(texto);
    if (sql != QLatin1String("0000-00-00") && sql.count(QLatin1Char('-')) != 2)
        __builtin_trap();

    if (largo >= 4) {
        std::int32_t n;
        std::memcpy(&n, datos, 4);
        if (t.Numeros(n).isEmpty())
            __builtin_trap();
    }
    if (largo >= 8) {
        double d;
        std::memcpy(&d, datos, 8);
        soloDesbordamiento([&] {
            if (!t.Moneda(d).endsWith(QLatin1String("/100 M. N.")))
                __builtin_trap();
        });
    }
    return 0;
}
