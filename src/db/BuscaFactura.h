#pragma once
// The lookup of one invoice on the server by series and number, as the list adds it.

#include <QString>
#include <memory>
#include <optional>

#include "core/ErrorTESK.h"
#include "core/ListaFacturas.h"

namespace quilmaro {

class Conexion;
class Recordset;

struct BusquedaFactura {
    enum class Resultado {
        Encontrada,
        // The server answered: no invoice of that series and number.
        NoRegistrada,
        // The lookup failed; AbreTabla has shown why (the invoice may well be registered).
        Fallida,
        // Found, but its fields could not be read (error says why).
        Ilegible
    };
    Resultado resultado = Resultado::Fallida;
    // When found: the first row of that series and number.
    Factura factura;
    std::optional<Error> error;
};

// Looks up invoice `numero` of `serie` in facturas through AbreTabla, the record set left in
// rst. The number is written in its shortest decimal form ("125" for 0125), the series escaped
// for the connection. The optional cancellation column is read when the table has it.
BusquedaFactura BuscaFactura(std::shared_ptr<Recordset>& rst, std::shared_ptr<Conexion>& cnn,
                             const QString& serie, double numero);

}  // namespace quilmaro
