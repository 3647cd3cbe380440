#pragma once
// Expressions of report items: fields by name, + - * / & and parentheses, text and number
// constants, and the report functions (totals by scope, page number and count, today's date,
// formats, amounts in words). Parsed when the layout is read, bound to the data columns once the
// sources are open, evaluated row by row during pagination.

#include <QDate>
#include <QString>
#include <memory>
#include <vector>

#include "core/Variante.h"
#include "reportengine/ErrorReporte.h"

namespace quilmaro::reporte {

class Datos;
struct Nodo;

// Range of rows a total covers.
enum class Ambito {
    Reporte,  // every row printed so far
    Grupo,    // rows of the current group so far
    Pagina,   // rows of the current page so far
    Acarreo,  // rows of the pages before this one (the total carried forward)
};

// One accumulator of the report: the sum or count of an argument over a range of rows.
struct Agregado {
    Ambito ambito = Ambito::Reporte;
    bool cuenta = false;
    int nivel = -1;                           // group level (0 = outermost) for Ambito::Grupo
    const Nodo* argumento = nullptr;          // nullptr: count of rows
    const class Expresion* origen = nullptr;  // the expression it was written in
};

// Finds a field named in an expression among the report's data sources.
class ResolutorCampos {
  public:
    virtual ~ResolutorCampos() = default;
    // fuente may be empty (any source). Returns false and explains why in *error.
    virtual bool resuelve(const QString& fuente, const QString& campo, int* idxFuente,
                          int* idxColumna, QString* error) const = 0;
};

// What an expression sees while it is evaluated.
struct Contexto {
    const Datos* datos = nullptr;
    int fila = -1;                                    // current detail row, -1 when there is none
    int pagina = 0;                                   // from 1
    int paginas = 0;                                  // total pages; 0 while not yet known
    const std::vector<double>* acumulados = nullptr;  // current value of every Agregado
    QDate hoy;
};

class Expresion {
  public:
    ~Expresion();

    // Parses the text. Errors (syntax, unknown function, wrong arguments) are thrown as
    // ErrorReporte naming the place in the layout.
    static std::unique_ptr<Expresion> analiza(const QString& texto, const Ubicacion& donde);

    // Binds the field names to data columns and appends the expression's totals to agregados.
    // nivelGrupo is the group level that SumaGrupo/CuentaGrupo refer to (-1: no group).
    void enlaza(const ResolutorCampos& campos, std::vector<Agregado>& agregados, int nivelGrupo);

    Variante evalua(const Contexto& ctx) const;

    // The value of a total's argument for a row (what the total adds up or counts).
    static Variante evaluaArgumento(const Agregado& agregado, const Contexto& ctx);

    bool usaPaginas() const { return usaPaginas_; }      // the page count (known at the end)
    bool usaAgregados() const { return usaAgregados_; }  // some total
    const QString& texto() const { return texto_; }
    const Ubicacion& ubicacion() const { return donde_; }

    // An ErrorReporte about this expression: "Error en el diseño ..., línea L: <que>".
    ErrorReporte error(const QString& que) const;

  private:
    Expresion() = default;
    QString texto_;
    Ubicacion donde_;
    std::unique_ptr<Nodo> raiz_;
    bool usaPaginas_ = false;
    bool usaAgregados_ = false;
};

}  // namespace quilmaro::reporte
