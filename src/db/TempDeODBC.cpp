#include "db/TempDeODBC.h"
#include "core/Principal.h"

#include <optional>
#include <vector>

#include "core/Globales.h"
#include "core/libTESK.h"
#include "db/ValoresSQL.h"
#include "platform/Plataforma.h"

namespace quilmaro {

void muestraErrorInsercion(const ErrorTESK& e, const QString& stTabla, const QString& campo,
                           const QString& sentencia) {
    if (e.numero() == errores::CampoInexistente)
        muestraError(QStringLiteral("No existe el campo '%1' en la tabla '%2'").arg(campo, stTabla),
                     QStringLiteral("ERROR"));
    else if (e.numero() == errores::SentenciaRechazada)
        muestraError(QStringLiteral("Uno de los valores enviados para grabarse en la tabla '") +
                         stTabla + QStringLiteral("' es incorrecto: ") + sentencia,
                     QStringLiteral("ERROR"));
    else
        muestraError(QStringLiteral("Sucedió un error al tratar de agregar el registro en '") +
                         stTabla + QStringLiteral("'. Favor de revisar los valores enviados"),
                     QStringLiteral("ERROR"));
}

namespace {

const QString& kTitulo = kTituloPrograma;

// InsertaRegistro, where an entry of `literales` stands for a value already written as SQL.
QString insertaValores(const std::shared_ptr<Conexion>& cnnBdD,
                       const std::shared_ptr<Recordset>& rstTipos, const QString& stTabla,
                       const QStringList& stCampos, QStringList& stValores,
                       const std::vector<std::optional<QString>>& literales) {
    if (stCampos.size() != stValores.size()) {
        muestraError(
            QStringLiteral("La lista de campos y la lista de valores tienen diferentes elementos"),
            QStringLiteral("ERROR"));
        return QString();
    }
    QString columnas = QStringLiteral("Insert into ") + stTabla.toLower() + QStringLiteral(" (");
    QString valores;
    const qsizetype n = stCampos.size();
    for (qsizetype i = 0; i < n; ++i) {
        plataforma().procesaEventos();
        columnas += stCampos[i];
        const bool hayLiteral = i < static_cast<qsizetype>(literales.size()) &&
                                literales[static_cast<size_t>(i)].has_value();
        if (hayLiteral) {
            valores += *literales[static_cast<size_t>(i)];
        } else {
            int tipo = -1;
            try {
                if (!rstTipos)
                    throw ErrorBdD::propio(errores::SinObjeto);
                tipo = rstTipos->campo(stCampos[i]).tipo();
            } catch (const ErrorTESK& e) {
                muestraErrorInsercion(e, stTabla, stCampos[i], QString());
            }
            valores += valorDeLista(cnnBdD, tipo, stValores[i]);
        }
        if (i < n - 1) {
            columnas += QLatin1Char(',');
            valores += QLatin1Char(',');
        }
    }
    columnas += QStringLiteral(") values (");
    valores += QStringLiteral(");");
    const QString sentencia = columnas + valores;
    try {
        if (!cnnBdD)
            throw ErrorBdD::propio(errores::SinObjeto);
        cnnBdD->ejecuta(sentencia);
    } catch (const ErrorTESK& e) {
        muestraErrorInsercion(e, stTabla, QString(), sentencia);
    }
    return sentencia;
}

bool esEnumeracion(const ColumnaBdD& c) {
    return (c.flags & (256u | 2048u)) != 0;  // ENUM_FLAG, SET_FLAG
}

// One value of a copied row: the text for InsertaRegistro's own rules where those give the right
// value, otherwise an SQL literal.
struct ValorCopia {
    QString texto;
    std::optional<QString> literal;
};

// Numbers InsertaRegistro writes bare and NoNull blanks to 0.
bool esNumeroSimple(const ColumnaBdD& c) {
    return tipos::esNumeroClasico(c.tipo);
}

// Texts InsertaRegistro quotes that take NoNull's "" (an enumeration may not).
bool esTextoSimple(const ColumnaBdD& c) {
    return (c.tipo == tipos::adChar || c.tipo == tipos::adVarChar) && !esEnumeracion(c);
}

bool esLarga(int tipo) {
    return tipo == tipos::adLongVarChar || tipo == tipos::adLongVarBinary;
}

ValorCopia valorParaCopia(const CampoBdD& origen, const ColumnaBdD& destino, const Conexion& cnn) {
    using namespace tipos;
    const Variante v = tesk().NoNull(origen);
    const int td = destino.tipo;
    const bool esFecha = td == adDBDate;
    const bool vaEntreComillas = td == adChar || td == adVarChar || esFecha;
    const bool esNumeroSimple = quilmaro::esNumeroSimple(destino);
    const bool esTextoSimple = quilmaro::esTextoSimple(destino);

    if (origen.esNulo()) {
        // NoNull's blank where the column takes it (0, ''); NULL elsewhere: a missing date stays
        // missing (strict servers refuse the zero date, and it would print as one).
        if ((esNumeroSimple && v.esNumero()) || esTextoSimple)
            return {v.esNumero() ? numeroSQL(v) : v.aTexto(), std::nullopt};
        return {QString(), QStringLiteral("NULL")};
    }
    if (esNumeroSimple)
        return {v.esNumero() ? numeroSQL(v) : v.aTexto(), std::nullopt};
    if (vaEntreComillas)
        return {v.aTexto(), std::nullopt};

    const auto entreComillas = [&](const QByteArray& t) {
        return QLatin1Char('\'') + cnn.escapa(QString::fromUtf8(t)) + QLatin1Char('\'');
    };
    const int to = origen.tipo();
    if ((td == adDBTimeStamp && (to == adDBTimeStamp || to == adDBDate)) || td == adDBTime) {
        // The server's own text: every digit of the time, fractions included.
        const ValorBdD crudo = origen.textoServidor();
        if (crudo && (to == adDBTimeStamp || to == adDBDate || to == adDBTime))
            return {QString(), entreComillas(*crudo)};
    }
    return {QString(), literalSQL(v, destino, cnn)};
}

}  // namespace

QString CadenaConexion(const QString& servidor, const QString& baseDeDatos) {
    QString s = QStringLiteral("DRIVER={MySQL ODBC 3.51 Driver};");
    if (!tesk().AllTrim(servidor).texto().isEmpty())
        s += QStringLiteral("SERVER=") + servidor + QLatin1Char(';');
    s += QStringLiteral("DATABASE=") + baseDeDatos + QLatin1Char(';');
    s += QStringLiteral("UID=root;PWD=;");
    return s;
}

QString NumeroDeError(int numero) {
    return numero < 0 ? QString::number(numero) : QLatin1Char(' ') + QString::number(numero);
}

namespace {

// The question asked while the server cannot be reached; true for Yes (the default).
bool preguntaReintento() {
    return muestraMensaje(QStringLiteral("No hay conexión con el servidor. ¿Desea reintentar "
                                         "abrir la base de datos?"),
                          QStringLiteral("ERROR"), Botones::SiNo, Icono::Exclamacion,
                          Respuesta::Si) == Respuesta::Si;
}

// Any other failure of the connection: the text before the number tells what was being done.
void avisaErrorConexion(const QString& que, const ErrorTESK& e) {
    muestraError(que + NumeroDeError(e.numero()) + QStringLiteral(": ") + e.descripcion(),
                 QStringLiteral("Error"));
}

const QString kErrorAlAbrir = QStringLiteral("Error al abrir la base de datos:");

// The database name as it is used: the general one when none is named, lower case.
void normalizaBase(QString& stBaseDatos) {
    if (stBaseDatos.isEmpty())
        stBaseDatos = kBaseDeDatosGeneral;
    stBaseDatos = stBaseDatos.toLower();
}

}  // namespace

void AbreBdD(std::shared_ptr<Conexion>& cnnBdD, QString& stBaseDatos) {
    for (;;) {
        normalizaBase(stBaseDatos);
        cnnBdD = Conexion::crea();
        cnnBdD->setCadenaConexion(CadenaConexion(stServidor, stBaseDatos));
        try {
            cnnBdD->abre();
            return;
        } catch (const ErrorTESK& e) {
            if (e.numero() == errores::ServidorInalcanzable) {
                if (preguntaReintento())
                    continue;
                plataforma().terminaProceso(0);
            }
            avisaErrorConexion(kErrorAlAbrir, e);
            return;
        }
    }
}

bool AseguraConexion(std::shared_ptr<Conexion>& cnnBdD, QString& stBaseDatos) {
    if (cnnBdD && cnnBdD->estaAbierta()) {
        // Nothing from the server since its last answer: the connection is taken as it is, and
        // a lookup does not pay a round trip first. Anything else (the server's end of a closed
        // connection, most often) is settled by asking the server.
        if (cnnBdD->enCalma())
            return true;
        try {
            cnnBdD->ejecuta(QStringLiteral("Do 0"));
            return true;
        } catch (const ErrorTESK& e) {
            if (e.numero() != errores::ServidorInalcanzable) {
                avisaErrorConexion(QStringLiteral("Error al usar la conexión con el servidor:"), e);
                return false;
            }
        }
    }
    // A new connection; while the server cannot be reached the clerk decides whether to try
    // again. The old connection keeps its place until a new one opens: a No leaves everything as
    // it was (the program goes on, with its list) and the next command asks again.
    normalizaBase(stBaseDatos);
    for (;;) {
        auto nueva = Conexion::crea();
        nueva->setCadenaConexion(CadenaConexion(stServidor, stBaseDatos));
        try {
            nueva->abre();
            if (cnnBdD && cnnBdD->estaAbierta()) {
                try {
                    cnnBdD->cierra();
                } catch (const ErrorTESK&) {
                    // Already gone with the server.
                }
            }
            cnnBdD = std::move(nueva);
            return true;
        } catch (const ErrorTESK& e) {
            if (e.numero() != errores::ServidorInalcanzable) {
                avisaErrorConexion(kErrorAlAbrir, e);
                return false;
            }
        }
        if (!preguntaReintento())
            return false;
    }
}

bool AbreTabla(std::shared_ptr<Recordset>& rstTabla, const std::shared_ptr<Conexion>& cnnBdD,
               QString& stTabla, QString& stCampos) {
    const qsizetype blanco = stTabla.indexOf(QLatin1Char(' '));
    stTabla =
        blanco >= 0 ? stTabla.left(blanco).toLower() + stTabla.mid(blanco) : stTabla.toLower();
    QString sentencia;
    try {
        if (stCampos.isEmpty())
            stCampos = QStringLiteral("*");
        sentencia = Reemplaza(QStringLiteral("Select XXX from "), stCampos) + stTabla;
        rstTabla = Recordset::crea();
        rstTabla->abre(sentencia, cnnBdD);
        return !rstTabla->eof();
    } catch (const ErrorTESK& e) {
        if (e.numero() == errores::ConexionCerrada) {
            muestraError(QStringLiteral("No se puede abrir la base de datos, porque no hay "
                                        "conexión con el servidor"),
                         QStringLiteral("ERROR"));
            plataforma().terminaProceso(0);
        }
        muestraError(QStringLiteral("Error al intentar abrir la tabla:") +
                         NumeroDeError(e.numero()) + QStringLiteral(": ") + e.descripcion() +
                         QStringLiteral("\r(") + sentencia + QLatin1Char(')'),
                     QStringLiteral("Error"));
        return false;
    }
}

QString Reemplaza(const QString& stTexto, const QString& stValor) {
    static const QString marca = QStringLiteral("XXX");
    QString r;
    qsizetype desde = 0;
    for (;;) {
        const qsizetype i = stTexto.indexOf(marca, desde, Qt::CaseInsensitive);
        if (i < 0)
            break;
        r += stTexto.mid(desde, i - desde) + stValor;
        desde = i + marca.size();
    }
    return r + stTexto.mid(desde);
}

QString Reemplaza(const QString& stTexto, const QString& stValor, const Conexion& cnn) {
    return Reemplaza(stTexto, cnn.escapa(stValor));
}

QString InsertaRegistro(const std::shared_ptr<Conexion>& cnnBdD,
                        const std::shared_ptr<Recordset>& rstTipos, const QString& stTabla,
                        const QStringList& stCampos, QStringList& stValores) {
    return insertaValores(cnnBdD, rstTipos, stTabla, stCampos, stValores, {});
}

void PasaCampos(const std::shared_ptr<Recordset>& rstOrigen,
                const std::shared_ptr<Recordset>& rstDestino,
                const std::shared_ptr<Conexion>& cnnBdD, const QString& stTabla) {
    QStringList campos;
    QStringList valores;
    std::vector<std::optional<QString>> literales;
    try {
        if (!rstOrigen || !rstDestino)
            throw ErrorBdD::propio(errores::SinObjeto);
        if (rstOrigen->eof() || rstOrigen->bof())
            throw ErrorBdD::propio(errores::SinRegistroActual);
        static const Conexion sinConexion;
        const Conexion& cnn = cnnBdD ? *cnnBdD : sinConexion;
        const int n = rstOrigen->cuentaCampos();
        const int m = rstDestino->cuentaCampos();
        for (int i = 0; i < n; ++i) {
            const CampoBdD& origen = rstOrigen->campo(i);
            if (esLarga(origen.tipo()))
                continue;
            for (int j = 0; j < m; ++j) {
                const CampoBdD& destino = rstDestino->campo(j);
                if (destino.nombre().compare(origen.nombre(), Qt::CaseInsensitive) != 0)
                    continue;
                ValorCopia v = valorParaCopia(origen, destino.columna(), cnn);
                campos.append(origen.nombre());
                valores.append(v.literal ? *v.literal : v.texto);
                literales.push_back(std::move(v.literal));
                break;
            }
        }
    } catch (const ErrorTESK& e) {
        // A row that cannot be read whole is not inserted at all.
        muestraMensaje(QStringLiteral("Error al intentar pasar campos: ") +
                           QString::number(e.numero()) + QStringLiteral(", ") + e.descripcion(),
                       kTitulo, Botones::Aceptar, Icono::Ninguno);
        return;
    }
    insertaValores(cnnBdD, rstDestino, stTabla, campos, valores, literales);
}

std::uint64_t CopiaRegistros(Conexion& cnn, const Recordset& rstDestino, const QString& stOrigen,
                             const QString& stDestino, const QString& columnaRenglon,
                             const std::vector<RenglonCopia>& renglones, FormaLista forma) {
    if (renglones.empty())
        return 0;
    // Each column as PasaCampos would write it; the same blanks, computed by the server, and
    // NULL dates kept NULL.
    QString columnas;
    QString valores;
    for (int j = 0; j < rstDestino.cuentaCampos(); ++j) {
        const ColumnaBdD& c = rstDestino.campo(j).columna();
        if (esLarga(c.tipo) || c.nombre.compare(columnaRenglon, Qt::CaseInsensitive) == 0)
            continue;
        const QString nombre = identificadorSQL(c.nombre);
        QString valor = QStringLiteral("o.") + nombre;
        if (esNumeroSimple(c))
            valor = QStringLiteral("COALESCE(%1, 0)").arg(valor);
        else if (esTextoSimple(c))
            valor = QStringLiteral("COALESCE(%1, '')").arg(valor);
        columnas += nombre + QLatin1Char(',');
        valores += valor + QLatin1Char(',');
    }
    columnas += identificadorSQL(columnaRenglon);
    valores += QStringLiteral("l.r");

    // The list as a derived table of (place, ID), joined on the key: one pass, list order kept
    // in the place column, duplicates kept, missing rows dropped by the join. Its first row names
    // the columns; a table value constructor carries the rest at a fraction of the server's work
    // of one SELECT a row.
    const bool constructor = forma == FormaLista::DelServidor && cnn.tieneValores();
    QString lista;
    lista.reserve(static_cast<qsizetype>(renglones.size()) * (constructor ? 20 : 36));
    lista +=
        QStringLiteral("SELECT %1 AS r, %2 AS i").arg(renglones[0].renglon).arg(renglones[0].id);
    for (size_t k = 1; k < renglones.size(); ++k) {
        if (!constructor)
            lista += QStringLiteral(" UNION ALL SELECT ");
        else if (k == 1)
            lista += QStringLiteral(" UNION ALL VALUES (");
        else
            lista += QStringLiteral(",(");
        lista += QString::number(renglones[k].renglon);
        lista += QLatin1Char(',');
        lista += QString::number(renglones[k].id);
        if (constructor)
            lista += QLatin1Char(')');
    }
    cnn.ejecuta(
        QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM (%4) AS l JOIN %5 AS o ON o.ID = l.i")
            .arg(stDestino, columnas, valores, lista, stOrigen));
    return cnn.filasAfectadas();
}

}  // namespace quilmaro
