#pragma once
// The currency value: a 64-bit fixed-point number with four decimal places. The disk-space
// methods hand out byte counts in this form.

#include <QString>
#include <compare>
#include <cstdint>
#include <limits>

#include "core/ErrorTESK.h"

namespace quilmaro {

class Moneda64 {
  public:
    static constexpr std::int64_t kEscala = 10000;

    constexpr Moneda64() = default;

    // The value whose scaled form (value × 10,000) is `escalado`.
    static constexpr Moneda64 deEscalado(std::int64_t escalado) {
        Moneda64 m;
        m.escalado_ = escalado;
        return m;
    }
    // A whole number of units; beyond the range (about ±922 million millions) it is an overflow.
    static Moneda64 deEntero(std::int64_t unidades) {
        if (unidades > std::numeric_limits<std::int64_t>::max() / kEscala ||
            unidades < std::numeric_limits<std::int64_t>::min() / kEscala)
            errores::lanza(errores::Desbordamiento);
        return deEscalado(unidades * kEscala);
    }
    static Moneda64 deSinSigno(std::uint64_t unidades) {
        if (unidades > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            errores::lanza(errores::Desbordamiento);
        return deEntero(static_cast<std::int64_t>(unidades));
    }

    constexpr std::int64_t escalado() const { return escalado_; }
    // The whole part, cut toward zero.
    constexpr std::int64_t entero() const { return escalado_ / kEscala; }
    double aDoble() const { return static_cast<double>(escalado_) / kEscala; }
    // Plain decimal text with "." and no more decimals than needed: "1234", "-0.5", "3.1416".
    QString aTexto() const {
        const bool negativo = escalado_ < 0;
        // The magnitude of the smallest value does not fit an int64; go through uint64.
        const std::uint64_t m = negativo ? 0 - static_cast<std::uint64_t>(escalado_)
                                         : static_cast<std::uint64_t>(escalado_);
        QString s = QString::number(m / kEscala);
        std::uint64_t fraccion = m % kEscala;
        if (fraccion != 0) {
            QString decimales = QString::number(fraccion).rightJustified(4, QLatin1Char('0'));
            while (decimales.endsWith(QLatin1Char('0')))
                decimales.chop(1);
            s += QLatin1Char('.') + decimales;
        }
        return negativo ? QLatin1Char('-') + s : s;
    }

    constexpr auto operator<=>(const Moneda64&) const = default;

  private:
    std::int64_t escalado_ = 0;
};

}  // namespace quilmaro
