#include "reportengine/Expresion.h"

#include <algorithm>
#include <cmath>

#include "core/Regional.h"
#include "core/libTESK.h"
#include "reportengine/Datos.h"
#include "reportengine/Formatos.h"

namespace quilmaro::reporte {

enum class Funcion {
    Suma,
    Cuenta,
    SumaGrupo,
    CuentaGrupo,
    SumaPagina,
    CuentaPagina,
    Acarreo,
    Pagina,
    Paginas,
    Hoy,
    Formato,
    Moneda,
    Numeros,
    NoNulo,
    Mayusculas,
    Si,
    Igual,
    Junta,
    Prefijo,
};

struct Nodo {
    enum class Clase { Constante, Campo, Suma, Resta, Producto, Division, Une, Negativo, Funcion };
    Clase clase = Clase::Constante;
    Funcion funcion = Funcion::Suma;
    Variante constante;
    QString fuente, campo;  // a field as written
    int idxFuente = -1, idxColumna = -1;
    int ranura = -1;      // aggregate slot
    int posicion = 0;     // in the expression text, from 1
    int profundidad = 1;  // levels of the tree from this node down
    std::vector<std::unique_ptr<Nodo>> hijos;
};

QString Ubicacion::texto() const {
    QString s = QStringLiteral("el diseño «%1»").arg(archivo);
    if (linea > 0)
        s += QStringLiteral(", línea %1").arg(linea);
    if (columna > 0)
        s += QStringLiteral(", columna %1").arg(columna);
    return s;
}

namespace {

// Binding, evaluating and freeing an expression walk its tree recursively, and so does reading
// it: deeper expressions are refused as they are read, long before the stack could run out. A
// sum of a hundred fields is a hundred levels.
constexpr int kMaxNiveles = 256;

struct DefFuncion {
    const char* nombre;  // as documented
    Funcion funcion;
    int minArgs, maxArgs;
};

constexpr DefFuncion kFunciones[] = {
    {"Suma", Funcion::Suma, 1, 1},
    {"Cuenta", Funcion::Cuenta, 0, 1},
    {"SumaGrupo", Funcion::SumaGrupo, 1, 1},
    {"CuentaGrupo", Funcion::CuentaGrupo, 0, 1},
    {"SumaPagina", Funcion::SumaPagina, 1, 1},
    {"CuentaPagina", Funcion::CuentaPagina, 0, 1},
    {"Acarreo", Funcion::Acarreo, 1, 1},
    {"Pagina", Funcion::Pagina, 0, 0},
    {"Paginas", Funcion::Paginas, 0, 0},
    {"Hoy", Funcion::Hoy, 0, 0},
    {"Formato", Funcion::Formato, 2, 2},
    {"Moneda", Funcion::Moneda, 1, 2},
    {"Numeros", Funcion::Numeros, 1, 1},
    {"NoNulo", Funcion::NoNulo, 1, 2},
    {"Mayusculas", Funcion::Mayusculas, 1, 1},
    {"Si", Funcion::Si, 2, 3},
    {"Igual", Funcion::Igual, 2, 2},
    {"Junta", Funcion::Junta, 2, kMaxNiveles},
    {"Prefijo", Funcion::Prefijo, 2, 2},
};

// Lower case without accents, so that "Página" and "PAGINA" name the same function.
QString pliega(const QString& s) {
    const QString d = s.normalized(QString::NormalizationForm_D);
    QString r;
    r.reserve(d.size());
    for (QChar c : d) {
        if (c.category() != QChar::Mark_NonSpacing)
            r += c.toLower();
    }
    return r;
}

const DefFuncion* buscaFuncion(const QString& nombre) {
    const QString p = pliega(nombre);
    for (const DefFuncion& f : kFunciones) {
        if (p == QString::fromLatin1(f.nombre).toLower())
            return &f;
    }
    return nullptr;
}

bool esAgregado(Funcion f) {
    switch (f) {
        case Funcion::Suma:
        case Funcion::Cuenta:
        case Funcion::SumaGrupo:
        case Funcion::CuentaGrupo:
        case Funcion::SumaPagina:
        case Funcion::CuentaPagina:
        case Funcion::Acarreo:
            return true;
        default:
            return false;
    }
}

bool esLetraNombre(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

struct Token {
    enum class Tipo { Fin, Numero, Texto, Nombre, Simbolo };
    Tipo tipo = Tipo::Fin;
    QString texto;
    double numero = 0;
    int posicion = 0;  // from 1
    bool corchetes = false;
};

class Analizador {
  public:
    Analizador(const QString& texto, const Expresion& expr) : t_(texto), expr_(expr) { avanza(); }

    std::unique_ptr<Nodo> todo() {
        if (tok_.tipo == Token::Tipo::Fin)
            throw expr_.error(QStringLiteral("la expresión está vacía"));
        auto n = une();
        if (tok_.tipo != Token::Tipo::Fin)
            falla(QStringLiteral("sobra «%1»").arg(tok_.texto), tok_.posicion);
        return n;
    }

  private:
    [[noreturn]] void falla(const QString& que, int posicion) const {
        throw expr_.error(
            QStringLiteral("%1 (posición %2 de «%3»)").arg(que).arg(posicion).arg(t_));
    }

    // A text constant; "" inside it is one double quote.
    void leeConstanteTexto() {
        QString s;
        qsizetype j = i_ + 1;
        for (;;) {
            if (j >= t_.size())
                falla(QStringLiteral("falta cerrar el texto con «\"»"), tok_.posicion);
            if (t_.at(j) == QLatin1Char('"')) {
                if (j + 1 < t_.size() && t_.at(j + 1) == QLatin1Char('"')) {
                    s += QLatin1Char('"');
                    j += 2;
                    continue;
                }
                ++j;
                break;
            }
            s += t_.at(j++);
        }
        tok_.tipo = Token::Tipo::Texto;
        tok_.texto = s;
        i_ = j;
    }

    void avanza() {
        while (i_ < t_.size() && t_.at(i_).isSpace())
            ++i_;
        tok_ = Token{};
        tok_.posicion = static_cast<int>(i_) + 1;
        if (i_ >= t_.size())
            return;
        const QChar c = t_.at(i_);
        if (c.isDigit() ||
            (c == QLatin1Char('.') && i_ + 1 < t_.size() && t_.at(i_ + 1).isDigit())) {
            qsizetype j = i_;
            while (j < t_.size() && (t_.at(j).isDigit() || t_.at(j) == QLatin1Char('.')))
                ++j;
            tok_.tipo = Token::Tipo::Numero;
            tok_.texto = t_.mid(i_, j - i_);
            bool ok = false;
            tok_.numero = tok_.texto.toDouble(&ok);
            if (!ok)
                falla(QStringLiteral("el número «%1» no es válido").arg(tok_.texto), tok_.posicion);
            i_ = j;
        } else if (c == QLatin1Char('"')) {
            leeConstanteTexto();
        } else if (c == QLatin1Char('[')) {
            const qsizetype j = t_.indexOf(QLatin1Char(']'), i_ + 1);
            if (j < 0)
                falla(QStringLiteral("falta cerrar el nombre con «]»"), tok_.posicion);
            tok_.tipo = Token::Tipo::Nombre;
            tok_.texto = t_.mid(i_ + 1, j - i_ - 1).trimmed();
            tok_.corchetes = true;
            if (tok_.texto.isEmpty())
                falla(QStringLiteral("nombre vacío entre corchetes"), tok_.posicion);
            i_ = j + 1;
        } else if (esLetraNombre(c)) {
            qsizetype j = i_;
            while (j < t_.size() && esLetraNombre(t_.at(j)))
                ++j;
            tok_.tipo = Token::Tipo::Nombre;
            tok_.texto = t_.mid(i_, j - i_);
            i_ = j;
        } else if (QStringLiteral("+-*/&(),.").contains(c)) {
            tok_.tipo = Token::Tipo::Simbolo;
            tok_.texto = c;
            ++i_;
        } else {
            falla(QStringLiteral("el carácter «%1» no se entiende").arg(c), tok_.posicion);
        }
    }

    bool es(const char* simbolo) const {
        return tok_.tipo == Token::Tipo::Simbolo && tok_.texto == QLatin1String(simbolo);
    }

    [[noreturn]] void demasiadosNiveles(int posicion) const {
        falla(QStringLiteral("la expresión tiene más de %1 niveles (operaciones encadenadas, "
                             "paréntesis o signos uno dentro de otro)")
                  .arg(kMaxNiveles),
              posicion);
    }

    // The depth of a node from its children's, within the limit.
    void mide(Nodo& n) const {
        int hijos = 0;
        for (const auto& h : n.hijos)
            hijos = std::max(hijos, h->profundidad);
        n.profundidad = hijos + 1;
        if (n.profundidad > kMaxNiveles)
            demasiadosNiveles(n.posicion);
    }

    std::unique_ptr<Nodo> binario(Nodo::Clase clase, std::unique_ptr<Nodo> a,
                                  std::unique_ptr<Nodo> b, int posicion) const {
        auto n = std::make_unique<Nodo>();
        n->clase = clase;
        n->posicion = posicion;
        n->hijos.push_back(std::move(a));
        n->hijos.push_back(std::move(b));
        mide(*n);
        return n;
    }

    std::unique_ptr<Nodo> une() {
        auto a = aditiva();
        while (es("&")) {
            const int p = tok_.posicion;
            avanza();
            a = binario(Nodo::Clase::Une, std::move(a), aditiva(), p);
        }
        return a;
    }

    std::unique_ptr<Nodo> aditiva() {
        auto a = termino();
        while (es("+") || es("-")) {
            const auto clase = es("+") ? Nodo::Clase::Suma : Nodo::Clase::Resta;
            const int p = tok_.posicion;
            avanza();
            a = binario(clase, std::move(a), termino(), p);
        }
        return a;
    }

    std::unique_ptr<Nodo> termino() {
        auto a = unario();
        while (es("*") || es("/")) {
            const auto clase = es("*") ? Nodo::Clase::Producto : Nodo::Clase::Division;
            const int p = tok_.posicion;
            avanza();
            a = binario(clase, std::move(a), unario(), p);
        }
        return a;
    }

    // Every nesting (parentheses, a call's arguments, a sign) comes back through here.
    std::unique_ptr<Nodo> unario() {
        if (anidado_ >= kMaxNiveles)
            demasiadosNiveles(tok_.posicion);
        ++anidado_;
        std::unique_ptr<Nodo> n;
        if (es("-")) {
            n = std::make_unique<Nodo>();
            n->clase = Nodo::Clase::Negativo;
            n->posicion = tok_.posicion;
            avanza();
            n->hijos.push_back(unario());
            mide(*n);
        } else if (es("+")) {
            avanza();
            n = unario();
        } else {
            n = primario();
        }
        --anidado_;
        return n;
    }

    std::unique_ptr<Nodo> primario() {
        auto n = std::make_unique<Nodo>();
        n->posicion = tok_.posicion;
        switch (tok_.tipo) {
            case Token::Tipo::Fin:
                falla(QStringLiteral("falta un valor al final"), tok_.posicion);
            case Token::Tipo::Numero:
                n->constante = Variante(tok_.numero);
                avanza();
                return n;
            case Token::Tipo::Texto:
                n->constante = Variante(tok_.texto);
                avanza();
                return n;
            case Token::Tipo::Simbolo:
                if (es("(")) {
                    avanza();
                    auto dentro = une();
                    if (!es(")"))
                        falla(QStringLiteral("falta «)»"), tok_.posicion);
                    avanza();
                    return dentro;
                }
                falla(QStringLiteral("falta un valor antes de «%1»").arg(tok_.texto),
                      tok_.posicion);
            case Token::Tipo::Nombre:
                break;
        }
        const Token nombre = tok_;
        avanza();
        if (es("(") && !nombre.corchetes)
            return llamada(nombre);
        n->clase = Nodo::Clase::Campo;
        n->campo = nombre.texto;
        if (es(".")) {
            avanza();
            if (tok_.tipo != Token::Tipo::Nombre)
                falla(
                    QStringLiteral("falta el nombre del campo después de «%1.»").arg(nombre.texto),
                    tok_.posicion);
            n->fuente = nombre.texto;
            n->campo = tok_.texto;
            avanza();
        }
        return n;
    }

    std::unique_ptr<Nodo> llamada(const Token& nombre) {
        const DefFuncion* def = buscaFuncion(nombre.texto);
        if (!def)
            falla(QStringLiteral("la función «%1» no existe").arg(nombre.texto), nombre.posicion);
        auto n = std::make_unique<Nodo>();
        n->clase = Nodo::Clase::Funcion;
        n->funcion = def->funcion;
        n->posicion = nombre.posicion;
        avanza();  // "("
        if (!es(")")) {
            for (;;) {
                n->hijos.push_back(une());
                if (es(",")) {
                    avanza();
                    continue;
                }
                break;
            }
        }
        if (!es(")"))
            falla(QStringLiteral("falta «)» al final de %1(...)").arg(def->nombre), tok_.posicion);
        avanza();
        mide(*n);
        const int nargs = static_cast<int>(n->hijos.size());
        if (nargs < def->minArgs || nargs > def->maxArgs) {
            QString cuantos =
                def->minArgs == def->maxArgs ? QString::number(def->minArgs)
                : def->maxArgs == def->minArgs + 1
                    ? QStringLiteral("%1 o %2").arg(def->minArgs).arg(def->maxArgs)
                    : QStringLiteral("de %1 a %2").arg(def->minArgs).arg(def->maxArgs);
            falla(QStringLiteral("%1 lleva %2 argumento(s) y recibió %3")
                      .arg(QLatin1String(def->nombre), cuantos)
                      .arg(nargs),
                  nombre.posicion);
        }
        if (def->funcion == Funcion::Formato) {
            const Nodo* patron = n->hijos[1].get();
            if (patron->clase != Nodo::Clase::Constante ||
                patron->constante.tipo() != Variante::Tipo::Texto)
                falla(QStringLiteral(
                          "el segundo argumento de Formato debe ser un texto entre comillas, "
                          "como \"##,###,##0.00\""),
                      nombre.posicion);
        }
        return n;
    }

    QString t_;
    const Expresion& expr_;
    qsizetype i_ = 0;
    Token tok_;
    int anidado_ = 0;  // unario() calls under way
};

}  // namespace

Expresion::~Expresion() = default;

ErrorReporte Expresion::error(const QString& que) const {
    const bool cierra = que.endsWith(QLatin1Char('?')) || que.endsWith(QLatin1Char('.'));
    return ErrorReporte(QStringLiteral("Error en %1: %2%3")
                            .arg(donde_.texto(), que, cierra ? QString() : QStringLiteral(".")));
}

std::unique_ptr<Expresion> Expresion::analiza(const QString& texto, const Ubicacion& donde) {
    std::unique_ptr<Expresion> e(new Expresion);
    e->texto_ = texto.trimmed();
    e->donde_ = donde;
    Analizador a(e->texto_, *e);
    e->raiz_ = a.todo();
    return e;
}

namespace {

struct Enlazador {
    const Expresion& expr;
    const ResolutorCampos& campos;
    std::vector<Agregado>& agregados;
    int nivelGrupo;
    bool paginas = false;
    bool hayAgregados = false;

