#pragma once
// The invoice list grid. Row 0 is the header row and column 0 the row-number column, both shown
// as the table's headers; rows and columns are numbered as the window sees them (data from 1).

#include <QHash>
#include <QTableWidget>
#include <functional>

namespace quilmaro {

class Reja : public QTableWidget {
    Q_OBJECT
  public:
    explicit Reja(QWidget* parent = nullptr);
    ~Reja() override;

    // Rows including the header row. Fewer drops rows from the end, more appends empty rows.
    int filas() const { return rowCount() + 1; }
    void fijaFilas(int n);
    // Columns including the row-number column.
    int columnas() const { return columnCount() + 1; }
    void fijaColumnas(int n);
    // Only the header row is ever fixed; kept for the list routines' sake.
    void fijaFilasFijas(int n);

    // Row of the current cell (0: none, or the header).
    int filaActual() const;
    void fijaColumnaActual(int columna);

    QString texto(int fila, int columna) const;
    void fijaTexto(int fila, int columna, const QString& t);

    // Width in twips (0 hides the column) and alignment, per column.
    void fijaAnchoColumna(int columna, int twips);
    void fijaAlineacion(int columna, Qt::Alignment a);
    Qt::Alignment alineacion(int columna) const;

    // Adds a row at the end; the text is split at tabs and fills columns 0, 1, 2 ... in order.
    void agregaFila(const QString& textoConTabs);
    // Column 0 of the data rows numbered 1, 2, 3 ...; rows already numbered right stay as they are.
    void numeraFilas();
    void quitaFila(int fila);

    // Keeps an index of one column's values read as numbers by `lee`, in step with every change
    // to the grid, so that contieneValor answers without walking a long list.
    void indexaColumna(int columna, std::function<double(const QString&)> lee);
    // Whether a data row holds the value in the indexed column (false without an index).
    bool contieneValor(double valor) const;

  signals:
    // A key pressed while the grid has the focus; returning true in aceptada stops it there.
    void teclaAbajo(int codigoTecla, Qt::KeyboardModifiers modificadores, bool* aceptada);

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    QTableWidgetItem* celda(int fila, int columna, bool crear);
    // The index: each data row's value and how many rows hold each value.
    double valorIndexado(int filaModelo) const;
    void cuenta(double valor, int cambio);
    void reconstruyeIndice();
    void filasInsertadas(int primera, int ultima);
    void filasQuitadas(int primera, int ultima);
    void datosCambiados(int primera, int ultima, int primeraCol, int ultimaCol);

    QList<Qt::Alignment> alineaciones_;
    int columnaIndice_ = -1;  // model column; -1 without an index
    std::function<double(const QString&)> lee_;
    QList<double> valores_;
    QHash<double, int> cuentas_;
    // Rows from this model row on may carry a wrong number: numeraFilas starts there.
    int primeraSinNumerar_ = 0;
};

}  // namespace quilmaro
