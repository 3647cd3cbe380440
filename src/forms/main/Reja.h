#pragma once
// The invoice list grid. Row 0 is the header row and column 0 the row-number column, both shown
// as the table's headers; rows and columns are numbered as the window sees them (data from 1).

#include <QTableWidget>

namespace quilmaro {

class Reja : public QTableWidget {
    Q_OBJECT
  public:
    explicit Reja(QWidget* parent = nullptr);

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

  signals:
    // A key pressed while the grid has the focus; returning true in aceptada stops it there.
    void teclaAbajo(int codigoTecla, Qt::KeyboardModifiers modificadores, bool* aceptada);

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    QTableWidgetItem* celda(int fila, int columna, bool crear);
    QList<Qt::Alignment> alineaciones_;
};

}  // namespace quilmaro
