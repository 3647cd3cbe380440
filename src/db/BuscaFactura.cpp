#include "db/BuscaFactura.h"

#include <QLocale>
#include <cmath>

#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/TempDeODBC.h"

namespace quilmaro {

namespace {

// Name of the cancellation flag column of facturas, on servers whose invoices have one.
const QString kColumnaCancelada = QStringLiteral("Cancelada");

// Whether the record set's current invoice is marked cancelled (false without the column).
bool estaCancelada(const Recordset& rs) {
    for (int i = 0; i < rs.cuentaCampos(); ++i) {
        if (rs.campo(i).nombre().compare(kColumnaCancelada, Qt::CaseInsensitive) != 0)
            continue;
        const Variante v = rs.campo(i).valor();
        return !v.esNulo() && v.aDoble() != 0.0;
    }
    return false;
}

// A field's value as text: empty for NULL.
QString textoCampo(const Recordset& rs, const char* nombre) {
    const Variante v = rs.campo(QString::fromLatin1(nombre)).valor();
    return v.esNulo() ? QString() : v.aTexto();
}

Factura leeFactura(const Recordset& rs) {
    Factura f;
    f.id = textoCampo(rs, "ID");
    f.cancelada = estaCancelada(rs);
    f.serie = textoCampo(rs, "Serie");
    f.numero = textoCampo(rs, "Factura");
    f.fecha = rs.campo(QStringLiteral("Fecha")).valor();
    const Variante sub = rs.campo(QStringLiteral("Subtotal")).valor();
    const Variante iva = rs.campo(QStringLiteral("IVA")).valor();
    const Variante imp = rs.campo(QStringLiteral("ImpuestoAd")).valor();
    if (!sub.esNulo() && !iva.esNulo() && !imp.esNulo())
        f.total = sub.aDoble() + iva.aDoble() + imp.aDoble();
    f.cliente = textoCampo(rs, "Cliente");
    f.nombre = textoCampo(rs, "Nombre");
    return f;
}

}  // namespace

BusquedaFactura BuscaFactura(std::shared_ptr<Recordset>& rst, std::shared_ptr<Conexion>& cnn,
                             const QString& serie, double numero) {
    using R = BusquedaFactura::Resultado;
    const QString textoNumero =
        numero == std::floor(numero) && std::fabs(numero) < 1e15
            ? QString::number(static_cast<qint64>(numero))
            : QLocale::c().toString(numero, 'g', QLocale::FloatingPointShortest);
    const QString serieSql = cnn && cnn->estaAbierta() ? cnn->escapa(serie) : serie;
    QString tabla =
        QStringLiteral("facturas where Serie='%1' and Factura=%2").arg(serieSql, textoNumero);
    QString campos;
    BusquedaFactura b;
    if (!AbreTabla(rst, cnn, tabla, campos)) {
        b.resultado = rst && rst->estaAbierto() ? R::NoRegistrada : R::Fallida;
        return b;
    }
    try {
        b.factura = leeFactura(*rst);
        b.resultado = R::Encontrada;
    } catch (const ErrorTESK& e) {
        b.resultado = R::Ilegible;
        b.error = Error{e.numero(), e.descripcion()};
    }
    return b;
}

}  // namespace quilmaro
