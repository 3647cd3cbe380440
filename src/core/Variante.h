#pragma once
// The program's dynamically typed value: what fields hand out and what the
// utility methods take where a value may be of any kind.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <variant>

namespace quilmaro {

class Variante {
  public:
    // Largo64, Decimal and Binario are what server columns need beyond the classic kinds:
    // 64-bit integers, exact decimals kept as their digits ("-1234.50") and raw bytes.
    enum class Tipo {
        Vacio,
        Nulo,
        Entero,
        Largo,
        Doble,
        Texto,
        Fecha,
        Booleano,
        Largo64,
        Decimal,
        Binario
    };

    Variante() = default;  // Empty
    Variante(std::int16_t v) : valor_(v) {}
    Variante(std::int32_t v) : valor_(v) {}
    Variante(double v) : valor_(v) {}
    Variante(bool v) : valor_(v) {}
    Variante(const QString& v) : valor_(v) {}
    Variante(const char* v) : valor_(QString::fromUtf8(v)) {}
    // A date, with its time of day (midnight for a plain date).
    Variante(const QDateTime& v);
    Variante(const QDate& v);

    static Variante nulo();
    static Variante entero(std::int16_t v) { return Variante(v); }
    static Variante largo(std::int32_t v) { return Variante(v); }
    static Variante largo64(std::int64_t v);
    // digitos: an optional "-", digits and at most one "." ("12.50", "-0.0001"); anything else
    // throws ErrorTESK (type mismatch).
    static Variante decimal(const QString& digitos);
    static Variante binario(const QByteArray& bytes);

    Tipo tipo() const;
    bool esVacio() const { return tipo() == Tipo::Vacio; }
    bool esNulo() const { return tipo() == Tipo::Nulo; }
    bool esNumero() const;  // 16-bit, 32-bit, 64-bit, double, decimal or boolean

    // Conversions as the program uses them. They throw ErrorTESK (type mismatch or overflow)
    // when the value cannot become the asked kind; Empty reads as 0, "" or false.
    double aDoble() const;
    std::int32_t aLargo() const;  // rounded half to even
    std::int16_t aEntero() const;
    bool aBooleano() const;
    QDateTime aFecha() const;
    // Text form: numbers with the regional decimal separator, dates in the regional order with a
    // four-digit year (and the time when it is not midnight), booleans as "Verdadero"/"Falso".
    // Empty and Null give "". A decimal keeps all its digits; bytes read as UTF-8.
    QString aTexto() const;

    // Accessors without conversion (undefined kind gives a default value).
    std::int16_t entero() const { return get<std::int16_t>(); }
    std::int32_t largo() const { return get<std::int32_t>(); }
    double doble() const { return get<double>(); }
    bool booleano() const { return get<bool>(); }
    QString texto() const { return get<QString>(); }
    QDateTime fecha() const { return get<QDateTime>(); }
    std::int64_t largo64() const { return get<std::int64_t>(); }
    QString decimalTexto() const { return get<DecimalT>().digitos; }  // always with "."
    QByteArray bytes() const { return get<QByteArray>(); }

    // Variant addition: numbers add widening the type as needed, two texts join, a text that
    // reads as a number adds to a number, Empty is the neutral value and Null absorbs.
    // Throws ErrorTESK when the values cannot be added.
    static Variante suma(const Variante& a, const Variante& b);

    // Same kind and same value.
    bool operator==(const Variante& otro) const { return valor_ == otro.valor_; }

    // Dates as the serial number of days since 30 December 1899 (fraction = time of day).
    static double fechaASerie(const QDateTime& f);
    static QDateTime serieAFecha(double serie);  // throws ErrorTESK(overflow) out of 100..9999

  private:
    struct NuloT {
        bool operator==(const NuloT&) const { return true; }
    };
    template <typename T>
    T get() const {
        const T* p = std::get_if<T>(&valor_);
        return p ? *p : T{};
    }
    struct DecimalT {
        QString digitos;
        bool operator==(const DecimalT& o) const { return digitos == o.digitos; }
    };
    std::variant<std::monostate, NuloT, std::int16_t, std::int32_t, double, QString, QDateTime,
                 bool, std::int64_t, DecimalT, QByteArray>
        valor_;
};

}  // namespace quilmaro
