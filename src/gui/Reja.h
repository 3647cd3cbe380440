#pragma once
// The invoice list grid. Row 0 is the header row and column 0 the row-number column, both shown
// as the table's headers; rows and columns are numbered as the window sees them (data from 1).
// The texts live in a model of the grid's own, one string per cell and no item objects, so a
// list of a hundred thousand invoices costs a few tens of megabytes and fills in a moment.

#include <QTableView>
#include <functional>

namespace quilmaro {

class ModeloReja;

class Reja : public QTableView {
    Q_OBJECT
  public:
    explicit Reja(QWidget* parent = nullptr);
    ~Reja() override;

    // Rows including the header row. Fewer drops rows from the end, more appends empty rows.
    int filas() const;
    void fijaFilas(int n);
    // Columns including the row-number column.
    int columnas() const;
    void fijaColumnas(int n);
    // Only the header row is ever fixed; kept for the list routines' sake.
    void fijaFilasFijas(int n);

    // Row of the current cell (0: none, or the header).
    int filaActual() const;
    void fijaColumnaActual(int columna);
    // The current cell and its row selected, in the model's numbering (data row 0 is row 1).
    void setCurrentCell(int filaModelo, int columnaModelo);
    int currentRow() const;

    QString texto(int fila, int columna) const;
    void fijaTexto(int fila, int columna, const QString& t);

    // Width in twips (0 hides the column) and alignment, per column.
    void fijaAnchoColumna(int columna, int twips);
    void fijaAlineacion(int columna, Qt::Alignment a);
    Qt::Alignment alineacion(int columna) const;

    // Adds a row at the end; the text is split at tabs and fills columns 0, 1, 2 ... in order.
    void agregaFila(const QString& textoConTabs);
    // Adds a row at the end whose columns 1, 2, 3 ... hold the texts, as many as there are
    // columns; a long list is read into the grid this way without a copy of its texts.
    void agregaFilaDe(const QStringList& textos);
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
    // The row numbers changed: the header repaints them.
    void numerosCambiados();

    ModeloReja* modelo_;
};

}  // namespace quilmaro