    void recorre(Nodo* n, const Nodo* dentroDeAgregado) {
        if (n->clase == Nodo::Clase::Campo) {
            QString error;
            if (!campos.resuelve(n->fuente, n->campo, &n->idxFuente, &n->idxColumna, &error))
                throw expr.error(error);
            return;
        }
        if (n->clase == Nodo::Clase::Funcion) {
            const bool agregado = esAgregado(n->funcion);
            const bool depPagina = n->funcion == Funcion::Pagina || n->funcion == Funcion::Paginas;
            if (dentroDeAgregado && (agregado || depPagina))
                throw expr.error(
                    QStringLiteral("un total no puede sumar otro total ni el número de "
                                   "página (posición %1 de «%2»)")
                        .arg(n->posicion)
                        .arg(expr.texto()));
            if (n->funcion == Funcion::Paginas)
                paginas = true;
            if (agregado) {
                hayAgregados = true;
                Agregado a;
                switch (n->funcion) {
                    case Funcion::Suma:
                    case Funcion::Cuenta:
                        a.ambito = Ambito::Reporte;
                        break;
                    case Funcion::SumaGrupo:
                    case Funcion::CuentaGrupo:
                        a.ambito = Ambito::Grupo;
                        break;
                    case Funcion::SumaPagina:
                    case Funcion::CuentaPagina:
                        a.ambito = Ambito::Pagina;
                        break;
                    default:
                        a.ambito = Ambito::Acarreo;
                        break;
                }
                a.cuenta = n->funcion == Funcion::Cuenta || n->funcion == Funcion::CuentaGrupo ||
                           n->funcion == Funcion::CuentaPagina;
                if (a.ambito == Ambito::Grupo) {
                    if (nivelGrupo < 0)
                        throw expr.error(
                            QStringLiteral("SumaGrupo y CuentaGrupo necesitan un grupo "
                                           "en el diseño (posición %1 de «%2»)")
                                .arg(n->posicion)
                                .arg(expr.texto()));
                    a.nivel = nivelGrupo;
                }
                a.argumento = n->hijos.empty() ? nullptr : n->hijos.front().get();
                a.origen = &expr;
                n->ranura = static_cast<int>(agregados.size());
                agregados.push_back(a);
            }
            for (auto& h : n->hijos)
                recorre(h.get(), agregado ? n : dentroDeAgregado);
            return;
        }
        for (auto& h : n->hijos)
            recorre(h.get(), dentroDeAgregado);
    }
};

}  // namespace

void Expresion::enlaza(const ResolutorCampos& campos, std::vector<Agregado>& agregados,
                       int nivelGrupo) {
    Enlazador e{*this, campos, agregados, nivelGrupo};
    e.recorre(raiz_.get(), nullptr);
    usaPaginas_ = e.paginas;
    usaAgregados_ = e.hayAgregados;
}

namespace {

using T = Variante::Tipo;

bool esNulo(const Variante& v) {
    return v.esNulo();
}

// A value as a number for arithmetic; a text that is not a number is an error of the layout or
// of the data, reported with the operation that met it.
double comoNumero(const Variante& v, const Expresion& expr, const char* operacion) {
    if (v.esVacio())
        return 0;
    if (v.esNumero())
        return v.aDoble();
    if (v.tipo() == T::Fecha)
        return Variante::fechaASerie(v.fecha());
    double d = 0;
    if (v.tipo() == T::Texto && leeNumero(v.texto(), &d))
        return d;
    throw expr.error(QStringLiteral("no se puede %1 el texto «%2» en «%3»")
                         .arg(QLatin1String(operacion), v.aTexto(), expr.texto()));
}

Variante fechaDeSerie(double serie, const Expresion& expr) {
    try {
        return Variante(Variante::serieAFecha(serie));
    } catch (const ErrorTESK&) {
        throw expr.error(QStringLiteral("la fecha calculada en «%1» queda fuera del calendario")
                             .arg(expr.texto()));
    }
}

// What Moneda and Numeros give for an amount that cannot be written in words.
const QString kSinLetra = QStringLiteral("*** IMPORTE QUE NO SE PUEDE ESCRIBIR CON LETRA ***");

// A condition of Si: a number other than 0, a text other than blank, "0" or "no"; a date. An
// empty value is false.
bool verdadero(const Variante& v) {
    if (v.esNulo() || v.esVacio())
        return false;
    if (v.esNumero())
        return v.aDoble() != 0;
    if (v.tipo() == T::Texto) {
        const QString t = v.texto().trimmed();
        return !t.isEmpty() && t != QLatin1String("0") &&
               t.compare(QLatin1String("no"), Qt::CaseInsensitive) != 0;
    }
    return true;
}

// Igual: numbers by value, dates by day and time, texts without regard to letter case or
// surrounding blanks; an empty value equals only an empty one.
bool iguales(const Variante& a, const Variante& b) {
    const bool va = a.esNulo() || a.esVacio(), vb = b.esNulo() || b.esVacio();
    if (va || vb)
        return va == vb;
    double x = 0, y = 0;
    const bool na = a.esNumero() || (a.tipo() == T::Texto && leeNumero(a.texto(), &x));
    const bool nb = b.esNumero() || (b.tipo() == T::Texto && leeNumero(b.texto(), &y));
    if (na && nb) {
        if (a.esNumero())
            x = a.aDoble();
        if (b.esNumero())
            y = b.aDoble();
        return x == y;
    }
    if (a.tipo() == T::Fecha && b.tipo() == T::Fecha)
        return a.fecha() == b.fecha();
    return a.aTexto().trimmed().compare(b.aTexto().trimmed(), Qt::CaseInsensitive) == 0;
}

class Evaluador {
  public:
    Evaluador(const Expresion& expr, const Contexto& ctx) : expr_(expr), ctx_(ctx) {}

