#include "db/Conexion.h"

#include <mysql.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cstring>

#include "core/Globales.h"
#include "db/Recordset.h"
#include "db/ResultadoBdD.h"
#include "db/ValoresSQL.h"
#include "platform/Sistema.h"

namespace quilmaro {

namespace {

// Once per process, before the first handle.
void iniciaBiblioteca() {
    static const bool iniciada = [] {
        mysql_library_init(0, nullptr, nullptr);
        return true;
    }();
    (void)iniciada;
}

int codigoTipo(const MYSQL_FIELD& f) {
    using namespace tipos;
    const bool sinSigno = (f.flags & UNSIGNED_FLAG) != 0;
    const bool binario = f.charsetnr == 63;
    switch (f.type) {
        case MYSQL_TYPE_TINY:
            return sinSigno ? adUnsignedTinyInt : adTinyInt;
        case MYSQL_TYPE_SHORT:
            return sinSigno ? adUnsignedSmallInt : adSmallInt;
        case MYSQL_TYPE_YEAR:
            return adSmallInt;
        case MYSQL_TYPE_INT24:
        case MYSQL_TYPE_LONG:
            return sinSigno ? adUnsignedInt : adInteger;
        case MYSQL_TYPE_LONGLONG:
            return sinSigno ? adUnsignedBigInt : adBigInt;
        case MYSQL_TYPE_FLOAT:
            return adSingle;
        case MYSQL_TYPE_DOUBLE:
            return adDouble;
        case MYSQL_TYPE_DECIMAL:
        case MYSQL_TYPE_NEWDECIMAL:
            return adNumeric;
        case MYSQL_TYPE_BIT:
            return f.length == 1 ? adBoolean : adBinary;
        case MYSQL_TYPE_DATE:
        case MYSQL_TYPE_NEWDATE:
            return adDBDate;
        case MYSQL_TYPE_TIME:
            return adDBTime;
        case MYSQL_TYPE_DATETIME:
        case MYSQL_TYPE_TIMESTAMP:
            return adDBTimeStamp;
        case MYSQL_TYPE_ENUM:
        case MYSQL_TYPE_SET:
            return adChar;
        case MYSQL_TYPE_STRING:
            if (f.flags & (ENUM_FLAG | SET_FLAG))
                return adChar;
            return binario ? adBinary : adChar;
        case MYSQL_TYPE_VAR_STRING:
        case MYSQL_TYPE_VARCHAR:
            return binario ? adVarBinary : adVarChar;
        case MYSQL_TYPE_TINY_BLOB:
        case MYSQL_TYPE_MEDIUM_BLOB:
        case MYSQL_TYPE_LONG_BLOB:
        case MYSQL_TYPE_BLOB:
            return binario ? adLongVarBinary : adLongVarChar;
        case MYSQL_TYPE_JSON:
            return adLongVarChar;
        case MYSQL_TYPE_GEOMETRY:
            return adLongVarBinary;
        case MYSQL_TYPE_NULL:
            return adEmpty;
        default:
            return adVarChar;
    }
}

QString texto(const char* s, unsigned long largo) {
    return s ? QString::fromUtf8(s, static_cast<qsizetype>(largo)) : QString();
}

bool esInalcanzable(unsigned numero) {
    return numero == 2002 || numero == 2003 || numero == 2005 || numero == 2006 || numero == 2013;
}

QString descripcion(MYSQL* m) {
    return QString::fromUtf8(mysql_error(m));
}

unsigned esperaDatos() {
    return static_cast<unsigned>(inEsperaServidor > 0 ? inEsperaServidor : kEsperaPredeterminada);
}

// A failure of a statement: the link to the server lost, another failure of the client library
// (which keeps its own number), or the server's refusal. A link lost once the whole wait has
// passed is a server that stopped answering; the library calls it a lost connection, the clerk
// is told what happened.
[[noreturn]] void lanzaDeSentencia(MYSQL* m, const QElapsedTimer& reloj) {
    const unsigned n = mysql_errno(m);
    if (n == 2013 && reloj.elapsed() >= qint64(esperaDatos()) * 1000 - 250)
        throw ErrorBdD(
            errores::ServidorInalcanzable,
            QStringLiteral("El servidor no respondió en %1 segundos").arg(esperaDatos()));
    if (esInalcanzable(n))
        throw ErrorBdD(errores::ServidorInalcanzable, descripcion(m));
    if (n >= 2000 && n < 3000)
        throw ErrorBdD(static_cast<int>(n), descripcion(m));
    throw ErrorBdD(errores::SentenciaRechazada, descripcion(m));
}

// A value of a connection string: braces keep ";" inside; blanks around it go.
QString valorDe(QString v) {
    v = v.trimmed();
    if (v.size() >= 2 && v.startsWith(QLatin1Char('{')) && v.endsWith(QLatin1Char('}')))
        v = v.mid(1, v.size() - 2);
    return v;
}

}  // namespace

DatosConexion DatosConexion::interpreta(const QString& cadena) {
    DatosConexion d;
    QString parte;
    bool enLlaves = false;
    QStringList partes;
    for (const QChar c : cadena) {
        if (c == QLatin1Char('{'))
            enLlaves = true;
        else if (c == QLatin1Char('}'))
            enLlaves = false;
        if (c == QLatin1Char(';') && !enLlaves) {
            partes.append(parte);
            parte.clear();
        } else {
            parte += c;
        }
    }
    partes.append(parte);
    for (const QString& p : partes) {
        const qsizetype igual = p.indexOf(QLatin1Char('='));
        if (igual < 0)
            continue;
        const QString clave = p.left(igual).trimmed().toUpper();
        const QString valor = valorDe(p.mid(igual + 1));
        if (clave == QLatin1String("SERVER"))
            d.servidor = valor;
        else if (clave == QLatin1String("DATABASE"))
            d.baseDeDatos = valor;
        else if (clave == QLatin1String("UID"))
            d.usuario = valor;
        else if (clave == QLatin1String("PWD"))
            d.clave = valor;
        else if (clave == QLatin1String("SOCKET"))
            d.socket = valor;
        else if (clave == QLatin1String("PORT")) {
            bool ok = false;
            const int n = valor.toInt(&ok);
            if (ok && n > 0 && n < 65536)
                d.puerto = n;
        }
    }
    return d;
}

Conexion::Conexion() = default;

Conexion::~Conexion() {
    if (mysql_)
        mysql_close(mysql_);
}

void Conexion::compruebaAbierta() const {
    if (!abierta_ || !mysql_)
        throw ErrorBdD::propio(errores::ConexionCerrada);
}

void Conexion::abre() {
    if (abierta_)
        throw ErrorBdD::propio(errores::ObjetoAbierto);
    iniciaBiblioteca();
    if (mysql_)
        mysql_close(mysql_);
    mysql_ = mysql_init(nullptr);
    if (!mysql_)
        throw ErrorBdD(errores::ServidorInalcanzable,
                       QStringLiteral("No hay memoria para una conexión nueva"));

    const DatosConexion d = DatosConexion::interpreta(cadena_);
    // Without read and write timeouts a statement sent to a server that stopped answering (a
    // stopped process, a silent network) waits for ever, and the window with it.
    const unsigned int espera = esperaDatos();
    const unsigned int esperaConexion = std::min(15u, espera);
    mysql_optionsv(mysql_, MYSQL_OPT_CONNECT_TIMEOUT, &esperaConexion);
    mysql_optionsv(mysql_, MYSQL_OPT_READ_TIMEOUT, &espera);
    mysql_optionsv(mysql_, MYSQL_OPT_WRITE_TIMEOUT, &espera);
    mysql_optionsv(mysql_, MYSQL_READ_DEFAULT_GROUP, "client");
    mysql_optionsv(mysql_, MYSQL_SET_CHARSET_NAME, "utf8mb4");

    const QString servidor = d.servidor.trimmed();
    const bool local = servidor.isEmpty() ||
                       servidor.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
    QByteArray host = local ? QByteArrayLiteral("localhost") : servidor.toUtf8();
    QByteArray socket;
    unsigned int puerto = 0;
    if (local) {
        socket = d.socket.isEmpty() ? qgetenv("MYSQL_UNIX_PORT") : d.socket.toUtf8();
    } else if (d.puerto) {
        puerto = static_cast<unsigned int>(*d.puerto);
    } else {
        bool ok = false;
        const int n = qEnvironmentVariableIntValue("MYSQL_TCP_PORT", &ok);
        if (ok && n > 0 && n < 65536)
            puerto = static_cast<unsigned int>(n);
    }
    if (local && d.puerto)
        puerto = static_cast<unsigned int>(*d.puerto);
    const QByteArray usuario = d.usuario.toUtf8();
    const QByteArray clave = d.clave.toUtf8();
    const QByteArray base = d.baseDeDatos.toUtf8();

    if (!mysql_real_connect(mysql_, host.constData(), usuario.constData(), clave.constData(),
                            base.isEmpty() ? nullptr : base.constData(), puerto,
                            socket.isEmpty() ? nullptr : socket.constData(), CLIENT_FOUND_ROWS)) {
        const unsigned n = mysql_errno(mysql_);
        const QString texto = descripcion(mysql_);
        mysql_close(mysql_);
        mysql_ = nullptr;
        throw ErrorBdD(esInalcanzable(n) ? errores::ServidorInalcanzable : static_cast<int>(n),
                       texto);
    }
    // The option files may name another character set; the program talks utf8mb4.
    mysql_set_character_set(mysql_, "utf8mb4");
    abierta_ = true;
}

bool Conexion::enCalma() const {
    if (!abierta_ || !mysql_)
        return false;
    const my_socket s = mysql_get_socket(mysql_);
    return s != static_cast<my_socket>(-1) && sistema::socketEnCalma(static_cast<std::intptr_t>(s));
}

bool Conexion::tieneValores() const {
    if (!abierta_ || !mysql_)
        return false;
    const char* version = mysql_get_server_info(mysql_);
    return version && std::strstr(version, "MariaDB") && mysql_get_server_version(mysql_) >= 100303;
}

void Conexion::cierra() {
    compruebaAbierta();
    mysql_close(mysql_);
    mysql_ = nullptr;
    abierta_ = false;
}

QString Conexion::escapa(const QString& valor) const {
    const QByteArray entrada = valor.toUtf8();
    QByteArray salida(entrada.size() * 2 + 1, Qt::Uninitialized);
    unsigned long largo = 0;
    if (mysql_)
        largo = mysql_real_escape_string(mysql_, salida.data(), entrada.constData(),
                                         static_cast<unsigned long>(entrada.size()));
    else
        largo = mysql_escape_string(salida.data(), entrada.constData(),
                                    static_cast<unsigned long>(entrada.size()));
    salida.truncate(static_cast<qsizetype>(largo));
    return QString::fromUtf8(salida);
}

MYSQL_RES* Conexion::resultado(const QString& sentencia) {
    compruebaAbierta();
    const QByteArray sql = sentencia.toUtf8();
    QElapsedTimer reloj;
    reloj.start();
    if (mysql_real_query(mysql_, sql.constData(), static_cast<unsigned long>(sql.size())) != 0)
        lanzaDeSentencia(mysql_, reloj);
    MYSQL_RES* res = mysql_store_result(mysql_);
    if (!res) {
        if (mysql_field_count(mysql_) != 0)
            lanzaDeSentencia(mysql_, reloj);
        filasAfectadas_ = mysql_affected_rows(mysql_);
    }
    return res;
}

namespace {

std::vector<ColumnaBdD> columnasDe(MYSQL_RES* res) {
    std::vector<ColumnaBdD> columnas;
    const unsigned n = mysql_num_fields(res);
    const MYSQL_FIELD* campos = mysql_fetch_fields(res);
    columnas.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
        const MYSQL_FIELD& f = campos[i];
        ColumnaBdD c;
        c.nombre = texto(f.name, f.name_length);
        c.nombreOriginal = texto(f.org_name, f.org_name_length);
        c.tabla = texto(f.org_table, f.org_table_length);
        c.base = texto(f.db, f.db_length);
        c.tipo = codigoTipo(f);
        c.tipoServidor = f.type;
        c.flags = f.flags;
        c.juegoCaracteres = f.charsetnr;
        c.longitud = f.length;
        columnas.push_back(std::move(c));
    }
    return columnas;
}

}  // namespace

