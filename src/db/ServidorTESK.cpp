// libTESK's methods on server connections, record sets and their fields.

#include "core/libTESK.h"
#include "db/Conexion.h"
#include "db/Recordset.h"

namespace quilmaro {

void libTESK::CierraBdD(std::shared_ptr<Conexion>& cnnBdD) {
    if (!cnnBdD)
        throw ErrorBdD::propio(errores::SinObjeto);
    cnnBdD->cierra();
    cnnBdD.reset();
}

void libTESK::CierraTabla(std::shared_ptr<Recordset>& rstTabla) {
    try {
        if (rstTabla && rstTabla->estaAbierto())
            rstTabla->cierra();
    } catch (const ErrorTESK&) {
    }
    rstTabla.reset();
}

Variante libTESK::NoNull(const CampoBdD& Campo) {
    Variante v = Campo.valor();
    if (!v.esNulo())
        return v;
    if (tipos::esNumeroClasico(Campo.tipo()))
        return Variante(std::int16_t{0});
    if (Campo.tipo() == tipos::adDBDate)
        return Variante(FechaVacia());
    return Variante(QString());
}

}  // namespace quilmaro
