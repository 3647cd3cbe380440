#pragma once
// The program's dynamically typed value: what fields hand out and what the
// utility methods take where a value may be of any kind.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <variant>

namespace quilmaro {

class Variante {
  public:
    enum class Tipo { Vacio, Nulo, Entero, Largo, Doble, Texto, Fecha, Booleano };

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

    Tipo tipo() const;
    bool esVacio() const { return tipo() == Tipo::Vacio; }
    bool esNulo() const { return tipo() == Tipo::Nulo; }
    bool esNumero() const;  // 16-bit, 32-bit, double or boolean

    // Conversions as the program uses them. They throw ErrorTESK (type mismatch or overflow)
    // when the value cannot become the asked kind; Empty reads as 0, "" or false.
    double aDoble() const;
    std::int32_t aLargo() const;  // rounded half to even
    std::int16_t aEntero() const;
    bool aBooleano() const;
    QDateTime aFecha() const;
    // Text form: numbers with the regional decimal separator, dates in the regional order with a
    // four-digit year (and the time when it is not midnight), booleans as "Verdadero"/"Falso".
    // Empty and Null give "".
    QString aTexto() const;

    // Accessors without conversion (undefined kind gives a default value).
    std::int16_t entero() const { return get<std::int16_t>(); }
    std::int32_t largo() const { return get<std::int32_t>(); }
    double doble() const { return get<double>(); }
    bool booleano() const { return get<bool>(); }
    QString texto() const { return get<QString>(); }
    QDateTime fecha() const { return get<QDateTime>(); }

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
    std::variant<std::monostate, NuloT, std::int16_t, std::int32_t, double, QString, QDateTime,
                 bool>
        valor_;
};

}  // namespace quilmaro