    Variante valor(const Nodo* n) const {
        switch (n->clase) {
            case Nodo::Clase::Constante:
                return n->constante;
            case Nodo::Clase::Campo:
                if (!ctx_.datos)
                    return Variante::nulo();
                return ctx_.datos->valor(n->idxFuente, n->idxColumna, ctx_.fila);
            case Nodo::Clase::Une: {
                const Variante a = valor(n->hijos[0].get());
                const Variante b = valor(n->hijos[1].get());
                return Variante(a.aTexto() + b.aTexto());
            }
            case Nodo::Clase::Suma:
                return suma(valor(n->hijos[0].get()), valor(n->hijos[1].get()));
            case Nodo::Clase::Resta:
                return resta(valor(n->hijos[0].get()), valor(n->hijos[1].get()));
            case Nodo::Clase::Producto:
            case Nodo::Clase::Division: {
                const Variante a = valor(n->hijos[0].get());
                const Variante b = valor(n->hijos[1].get());
                if (esNulo(a) || esNulo(b))
                    return Variante::nulo();
                const bool producto = n->clase == Nodo::Clase::Producto;
                const char* op = producto ? "multiplicar" : "dividir";
                const double x = comoNumero(a, expr_, op), y = comoNumero(b, expr_, op);
                if (producto)
                    return numero(x * y);
                // Dividing by zero gives no value (an empty cell), not infinity.
                if (y == 0)
                    return Variante::nulo();
                return numero(x / y);
            }
            case Nodo::Clase::Negativo: {
                const Variante a = valor(n->hijos[0].get());
                if (esNulo(a))
                    return a;
                return numero(-comoNumero(a, expr_, "cambiar de signo"));
            }
            case Nodo::Clase::Funcion:
                return funcion(n);
        }
        return Variante::nulo();
    }