std::optional<ResultadoBdD> Conexion::consulta(const QString& sentencia) {
    QElapsedTimer reloj;
    reloj.start();
    MYSQL_RES* res = resultado(sentencia);
    if (!res)
        return std::nullopt;
    ResultadoBdD r;
    r.columnas = columnasDe(res);
    const auto columnas = static_cast<unsigned>(r.columnas.size());
    r.filas.reserve(mysql_num_rows(res));
    while (MYSQL_ROW fila = mysql_fetch_row(res)) {
        const unsigned long* largos = mysql_fetch_lengths(res);
        FilaBdD valores;
        valores.reserve(columnas);
        for (unsigned i = 0; i < columnas; ++i) {
            if (fila[i])
                valores.emplace_back(QByteArray(fila[i], static_cast<qsizetype>(largos[i])));
            else
                valores.emplace_back(std::nullopt);
        }
        r.filas.push_back(std::move(valores));
    }
    const bool fallo = mysql_errno(mysql_) != 0;
    mysql_free_result(res);
    if (fallo)
        lanzaDeSentencia(mysql_, reloj);
    filasAfectadas_ = r.filas.size();
    return r;
}

std::shared_ptr<Recordset> Conexion::ejecuta(const QString& sentencia) {
    std::optional<ResultadoBdD> r = consulta(sentencia);
    if (!r)
        return nullptr;
    auto rs = Recordset::crea();
    rs->conexion_ = weak_from_this().lock();
    rs->sentencia_ = sentencia;
    rs->carga(std::move(*r));
    return rs;
}

