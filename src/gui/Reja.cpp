#include "gui/Reja.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <algorithm>
#include <charconv>

#include "gui/FiltroTeclado.h"

namespace quilmaro {

namespace {

// The row-number column. Its width is set by the window; the stock header would still work out
// its size hint, measuring the text of up to 200 rows, after every row added or renumbered,
// which made adding an invoice to a long list several times slower than looking it up.
class EncabezadoFilas final : public QHeaderView {
  public:
    explicit EncabezadoFilas(QWidget* padre) : QHeaderView(Qt::Vertical, padre) {}
    QSize sizeHint() const override {
        if (minimumWidth() == maximumWidth())
            return {minimumWidth(), defaultSectionSize()};
        return QHeaderView::sizeHint();
    }
};

// Every cell on one line: a line break inside a text (a name captured with one) shows as a blank
// instead of drawing the text's second line over the next row.
class DelegadoUnaLinea final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& valor, const QLocale& regional) const override {
        QString t = QStyledItemDelegate::displayText(valor, regional);
        for (QChar& c : t) {
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator ||
                c == QChar::ParagraphSeparator)
                c = QLatin1Char(' ');
        }
        return t;
    }
};

}  // namespace

Reja::Reja(QWidget* parent) : QTableWidget(1, 0, parent) {
    setVerticalHeader(new EncabezadoFilas(this));
    setItemDelegate(new DelegadoUnaLinea(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionsClickable(false);
    fijaColumnas(2);

    // Whatever changes the rows (these routines, Qt's own or a caller's direct use of the table)
    // reaches the index and the renumbering through the model.
    QAbstractItemModel* m = model();
    connect(
        m, &QAbstractItemModel::rowsInserted, this,
        [this](const QModelIndex&, int primera, int ultima) { filasInsertadas(primera, ultima); });
    connect(
        m, &QAbstractItemModel::rowsAboutToBeRemoved, this,
        [this](const QModelIndex&, int primera, int ultima) { filasQuitadas(primera, ultima); });
    connect(m, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& a, const QModelIndex& b) {
                datosCambiados(a.row(), b.row(), a.column(), b.column());
            });
    connect(m, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation o, int primera, int) {
                if (o == Qt::Vertical)
                    primeraSinNumerar_ = std::min(primeraSinNumerar_, primera);
            });
    const auto todoDeNuevo = [this] {
        primeraSinNumerar_ = 0;
        reconstruyeIndice();
    };
    connect(m, &QAbstractItemModel::modelReset, this, todoDeNuevo);
    connect(m, &QAbstractItemModel::layoutChanged, this, todoDeNuevo);
    connect(m, &QAbstractItemModel::rowsMoved, this, todoDeNuevo);
    connect(m, &QAbstractItemModel::columnsInserted, this, todoDeNuevo);
    connect(m, &QAbstractItemModel::columnsRemoved, this, todoDeNuevo);
}

Reja::~Reja() {
    // The model is destroyed with the table's children, after this object's members, and
    // reports its reset on the way.
    disconnect(model(), nullptr, this, nullptr);
}

void Reja::fijaFilas(int n) {
    if (n < 1)
        n = 1;
    setRowCount(n - 1);
}

void Reja::fijaColumnas(int n) {
    if (n < 1)
        n = 1;
    setColumnCount(n - 1);
    alineaciones_.resize(n, Qt::AlignLeft | Qt::AlignTop);
}

void Reja::fijaFilasFijas(int) {}

int Reja::filaActual() const {
    const int r = currentRow();
    return r < 0 ? 0 : r + 1;
}

void Reja::fijaColumnaActual(int columna) {
    if (columna < 1 || rowCount() == 0)
        return;
    const int r = currentRow() < 0 ? rowCount() - 1 : currentRow();
    setCurrentCell(r, columna - 1);
}

QTableWidgetItem* Reja::celda(int fila, int columna, bool crear) {
    if (fila == 0) {
        if (columna == 0)
            return nullptr;
        QTableWidgetItem* i = horizontalHeaderItem(columna - 1);
        if (!i && crear) {
            i = new QTableWidgetItem;
            setHorizontalHeaderItem(columna - 1, i);
        }
        return i;
    }
    if (columna == 0) {
        QTableWidgetItem* i = verticalHeaderItem(fila - 1);
        if (!i && crear) {
            i = new QTableWidgetItem;
            i->setTextAlignment(alineaciones_.value(0));
            setVerticalHeaderItem(fila - 1, i);
        }
        return i;
    }
    QTableWidgetItem* i = item(fila - 1, columna - 1);
    if (!i && crear) {
        i = new QTableWidgetItem;
        i->setTextAlignment(alineaciones_.value(columna));
        setItem(fila - 1, columna - 1, i);
    }
    return i;
}

QString Reja::texto(int fila, int columna) const {
    if (fila < 0 || fila >= filas() || columna < 0 || columna >= columnas())
        return {};
    const QTableWidgetItem* i = const_cast<Reja*>(this)->celda(fila, columna, false);
    return i ? i->text() : QString();
}

void Reja::fijaTexto(int fila, int columna, const QString& t) {
    if (fila < 0 || fila >= filas() || columna < 0 || columna >= columnas())
        return;
    if (QTableWidgetItem* i = celda(fila, columna, true))
        i->setText(t);
    if (fila > 0 && columna == 0 && t.isEmpty()) {
        // An empty row number still needs a visible header cell.
        verticalHeaderItem(fila - 1)->setText(QString());
    }
}

