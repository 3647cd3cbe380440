#pragma once
// The data of one report run: the sources the layout declares, opened with the texts the program
// set, read whole into memory and closed again. After Datos::carga returns nothing refers to the
// files or tables any more; the program may delete and drop them.

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

#include "core/Variante.h"
#include "reportengine/Diseno.h"
#include "reportengine/Expresion.h"

namespace quilmaro::reporte {

// Rows of one table: its column names, then its rows, one value per column.
class FuenteDatos {
  public:
    virtual ~FuenteDatos() = default;
    virtual QStringList columnas() const = 0;
    // Reads the next row into fila (resized to the column count); false at the end.
    // Failures are thrown as ErrorReporte.
    virtual bool siguiente(QVector<Variante>& fila) = 0;
    // The columns the report reads (by position); a source may leave the others empty.
    virtual void leeSolo(const std::vector<bool>& usadas) { Q_UNUSED(usadas); }
};

// Rows kept in memory.
class FuenteMemoria : public FuenteDatos {
  public:
    FuenteMemoria(QStringList columnas, QVector<QVector<Variante>> filas)
        : columnas_(std::move(columnas)), filas_(std::move(filas)) {}
    QStringList columnas() const override { return columnas_; }
    bool siguiente(QVector<Variante>& fila) override;

  private:
    QStringList columnas_;
    QVector<QVector<Variante>> filas_;
    qsizetype i_ = 0;
};

// A table of a local SQLite file, opened read-only (a missing file is an error, never created).
std::unique_ptr<FuenteDatos> abreTablaLocal(const QString& archivo, const QString& tabla);

// A table on the database server, named "database.table".
std::unique_ptr<FuenteDatos> abreTablaServidor(const QString& baseYTabla);

// What the engine asks for when it opens source n.
struct PeticionFuente {
    int numero = 0;
    QString texto;  // as the program set it: a file path, or "database.table"
    bool local = false;
    QString tabla;  // table of a local file
};
using AbridorFuentes = std::function<std::unique_ptr<FuenteDatos>(const PeticionFuente&)>;

// Local sources with abreTablaLocal, server sources with abreTablaServidor.
std::unique_ptr<FuenteDatos> abreFuente(const PeticionFuente& p);

class Datos {
  public:
    // Opens every source the layout declares, binds the layout's expressions to their columns
    // (an unknown field is an error naming its line), reads the rows the report needs, joins
    // them as the layout says and closes the sources. textos: source number -> text.
    static std::unique_ptr<Datos> carga(Diseno& diseno, const QMap<int, QString>& textos,
                                        const AbridorFuentes& abridor = abreFuente);

    // The value of a column for a detail row (sources that are not the detail answer with the
    // row joined to it, or with their first row). Null when there is no such row.
    Variante valor(int fuente, int columna, int fila) const;
    int filas() const { return filas_; }

  private:
    friend class ResolutorDatos;
    struct Tabla {
        const DefFuente* def = nullptr;
        QStringList columnas;
        std::vector<int> usada;  // column -> position among the kept columns, or -1
        int guardadas = 0;
        std::vector<Variante> valores;  // rows x kept columns
        int renglones = 0;
        std::vector<int> enlace;  // detail row -> row of this table (joined tables)
        int padre = -1;           // joined tables: the table they join to
        int colEnlace = -1, colPadre = -1;
    };
    int usa(int tabla, int columna);
    // The steps of carga: open one source and learn its columns; find the join keys and the
    // ordering fields; read a source's rows, keeping only the columns the report uses; put the
    // detail rows in the layout's order; point each detail row at its joined tables' first
    // matching row.
    std::unique_ptr<FuenteDatos> abre(const DefFuente& def, const QMap<int, QString>& textos,
                                      const AbridorFuentes& abridor);
    void buscaEnlacesYOrden();
    void lee(Tabla& t, FuenteDatos& fuente, const QMap<int, QString>& textos);
    void ordenaDetalle();
    void enlazaTablas();
    const Variante& celda(const Tabla& t, int renglon, int columna) const {
        // Both are positions the loading stored, never negative for a used column.
        const auto posicion = static_cast<size_t>(t.usada[static_cast<size_t>(columna)]);
        return t
            .valores[static_cast<size_t>(renglon) * static_cast<size_t>(t.guardadas) + posicion];
    }

    std::vector<Tabla> tablas_;
    int detalle_ = -1;
    std::vector<int> orden_;  // detail row -> row of the detail table
    int filas_ = 0;
    int leidas_ = 0;  // rows read so far, for the passes of pending events
};

}  // namespace quilmaro::reporte