std::unique_ptr<CursorBdD> Conexion::abreCursor(const QString& sentencia) {
    MYSQL_RES* res = resultado(sentencia);
    if (!res)
        return nullptr;
    std::unique_ptr<CursorBdD> cursor(new CursorBdD);
    cursor->res_ = res;
    cursor->columnas_ = columnasDe(res);
    filasAfectadas_ = mysql_num_rows(res);
    return cursor;
}

CursorBdD::~CursorBdD() {
    mysql_free_result(res_);
}

bool CursorBdD::siguiente() {
    fila_ = mysql_fetch_row(res_);
    largos_ = fila_ ? mysql_fetch_lengths(res_) : nullptr;
    return fila_ != nullptr;
}

Variante CursorBdD::valor(int columna) const {
    const auto i = static_cast<size_t>(columna);
    const ColumnaBdD& c = columnas_.at(i);
    if (!fila_[i])
        return Variante::nulo();
    const auto largo = static_cast<qsizetype>(largos_[i]);
    // Bytes are kept by the value: copied out of the library's buffer, freed with the cursor.
    const bool binario = c.tipo == tipos::adBinary || c.tipo == tipos::adVarBinary ||
                         c.tipo == tipos::adLongVarBinary;
    return decodificaValor(
        c, binario ? QByteArray(fila_[i], largo) : QByteArray::fromRawData(fila_[i], largo));
}

}  // namespace quilmaro