void Reja::fijaAnchoColumna(int columna, int twips) {
    const int px = twips * logicalDpiX() / 1440;
    if (columna == 0) {
        verticalHeader()->setFixedWidth(px);
        return;
    }
    if (columna >= columnas())
        return;
    if (twips == 0) {
        setColumnHidden(columna - 1, true);
    } else {
        setColumnHidden(columna - 1, false);
        setColumnWidth(columna - 1, px);
    }
}

void Reja::fijaAlineacion(int columna, Qt::Alignment a) {
    if (columna < 0 || columna >= alineaciones_.size())
        return;
    alineaciones_[columna] = a;
    for (int f = 1; f < filas(); ++f)
        if (QTableWidgetItem* i = celda(f, columna, false))
            i->setTextAlignment(a);
}

Qt::Alignment Reja::alineacion(int columna) const {
    return alineaciones_.value(columna);
}

void Reja::agregaFila(const QString& textoConTabs) {
    const int fila = filas();
    setRowCount(rowCount() + 1);
    const QStringList piezas = textoConTabs.split(QLatin1Char('\t'));
    for (int c = 0; c < columnas(); ++c)
        fijaTexto(fila, c, piezas.value(c));
}

void Reja::numeraFilas() {
    // Only rows whose number may have changed are looked at, and only wrong numbers written: a
    // long list is renumbered after every invoice added, and walking or writing every row's
    // number cost more than the lookup of the invoice.
    for (int r = std::max(primeraSinNumerar_, 0); r < rowCount(); ++r) {
        char cifras[16];
        const auto fin = std::to_chars(cifras, cifras + sizeof cifras, r + 1).ptr;
        const QLatin1String numero(cifras, fin - cifras);
        const QTableWidgetItem* i = verticalHeaderItem(r);
        if (!i || i->text() != numero)
            fijaTexto(r + 1, 0, QString(numero));
    }
    primeraSinNumerar_ = rowCount();
}

void Reja::quitaFila(int fila) {
    if (fila >= 1 && fila < filas())
        removeRow(fila - 1);
}

void Reja::indexaColumna(int columna, std::function<double(const QString&)> lee) {
    columnaIndice_ = columna >= 1 ? columna - 1 : -1;
    lee_ = std::move(lee);
    reconstruyeIndice();
}

bool Reja::contieneValor(double valor) const {
    if (columnaIndice_ < 0)
        return false;
    return cuentas_.value(valor == 0.0 ? 0.0 : valor) > 0;  // -0 counts as 0
}

double Reja::valorIndexado(int filaModelo) const {
    const QTableWidgetItem* i = item(filaModelo, columnaIndice_);
    return i ? lee_(i->text()) : lee_(QString());
}

void Reja::cuenta(double valor, int cambio) {
    if (valor == 0.0)
        valor = 0.0;
    int& n = cuentas_[valor];
    n += cambio;
    if (n <= 0)
        cuentas_.remove(valor);
}

void Reja::reconstruyeIndice() {
    valores_.clear();
    cuentas_.clear();
    if (columnaIndice_ < 0 || !lee_)
        return;
    valores_.reserve(rowCount());
    for (int r = 0; r < rowCount(); ++r) {
        valores_.append(valorIndexado(r));
        cuenta(valores_.last(), 1);
    }
}

void Reja::filasInsertadas(int primera, int ultima) {
    primeraSinNumerar_ = std::min(primeraSinNumerar_, primera);
    if (columnaIndice_ < 0 || !lee_)
        return;
    if (primera < 0 || primera > valores_.size()) {
        reconstruyeIndice();
        return;
    }
    for (int r = primera; r <= ultima; ++r) {
        valores_.insert(r, valorIndexado(r));
        cuenta(valores_.at(r), 1);
    }
}

void Reja::filasQuitadas(int primera, int ultima) {
    primeraSinNumerar_ = std::min(primeraSinNumerar_, primera);
    if (columnaIndice_ < 0 || !lee_)
        return;
    if (primera < 0 || ultima >= valores_.size()) {
        reconstruyeIndice();
        return;
    }
    for (int r = primera; r <= ultima; ++r)
        cuenta(valores_.at(r), -1);
    valores_.remove(primera, ultima - primera + 1);
}

void Reja::datosCambiados(int primera, int ultima, int primeraCol, int ultimaCol) {
    if (columnaIndice_ < 0 || !lee_ || columnaIndice_ < primeraCol || columnaIndice_ > ultimaCol)
        return;
    if (primera < 0 || ultima >= valores_.size()) {
        reconstruyeIndice();
        return;
    }
    for (int r = primera; r <= ultima; ++r) {
        cuenta(valores_.at(r), -1);
        valores_[r] = valorIndexado(r);
        cuenta(valores_.at(r), 1);
    }
}

void Reja::keyPressEvent(QKeyEvent* e) {
    bool aceptada = false;
    emit teclaAbajo(codigoTecla(e->key()), e->modifiers(), &aceptada);
    if (!aceptada)
        QTableWidget::keyPressEvent(e);
}

}  // namespace quilmaro
