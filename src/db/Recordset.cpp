#include "db/Recordset.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include "core/Regional.h"
#include "db/Conexion.h"
#include "db/ValoresSQL.h"

namespace quilmaro {

// --- CampoBdD ---------------------------------------------------------------------------------

const QString& CampoBdD::nombre() const {
    return columna().nombre;
}

int CampoBdD::tipo() const {
    return columna().tipo;
}

const ColumnaBdD& CampoBdD::columna() const {
    rs_->compruebaAbierto();
    return rs_->datos_.columnas[static_cast<size_t>(indice_)];
}

Variante CampoBdD::valor() const {
    const ColumnaBdD& c = columna();
    rs_->compruebaFila();
    const auto p = rs_->pendientes_.find(indice_);
    if (p != rs_->pendientes_.end())
        return p->second;
    return decodificaValor(
        c, rs_->datos_.filas[static_cast<size_t>(rs_->pos_)][static_cast<size_t>(indice_)]);
}

bool CampoBdD::esNulo() const {
    return valor().esNulo();
}

void CampoBdD::asigna(const Variante& v) {
    rs_->compruebaAbierto();
    rs_->compruebaFila();
    rs_->pendientes_[indice_] = v;
}

ValorBdD CampoBdD::textoServidor() const {
    const ColumnaBdD& c = columna();
    rs_->compruebaFila();
    const auto p = rs_->pendientes_.find(indice_);
    if (p != rs_->pendientes_.end())
        return textoParaServidor(p->second, c);
    return rs_->datos_.filas[static_cast<size_t>(rs_->pos_)][static_cast<size_t>(indice_)];
}

// --- Recordset --------------------------------------------------------------------------------

void Recordset::compruebaAbierto() const {
    if (!abierto_)
        throw ErrorBdD::propio(errores::RecordsetCerrado);
}

void Recordset::compruebaFila() const {
    compruebaAbierto();
    if (pos_ < 0 || pos_ >= static_cast<long>(datos_.filas.size()))
        throw ErrorBdD::propio(errores::SinRegistroActual);
}

void Recordset::carga(ResultadoBdD&& r) {
    datos_ = std::move(r);
    const size_t n = datos_.columnas.size();
    if (campos_.size() != n) {
        campos_.clear();
        for (size_t i = 0; i < n; ++i)
            campos_.push_back(std::make_unique<CampoBdD>(*this, static_cast<int>(i)));
    }
    pendientes_.clear();
    pos_ = 0;
    abierto_ = true;
}

void Recordset::abre(const QString& sentencia, const std::shared_ptr<Conexion>& cnn) {
    if (abierto_)
        throw ErrorBdD::propio(errores::ObjetoAbierto);
    if (!cnn || !cnn->estaAbierta())
        throw ErrorBdD::propio(errores::ConexionCerrada);
    std::optional<ResultadoBdD> r = cnn->consulta(sentencia);
    conexion_ = cnn;
    sentencia_ = sentencia;
    llaves_.clear();
    if (r)
        carga(std::move(*r));
}

void Recordset::cierra() {
    compruebaAbierto();
    abierto_ = false;
    datos_.filas.clear();
    pendientes_.clear();
}

bool Recordset::eof() const {
    compruebaAbierto();
    return pos_ >= static_cast<long>(datos_.filas.size());
}

bool Recordset::bof() const {
    compruebaAbierto();
    return pos_ < 0 || datos_.filas.empty();
}

void Recordset::escribePendientes() {
    if (!pendientes_.empty())
        actualiza();
}

void Recordset::primero() {
    compruebaAbierto();
    escribePendientes();
    if (datos_.filas.empty())
        throw ErrorBdD::propio(errores::SinRegistroActual);
    pos_ = 0;
}

void Recordset::ultimo() {
    compruebaAbierto();
    escribePendientes();
    if (datos_.filas.empty())
        throw ErrorBdD::propio(errores::SinRegistroActual);
    pos_ = static_cast<long>(datos_.filas.size()) - 1;
}

void Recordset::siguiente() {
    if (eof())
        throw ErrorBdD::propio(errores::SinRegistroActual);
    escribePendientes();
    ++pos_;
}

void Recordset::anterior() {
    if (bof())
        throw ErrorBdD::propio(errores::SinRegistroActual);
    escribePendientes();
    --pos_;
}

long Recordset::cuentaRegistros() const {
    compruebaAbierto();
    return static_cast<long>(datos_.filas.size());
}

int Recordset::cuentaCampos() const {
    compruebaAbierto();
    return static_cast<int>(datos_.columnas.size());
}

int Recordset::indiceDe(const QString& nombre) const {
    compruebaAbierto();
    for (size_t i = 0; i < datos_.columnas.size(); ++i)
        if (datos_.columnas[i].nombre.compare(nombre, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    throw ErrorBdD(
        errores::CampoInexistente,
        QStringLiteral("No hay en el conjunto de registros un campo llamado '%1'").arg(nombre));
}

CampoBdD& Recordset::campo(int indice) {
    compruebaAbierto();
    if (indice < 0 || indice >= static_cast<int>(datos_.columnas.size()))
        throw ErrorBdD::propio(errores::CampoInexistente);
    return *campos_[static_cast<size_t>(indice)];
}

CampoBdD& Recordset::campo(const QString& nombre) {
    return *campos_[static_cast<size_t>(indiceDe(nombre))];
}

const CampoBdD& Recordset::campo(int indice) const {
    return const_cast<Recordset*>(this)->campo(indice);
}

const CampoBdD& Recordset::campo(const QString& nombre) const {
    return *campos_[static_cast<size_t>(indiceDe(nombre))];
}

void Recordset::reconsulta() {
    compruebaAbierto();
    if (!conexion_)
        throw ErrorBdD::propio(errores::ConexionCerrada);
    pendientes_.clear();
    std::optional<ResultadoBdD> r = conexion_->consulta(sentencia_);
    if (!r) {
        abierto_ = false;
        datos_.filas.clear();
        return;
    }
    carga(std::move(*r));
}

// --- Find ---------------------------------------------------------------------------------------

namespace {

enum class Operador { Igual, Distinto, Menor, Mayor, MenorIgual, MayorIgual, Como };

struct Criterio {
    QString campo;
    Operador op = Operador::Igual;
    Variante valor;
    QRegularExpression patron;  // for LIKE
};

Operador leeOperador(const QString& texto) {
    const QString op = texto.toLower();
    if (op == QLatin1String("="))
        return Operador::Igual;
    if (op == QLatin1String("<>"))
        return Operador::Distinto;
    if (op == QLatin1String("<"))
        return Operador::Menor;
    if (op == QLatin1String(">"))
        return Operador::Mayor;
    if (op == QLatin1String("<="))
        return Operador::MenorIgual;
    if (op == QLatin1String(">="))
        return Operador::MayorIgual;
    return Operador::Como;
}

// The criterion's value: 'text' (apostrophes doubled inside), #date# (ISO or the regional
// form) or a number with "." as the decimal point.
Variante leeValor(const QString& v) {
    if (v.size() >= 2 && v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\''))) {
        QString t = v.mid(1, v.size() - 2);
        t.replace(QStringLiteral("''"), QStringLiteral("'"));
        return Variante(t);
    }
    if (v.size() >= 2 && v.startsWith(QLatin1Char('#')) && v.endsWith(QLatin1Char('#'))) {
        const QString t = v.mid(1, v.size() - 2);
        QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
        if (!d.isValid()) {
            const auto r = leeFechaRegional(t);
            if (!r)
                throw ErrorBdD::propio(errores::ArgumentoIncorrecto);
            d = *r;
        }
        return Variante(d);
    }
    bool ok = false;
    const double n = QLocale::c().toDouble(v, &ok);
    if (!ok)
        throw ErrorBdD::propio(errores::ArgumentoIncorrecto);
    return Variante(n);
}

// LIKE's pattern: "*" or "%" any run of characters, "_" one, in any capitals.
QRegularExpression patronComo(const QString& texto) {
    QString re;
    for (const QChar ch : texto) {
        if (ch == QLatin1Char('*') || ch == QLatin1Char('%'))
            re += QStringLiteral(".*");
        else if (ch == QLatin1Char('_'))
            re += QLatin1Char('.');
        else
            re += QRegularExpression::escape(QString(ch));
    }
    return QRegularExpression(
        QRegularExpression::anchoredPattern(re),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
}

Criterio leeCriterio(const QString& texto) {
    static const QRegularExpression forma(
        QStringLiteral(R"(^\s*(\[[^\]]+\]|[^\s=<>]+)\s*(<=|>=|<>|=|<|>|\blike\b)\s*(.*?)\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = forma.match(texto);
    if (!m.hasMatch() || m.captured(3).isEmpty())
        throw ErrorBdD::propio(errores::ArgumentoIncorrecto);
    Criterio c;
    c.campo = m.captured(1);
    if (c.campo.startsWith(QLatin1Char('[')))
        c.campo = c.campo.mid(1, c.campo.size() - 2);
    c.op = leeOperador(m.captured(2));
    c.valor = leeValor(m.captured(3));
    if (c.op == Operador::Como) {
        if (c.valor.tipo() != Variante::Tipo::Texto)
            throw ErrorBdD::propio(errores::ArgumentoIncorrecto);
        c.patron = patronComo(c.valor.texto());
    }
    return c;
}

// -1, 0, 1; nothing when the two cannot be compared.
std::optional<int> compara(const Variante& campo, const Variante& buscado) {
    const auto signo = [](auto a, auto b) { return a < b ? -1 : (b < a ? 1 : 0); };
    try {
        switch (buscado.tipo()) {
            case Variante::Tipo::Doble:
                if (campo.tipo() == Variante::Tipo::Texto || campo.esNumero())
                    return signo(campo.aDoble(), buscado.doble());
                return std::nullopt;
            case Variante::Tipo::Fecha:
                return signo(campo.aFecha(), buscado.fecha());
            default: {
                const int r = campo.aTexto().compare(buscado.aTexto(), Qt::CaseInsensitive);
                return r < 0 ? -1 : (r > 0 ? 1 : 0);
            }
        }
    } catch (const ErrorTESK&) {
        return std::nullopt;
    }
}

bool cumple(const Variante& v, const Criterio& c) {
    if (v.esNulo())
        return false;
    if (c.op == Operador::Como)
        return c.patron.match(v.aTexto()).hasMatch();
    const std::optional<int> r = compara(v, c.valor);
    if (!r)
        return false;
    switch (c.op) {
        case Operador::Igual:
            return *r == 0;
        case Operador::Distinto:
            return *r != 0;
        case Operador::Menor:
            return *r < 0;
        case Operador::Mayor:
            return *r > 0;
        case Operador::MenorIgual:
            return *r <= 0;
        case Operador::MayorIgual:
            return *r >= 0;
        case Operador::Como:
            break;
    }
    return false;
}

}  // namespace

void Recordset::busca(const QString& criterio) {
    compruebaFila();
    escribePendientes();
    const Criterio c = leeCriterio(criterio);
    const int i = indiceDe(c.campo);
    const long n = static_cast<long>(datos_.filas.size());
    for (long fila = pos_; fila < n; ++fila) {
        const Variante v =
            decodificaValor(datos_.columnas[static_cast<size_t>(i)],
                            datos_.filas[static_cast<size_t>(fila)][static_cast<size_t>(i)]);
        if (cumple(v, c)) {
            pos_ = fila;
            return;
        }
    }
    pos_ = n;
}

// --- Update -------------------------------------------------------------------------------------

std::vector<QString> Recordset::llavePrimaria(const ColumnaBdD& c) {
    const QString tabla = identificadorSQL(c.base) + QLatin1Char('.') + identificadorSQL(c.tabla);
    const auto hallada = llaves_.find(tabla);
    if (hallada != llaves_.end())
        return hallada->second;
    std::vector<QString> llave;
    std::optional<ResultadoBdD> r = conexion_->consulta(
        QStringLiteral("SHOW KEYS FROM %1 WHERE Key_name = 'PRIMARY'").arg(tabla));
    if (r) {
        int columna = -1;
        for (size_t i = 0; i < r->columnas.size(); ++i)
            if (r->columnas[i].nombre.compare(QLatin1String("Column_name"), Qt::CaseInsensitive) ==
                0)
                columna = static_cast<int>(i);
        // The rows come in the key's own order (Seq_in_index).
        for (const FilaBdD& f : r->filas)
            if (columna >= 0 && f[static_cast<size_t>(columna)])
                llave.push_back(QString::fromUtf8(*f[static_cast<size_t>(columna)]));
    }
    llaves_[tabla] = llave;
    return llave;
}

void Recordset::actualiza() {
    compruebaFila();
    if (pendientes_.empty())
        return;
    // Whatever happens, the assignments are spent: a failed one is not tried again on the next
    // move.
    std::map<int, Variante> cambios;
    cambios.swap(pendientes_);

    if (!conexion_ || !conexion_->estaAbierta())
        throw ErrorBdD::propio(errores::ConexionCerrada);
    const ColumnaBdD& primera = datos_.columnas[static_cast<size_t>(cambios.begin()->first)];
    for (const auto& [i, v] : cambios) {
        const ColumnaBdD& c = datos_.columnas[static_cast<size_t>(i)];
        if (c.tabla.isEmpty() || c.nombreOriginal.isEmpty() || c.tabla != primera.tabla ||
            c.base != primera.base)
            throw ErrorBdD::propio(errores::NoActualizable);
    }
    const std::vector<QString> llave = llavePrimaria(primera);
    if (llave.empty())
        throw ErrorBdD::propio(errores::NoActualizable);

    FilaBdD& fila = datos_.filas[static_cast<size_t>(pos_)];
    QStringList condiciones;
    for (const QString& nombre : llave) {
        int indice = -1;
        for (size_t i = 0; i < datos_.columnas.size(); ++i) {
            const ColumnaBdD& c = datos_.columnas[i];
            if (c.tabla == primera.tabla && c.base == primera.base &&
                c.nombreOriginal.compare(nombre, Qt::CaseInsensitive) == 0)
                indice = static_cast<int>(i);
        }
        if (indice < 0 || !fila[static_cast<size_t>(indice)])
            throw ErrorBdD::propio(errores::NoActualizable);
        const ColumnaBdD& c = datos_.columnas[static_cast<size_t>(indice)];
        const QByteArray& original = *fila[static_cast<size_t>(indice)];
        const QString literal = (c.tipo == tipos::adBinary || c.tipo == tipos::adVarBinary)
                                    ? literalHexadecimal(original)
                                    : QLatin1Char('\'') +
                                          conexion_->escapa(QString::fromUtf8(original)) +
                                          QLatin1Char('\'');
        condiciones.append(identificadorSQL(c.nombreOriginal) + QLatin1Char('=') + literal);
    }

    QStringList asignaciones;
    for (const auto& [i, v] : cambios) {
        const ColumnaBdD& c = datos_.columnas[static_cast<size_t>(i)];
        asignaciones.append(identificadorSQL(c.nombreOriginal) + QLatin1Char('=') +
                            literalSQL(v, c, *conexion_));
    }
    const QString sql =
        QStringLiteral("UPDATE %1.%2 SET %3 WHERE %4")
            .arg(identificadorSQL(primera.base), identificadorSQL(primera.tabla),
                 asignaciones.join(QLatin1Char(',')), condiciones.join(QStringLiteral(" AND ")));
    conexion_->consulta(sql);
    if (conexion_->filasAfectadas() == 0)
        throw ErrorBdD::propio(errores::FilaNoLocalizada);
    for (const auto& [i, v] : cambios)
        fila[static_cast<size_t>(i)] =
            textoParaServidor(v, datos_.columnas[static_cast<size_t>(i)]);
}

}  // namespace quilmaro