  private:
    // A result past the range of numbers (an overflow, infinity minus infinity) is no value, as
    // a division by zero is: never "inf" or "nan" on paper.
    static Variante numero(double d) { return std::isfinite(d) ? Variante(d) : Variante::nulo(); }

    Variante suma(const Variante& a, const Variante& b) const {
        // Texts join (a missing value joins as nothing); numbers add; dates move by days.
        if (a.tipo() == T::Texto || b.tipo() == T::Texto)
            return Variante(a.aTexto() + b.aTexto());
        if (esNulo(a) || esNulo(b))
            return Variante::nulo();
        if (a.tipo() == T::Fecha && b.tipo() != T::Fecha)
            return fechaDeSerie(comoNumero(a, expr_, "sumar") + comoNumero(b, expr_, "sumar"),
                                expr_);
        if (b.tipo() == T::Fecha && a.tipo() != T::Fecha)
            return fechaDeSerie(comoNumero(a, expr_, "sumar") + comoNumero(b, expr_, "sumar"),
                                expr_);
        return numero(comoNumero(a, expr_, "sumar") + comoNumero(b, expr_, "sumar"));
    }

    Variante resta(const Variante& a, const Variante& b) const {
        if (esNulo(a) || esNulo(b))
            return Variante::nulo();
        const double d = comoNumero(a, expr_, "restar") - comoNumero(b, expr_, "restar");
        if (a.tipo() == T::Fecha && b.tipo() != T::Fecha)
            return fechaDeSerie(d, expr_);
        return numero(d);
    }

