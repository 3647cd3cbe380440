// libTESK's store on the server: typed settings one per row of a settings table, folio counters
// among them, and long texts kept in numbered pieces of a memo table.

#include <QStringList>

#include "core/Regional.h"
#include "core/libTESK.h"
#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/Transaccion.h"
#include "db/ValoresSQL.h"
#include "platform/Plataforma.h"

namespace quilmaro {

namespace {

// Pieces of a memo hold at most this many characters (UTF-16 units).
constexpr qsizetype kTramoMemo = 250;
// Comments of new settings are cut to this many characters.
constexpr qsizetype kLargoComentario = 100;

const QString kConfiguracion = QStringLiteral("configuracion");

[[noreturn]] void usoNoValidoDeNull() {
    throw ErrorTESK(94, QStringLiteral("Uso no válido de Null"));
}

Recordset& abierta(const std::shared_ptr<Recordset>& rst) {
    if (!rst)
        throw ErrorBdD::propio(errores::SinObjeto);
    return *rst;
}

// The criterion's own quoting: an apostrophe inside the text is doubled.
QString criterioDato(const QString& llave) {
    QString t = llave;
    t.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("Dato = '") + t + QLatin1Char('\'');
}

// Upper-cases the key and leaves the table on the setting's row. False when the table has no such
// row. With soloSiHayFilas an empty table simply has none; otherwise moving to its first row fails.
bool buscaDato(QString& sDato, Recordset& tabla, bool soloSiHayFilas) {
    sDato = sDato.toUpper();
    if (soloSiHayFilas && tabla.cuentaRegistros() == 0)
        return false;
    tabla.primero();
    tabla.busca(criterioDato(sDato));
    return !tabla.bof() && !tabla.eof();
}

enum class Clase { Texto, Numero, Fecha, Bandera, Otra };

Clase claseDeTipo(const QString& tipo) {
    if (tipo == QLatin1String("C") || tipo == QLatin1String("S") || tipo == QLatin1String("T"))
        return Clase::Texto;
    if (tipo == QLatin1String("N"))
        return Clase::Numero;
    if (tipo == QLatin1String("F") || tipo == QLatin1String("D"))
        return Clase::Fecha;
    if (tipo == QLatin1String("B") || tipo == QLatin1String("L"))
        return Clase::Bandera;
    return Clase::Otra;
}

Clase claseDeFila(const Recordset& tabla) {
    return claseDeTipo(tabla.campo(QStringLiteral("Tipo")).valor().aTexto());
}

// The stored text, which must not be NULL.
QString textoGuardado(const Variante& v) {
    if (v.esNulo())
        usoNoValidoDeNull();
    return v.aTexto();
}

// The setting's value on the current row, by its type.
Variante valorDeFila(const Recordset& tabla) {
    const auto& contenido = tabla.campo(QStringLiteral("Contenido"));
    switch (claseDeFila(tabla)) {
        case Clase::Texto:
            return contenido.valor();
        case Clase::Numero:
            return Variante(tesk().tkVal(textoGuardado(contenido.valor())));
        case Clase::Fecha: {
            const QString t = tesk().AllTrim(tesk().NoNull(contenido).aTexto()).texto();
            if (t.isEmpty())
                return Variante(QString());
            const auto f = leeFechaRegional(t);
            if (!f)
                errores::lanza(errores::TiposNoCoinciden);
            return Variante(*f);
        }
        case Clase::Bandera:
            return Variante(tesk().tkVal(textoGuardado(contenido.valor())) != 0.0);
        case Clase::Otra:
            break;
    }
    return Variante(QString());
}

// What the setting stores for a value, by its type.
QString textoParaGuardar(Clase clase, const Variante& v) {
    switch (clase) {
        case Clase::Texto:
        case Clase::Numero:
            if (v.esNulo())
                usoNoValidoDeNull();
            return v.aTexto();
        case Clase::Bandera:
            return v.aBooleano() ? QStringLiteral("1") : QStringLiteral("0");
        case Clase::Fecha:
            if (v.esNulo())
                return QString();
            return formateaFecha(v.aFecha().date(), QStringLiteral("dd/mmm/yyyy"));
        case Clase::Otra:
            break;
    }
    return QString();
}

// Adds the text under the key in pieces of at most kTramoMemo units, numbered from 1, each
// through AgregaRegistro (which shows a piece the server refuses and goes on). Returns the pieces
// sent.
int agregaPiezas(const std::shared_ptr<Conexion>& cnn, std::shared_ptr<Recordset>& rst,
                 const QString& stTabla, const QString& stLlave, const QString& stContenido) {
    const QStringList campos{QStringLiteral("Llave"), QStringLiteral("Registro"),
                             QStringLiteral("Contenido")};
    const qsizetype total = stContenido.size();
    qsizetype posicion = 0;
    int registro = 0;
    while (posicion < total) {
        plataforma().procesaEventos();
        qsizetype n = std::min(kTramoMemo, total - posicion);
        // A character outside the basic plane takes two units: it goes whole into the next
        // piece.
        if (n > 1 && posicion + n < total && stContenido.at(posicion + n - 1).isHighSurrogate() &&
            stContenido.at(posicion + n).isLowSurrogate())
            --n;
        QStringList valores{stLlave, QString::number(++registro), stContenido.mid(posicion, n)};
        tesk().AgregaRegistro(cnn, rst, stTabla, campos, valores);
        posicion += n;
    }
    return registro;
}

}  // namespace

Variante libTESK::LeeDato(QString& sDato, std::shared_ptr<Recordset>& Tabla,
                          const std::shared_ptr<Conexion>& /*BDD*/) {
    Variante resultado{QString()};
    sDato = sDato.toUpper();
    try {
        Recordset& tabla = abierta(Tabla);
        if (buscaDato(sDato, tabla, false))
            resultado = valorDeFila(tabla);
    } catch (const ErrorTESK&) {
        // Whatever could not be read leaves the result as it was.
    }
    return resultado;
}

QString libTESK::GrabaDato(QString& sDato, const Variante& vValor,
                           std::shared_ptr<Recordset>& Tabla,
                           const std::shared_ptr<Conexion>& /*BDD*/) {
    Recordset& tabla = abierta(Tabla);
    if (!buscaDato(sDato, tabla, false))
        return QString();
    const QString texto = textoParaGuardar(claseDeFila(tabla), vValor);
    tabla.campo(QStringLiteral("Contenido")).asigna(Variante(texto));
    tabla.actualiza();
    tabla.reconsulta();
    return texto;
}

QString libTESK::IniciaDato(QString& sDato, const QString& sValorDefault, const QString& sTipo,
                            const QString& sComentario, std::shared_ptr<Recordset>& Tabla,
                            const std::shared_ptr<Conexion>& BDD, QString& stTabla) {
    if (stTabla.isEmpty())
        stTabla = kConfiguracion;
    stTabla = stTabla.toLower();
    if (buscaDato(sDato, abierta(Tabla), true))
        return QString();
    if (!BDD)
        throw ErrorBdD::propio(errores::SinObjeto);
    const auto texto = [&](const QString& v) { return BDD->escapa(v); };
    const QString sentencia = QStringLiteral("Insert into ") + stTabla +
                              QStringLiteral(" (Dato, Contenido, Tipo, Comentario) values ('") +
                              texto(sDato) + QStringLiteral("', '") + texto(sValorDefault) +
                              QStringLiteral("', '") + texto(sTipo.toUpper()) +
                              QStringLiteral("', '") + texto(sComentario.left(kLargoComentario)) +
                              QStringLiteral("');");
    BDD->ejecuta(sentencia);
    return sentencia;
}

QString libTESK::IniciaDato(QString& sDato, const QString& sValorDefault, const QString& sTipo,
                            const QString& sComentario, std::shared_ptr<Recordset>& Tabla,
                            const std::shared_ptr<Conexion>& BDD) {
    QString stTabla;
    return IniciaDato(sDato, sValorDefault, sTipo, sComentario, Tabla, BDD, stTabla);
}

std::int32_t libTESK::ObtenFolio(QString& sDato, std::shared_ptr<Recordset>& Tabla,
                                 const std::shared_ptr<Conexion>& /*BDD*/) {
    Recordset& tabla = abierta(Tabla);
    sDato = sDato.toUpper();
    const std::shared_ptr<Conexion> cnn = tabla.conexion();
    if (!cnn || !cnn->estaAbierta())
        throw ErrorBdD::propio(errores::ConexionCerrada);
    const ColumnaBdD& dato = tabla.campo(QStringLiteral("Dato")).columna();
    if (dato.tabla.isEmpty() || dato.nombreOriginal.isEmpty())
        throw ErrorBdD::propio(errores::NoActualizable);
    const QString bloqueo =
        QStringLiteral("SELECT * FROM %2.%3 WHERE %1 = '%4' FOR UPDATE")
            .arg(identificadorSQL(dato.nombreOriginal), identificadorSQL(dato.base),
                 identificadorSQL(dato.tabla), cnn->escapa(sDato));

    // The counter's row stays locked from the read to the write: a second workstation waits at
    // its own SELECT ... FOR UPDATE and then reads the value written here. The value is the one
    // that locking read gives (always the latest, whatever the isolation level), not a snapshot.
    // Inside the caller's own transaction the lock lasts until the caller ends it, and a failure
    // undoes only this.
    Transaccion transaccion(*cnn);
    std::shared_ptr<Recordset> fila = cnn->ejecuta(bloqueo);
    tabla.reconsulta();
    Variante actual{QString()};
    try {
        actual = fila && !fila->eof() ? valorDeFila(*fila) : LeeDato(sDato, Tabla);
    } catch (const ErrorTESK&) {
        // Read as LeeDato reads: what cannot be read counts as empty.
    }
    fila.reset();
    const Variante suma = Variante::suma(actual, Variante(std::int16_t{1}));
    const std::int32_t folio = suma.aLargo();
    GrabaDato(sDato, Variante(folio), Tabla);
    transaccion.confirma();
    return folio;
}

void libTESK::GrabaMemo(const QString& stLlave, const QString& stContenido,
                        const std::shared_ptr<Conexion>& cnnBdD, const QString& stTabla,
                        std::shared_ptr<Recordset>& rstTabla) {
    const CursorOcupado ocupado;
    if (!cnnBdD)
        throw ErrorBdD::propio(errores::SinObjeto);
    // All the pieces or none: the old text is deleted first, so a piece the server refuses
    // (AgregaRegistro shows why) would otherwise leave the memo cut short or gone. Inside the
    // caller's own transaction only the memo's own work is undone.
    const auto llave =
        QStringLiteral(" where Llave = '") + cnnBdD->escapa(stLlave) + QLatin1Char('\'');
    Transaccion transaccion(*cnnBdD);
    cnnBdD->ejecuta(QStringLiteral("Delete from ") + stTabla + llave);
    const int piezas = agregaPiezas(cnnBdD, rstTabla, stTabla, stLlave, stContenido);
    std::shared_ptr<Recordset> cuenta =
        cnnBdD->ejecuta(QStringLiteral("Select count(*) from ") + stTabla + llave);
    const bool completo = cuenta && !cuenta->eof() && cuenta->campo(0).valor().aDoble() == piezas;
    cuenta.reset();
    if (completo)
        transaccion.confirma();
}

QString libTESK::LeerMemo(const QString& stLlave, const std::shared_ptr<Conexion>& /*cnnBdD*/,
                          const QString& stTabla, std::shared_ptr<Recordset>& rstTabla) {
    QString texto;
    Recordset& rst = abierta(rstTabla);
    rst.cierra();
    const std::shared_ptr<Conexion> cnn = rst.conexion();
    if (!cnn)
        throw ErrorBdD::propio(errores::ConexionCerrada);
    rst.abre(QStringLiteral("Select * from ") + stTabla.toLower() +
                 QStringLiteral(" where Llave = '") + cnn->escapa(stLlave) +
                 QStringLiteral("' order by Llave, Registro"),
             cnn);
    while (!rst.eof()) {
        plataforma().procesaEventos();
        texto += textoGuardado(rst.campo(QStringLiteral("Contenido")).valor());
        rst.siguiente();
    }
    return texto;
}

}  // namespace quilmaro