    // An amount in words with its currency's name.
    Variante moneda(const Nodo* n) const {
        const Variante v = valor(n->hijos[0].get());
        if (esNulo(v) || v.esVacio())
            return Variante::nulo();
        const double cantidad = comoNumero(v, expr_, "escribir con letra");
        const QString divisa = n->hijos.size() > 1 ? valor(n->hijos[1].get()).aTexto() : QString();
        // An amount that has no words (too large, or not a number kept in the data)
        // marks its own place; the figure beside it and the rest of the report print.
        if (!std::isfinite(cantidad))
            return Variante(kSinLetra);
        try {
            return Variante(tesk().Moneda(cantidad, divisa));
        } catch (const ErrorTESK&) {
            return Variante(kSinLetra);
        }
    }

    // A whole number in words.
    Variante numeros(const Nodo* n) const {
        const Variante v = valor(n->hijos[0].get());
        if (esNulo(v) || v.esVacio())
            return Variante::nulo();
        const double d = comoNumero(v, expr_, "escribir con letra");
        if (!std::isfinite(d))
            return Variante(kSinLetra);
        // Whole units rounded as the figures are.
        const double entero = redondeaMitad(d, 0);
        if (std::fabs(entero) > 2147483647.0)
            return Variante(kSinLetra);
        return Variante(tesk().Numeros(static_cast<std::int32_t>(entero)));
    }

    // The texts present, without their blanks, joined by the separator.
    Variante junta(const Nodo* n) const {
        const QString separador = valor(n->hijos[0].get()).aTexto();
        QStringList partes;
        for (size_t i = 1; i < n->hijos.size(); ++i) {
            const Variante v = valor(n->hijos[i].get());
            const QString t = esNulo(v) ? QString() : v.aTexto().trimmed();
            if (!t.isEmpty())
                partes << t;
        }
        return Variante(partes.join(separador));
    }

    // A sum or count of the report, a group or a page, as far as the pagination has gone.
    Variante acumulado(const Nodo* n) const {
        const double v = ctx_.acumulados && n->ranura < static_cast<int>(ctx_.acumulados->size())
                             ? (*ctx_.acumulados)[static_cast<size_t>(n->ranura)]
                             : 0.0;
        const bool cuenta = n->funcion == Funcion::Cuenta || n->funcion == Funcion::CuentaGrupo ||
                            n->funcion == Funcion::CuentaPagina;
        if (cuenta)
            return Variante(static_cast<std::int32_t>(v));
        return Variante(v);
    }

    Variante funcion(const Nodo* n) const {
        if (n->ranura >= 0)
            return acumulado(n);
        switch (n->funcion) {
            case Funcion::Pagina:
                return Variante(static_cast<std::int32_t>(ctx_.pagina));
            case Funcion::Paginas:
                return Variante(static_cast<std::int32_t>(ctx_.paginas));
            case Funcion::Hoy:
                return Variante(ctx_.hoy.isValid() ? ctx_.hoy : QDate::currentDate());
            case Funcion::Formato: {
                const Variante v = valor(n->hijos[0].get());
                return Variante(formateaValor(v, n->hijos[1]->constante.texto()));
            }
            case Funcion::Moneda:
                return moneda(n);
            case Funcion::Numeros:
                return numeros(n);
            case Funcion::Si: {
                if (verdadero(valor(n->hijos[0].get())))
                    return valor(n->hijos[1].get());
                return n->hijos.size() > 2 ? valor(n->hijos[2].get()) : Variante::nulo();
            }
            case Funcion::Igual:
                return Variante(iguales(valor(n->hijos[0].get()), valor(n->hijos[1].get())));
            case Funcion::Junta:
                return junta(n);
            case Funcion::Prefijo: {
                const Variante v = valor(n->hijos[1].get());
                const QString t = esNulo(v) ? QString() : v.aTexto().trimmed();
                if (t.isEmpty())
                    return Variante(QString());
                return Variante(valor(n->hijos[0].get()).aTexto() + t);
            }
            case Funcion::NoNulo: {
                const Variante v = valor(n->hijos[0].get());
                if (!esNulo(v) && !v.esVacio())
                    return v;
                if (n->hijos.size() > 1)
                    return valor(n->hijos[1].get());
                return Variante(0.0);
            }
            case Funcion::Mayusculas: {
                const Variante v = valor(n->hijos[0].get());
                if (esNulo(v))
                    return v;
                return Variante(v.aTexto().toUpper());
            }
            default:
                break;
        }
        return Variante::nulo();
    }

    const Expresion& expr_;
    const Contexto& ctx_;
};

}  // namespace

Variante Expresion::evalua(const Contexto& ctx) const {
    return Evaluador(*this, ctx).valor(raiz_.get());
}

Variante Expresion::evaluaArgumento(const Agregado& agregado, const Contexto& ctx) {
    if (!agregado.argumento)
        return Variante(std::int32_t{1});
    return Evaluador(*agregado.origen, ctx).valor(agregado.argumento);
}

}  // namespace quilmaro::reporte
