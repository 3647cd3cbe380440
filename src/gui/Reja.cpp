#include "gui/Reja.h"

#include <QAbstractTableModel>
#include <QHash>
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

// The column titles. The stock header measures every title again each time the table lays its
// rows out, which it does after every row added; the height only changes with the titles, the
// font or the style, so it is measured again only then (the grid tells it of new titles).
class EncabezadoColumnas final : public QHeaderView {
  public:
    explicit EncabezadoColumnas(QWidget* padre) : QHeaderView(Qt::Horizontal, padre) {}
    QSize sizeHint() const override {
        if (alto_ < 0)
            alto_ = QHeaderView::sizeHint().height();
        return {length(), alto_};
    }
    void olvidaAlto() { alto_ = -1; }

  protected:
    void changeEvent(QEvent* e) override {
        if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange)
            olvidaAlto();
        QHeaderView::changeEvent(e);
    }

  private:
    mutable int alto_ = -1;
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

// The grid's texts: per data row its number and the texts of the other columns, a row's texts
// shared with the list they came from until one changes. Only the grid changes them, through
// Reja, which also keeps the index of one column.
class ModeloReja final : public QAbstractTableModel {
  public:
    explicit ModeloReja(QObject* padre) : QAbstractTableModel(padre) {}

    int rowCount(const QModelIndex& padre = {}) const override {
        return padre.isValid() ? 0 : filas_;
    }
    int columnCount(const QModelIndex& padre = {}) const override {
        return padre.isValid() ? 0 : columnas_ - 1;
    }
    QVariant data(const QModelIndex& i, int rol) const override {
        if (!i.isValid())
            return {};
        if (rol == Qt::DisplayRole || rol == Qt::EditRole)
            return celda(i.row(), i.column() + 1);
        if (rol == Qt::TextAlignmentRole)
            return static_cast<int>(alineaciones_.value(i.column() + 1));
        return {};
    }
    QVariant headerData(int seccion, Qt::Orientation o, int rol) const override {
        if (o == Qt::Horizontal) {
            if (rol == Qt::DisplayRole && seccion >= 0 && seccion + 1 < titulos_.size())
                return titulos_.at(seccion + 1);
            return {};
        }
        if (seccion < 0 || seccion >= filas_)
            return {};
        if (rol == Qt::DisplayRole)
            return celda(seccion, 0);
        if (rol == Qt::TextAlignmentRole)
            return static_cast<int>(alineaciones_.value(0));
        return {};
    }

    int filas() const { return filas_; }
    int columnas() const { return columnas_; }
    const QString& celda(int filaModelo, int columna) const {
        const Fila& f = filasDatos_.at(filaModelo);
        if (columna == 0)
            return f.numero;
        static const QString vacia;
        return columna <= f.textos.size() ? f.textos.at(columna - 1) : vacia;
    }

    // Cell text without any signal; the index follows the indexed column.
    void guarda(int filaModelo, int columna, const QString& t) {
        Fila& f = filasDatos_[filaModelo];
        if (columna == 0) {
            f.numero = t;
            return;
        }
        if (columna == columnaIndice_ && indexada())
            reindexa(filaModelo, t);
        if (f.textos.size() < columnas_ - 1)
            f.textos.resize(columnas_ - 1);
        f.textos[columna - 1] = t;
    }

    // A new row at the end with the texts of columns 1, 2, 3 ...; a list of just the grid's
    // columns is kept as it is, not copied.
    void agrega(const QStringList& textos) {
        beginInsertRows({}, filas_, filas_);
        Fila f;
        f.textos = textos;
        if (f.textos.size() > columnas_ - 1)
            f.textos.resize(columnas_ - 1);
        filasDatos_.append(std::move(f));
        agregaAlIndice(filas_, 1);
        if (indexada())
            reindexa(filas_, celda(filas_, columnaIndice_));
        ++filas_;
        endInsertRows();
    }

    void fijaFilas(int n) {
        n = std::max(n, 0);
        if (n < filas_) {
            beginRemoveRows({}, n, filas_ - 1);
            quitaDelIndice(n, filas_ - n);
            filasDatos_.resize(n);
            filas_ = n;
            primeraSinNumerar = std::min(primeraSinNumerar, n);
            endRemoveRows();
        } else if (n > filas_) {
            beginInsertRows({}, filas_, n - 1);
            filasDatos_.resize(n);
            agregaAlIndice(filas_, n - filas_);
            filas_ = n;
            endInsertRows();
        }
    }

    void quitaFila(int filaModelo) {
        beginRemoveRows({}, filaModelo, filaModelo);
        quitaDelIndice(filaModelo, 1);
        filasDatos_.remove(filaModelo);
        --filas_;
        primeraSinNumerar = std::min(primeraSinNumerar, filaModelo);
        endRemoveRows();
    }

    void fijaColumnas(int n) {
        n = std::max(n, 1);
        if (n == columnas_)
            return;
        if (n > columnas_)
            beginInsertColumns({}, columnas_ - 1, n - 2);
        else
            beginRemoveColumns({}, n - 1, columnas_ - 2);
        for (Fila& f : filasDatos_)
            if (f.textos.size() > n - 1)
                f.textos.resize(n - 1);
        const int antes = columnas_;
        columnas_ = n;
        titulos_.resize(n);
        alineaciones_.resize(n, Qt::AlignLeft | Qt::AlignTop);
        reconstruyeIndice();
        if (n > antes)
            endInsertColumns();
        else
            endRemoveColumns();
    }

    // The column may come later, when the grid gets its columns.
    void indexa(int columna, std::function<double(const QString&)> lee) {
        columnaIndice_ = columna >= 1 ? columna : -1;
        lee_ = std::move(lee);
        reconstruyeIndice();
    }
    void reconstruyeIndice() {
        valores_.clear();
        cuentas_.clear();
        if (!indexada())
            return;
        valores_.reserve(filas_);
        for (int f = 0; f < filas_; ++f) {
            valores_.append(lee_(celda(f, columnaIndice_)));
            cuenta(valores_.last(), 1);
        }
    }
    bool contiene(double valor) const {
        return indexada() && cuentas_.value(valor == 0.0 ? 0.0 : valor) > 0;
    }

    QList<QString> titulos_;
    QList<Qt::Alignment> alineaciones_;
    // Rows from this one on may carry a wrong number: numeraFilas starts there.
    int primeraSinNumerar = 0;

  private:
    bool indexada() const { return columnaIndice_ >= 1 && columnaIndice_ < columnas_ && lee_; }
    void cuenta(double valor, int cambio) {
        if (valor == 0.0)
            valor = 0.0;  // -0 counts as 0
        int& n = cuentas_[valor];
        n += cambio;
        if (n <= 0)
            cuentas_.remove(valor);
    }
    void reindexa(int filaModelo, const QString& t) {
        const double v = lee_(t);
        cuenta(valores_.at(filaModelo), -1);
        valores_[filaModelo] = v;
        cuenta(v, 1);
    }
    void agregaAlIndice(int primera, int cuantas) {
        if (!indexada())
            return;
        const double vacia = lee_(QString());
        valores_.insert(primera, cuantas, vacia);
        for (int i = 0; i < cuantas; ++i)
            cuenta(vacia, 1);
    }
    void quitaDelIndice(int primera, int cuantas) {
        if (!indexada())
            return;
        for (int f = primera; f < primera + cuantas; ++f)
            cuenta(valores_.at(f), -1);
        valores_.remove(primera, cuantas);
    }

    struct Fila {
        QString numero;
        QStringList textos;  // columns 1, 2, 3 ...; missing ones are empty
    };
    int filas_ = 0;
    int columnas_ = 1;
    QList<Fila> filasDatos_;
    int columnaIndice_ = -1;
    std::function<double(const QString&)> lee_;
    QList<double> valores_;  // each data row's value in the indexed column
    QHash<double, int> cuentas_;
};

Reja::Reja(QWidget* parent) : QTableView(parent), modelo_(new ModeloReja(this)) {
    setModel(modelo_);
    setHorizontalHeader(new EncabezadoColumnas(this));
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
    fijaFilas(2);  // the header row and one empty data row
}

Reja::~Reja() = default;

int Reja::filas() const {
    return modelo_->filas() + 1;
}

void Reja::fijaFilas(int n) {
    modelo_->fijaFilas(n - 1);
}

int Reja::columnas() const {
    return modelo_->columnas();
}

void Reja::fijaColumnas(int n) {
    modelo_->fijaColumnas(n);
    static_cast<EncabezadoColumnas*>(horizontalHeader())->olvidaAlto();
}

void Reja::fijaFilasFijas(int) {}

int Reja::currentRow() const {
    return currentIndex().row();
}

void Reja::setCurrentCell(int filaModelo, int columnaModelo) {
    setCurrentIndex(modelo_->index(filaModelo, columnaModelo));
}

int Reja::filaActual() const {
    const int r = currentRow();
    return r < 0 ? 0 : r + 1;
}

void Reja::fijaColumnaActual(int columna) {
    if (columna < 1 || modelo_->filas() == 0)
        return;
    const int r = currentRow() < 0 ? modelo_->filas() - 1 : currentRow();
    setCurrentCell(r, columna - 1);
}

QString Reja::texto(int fila, int columna) const {
    if (fila < 0 || fila >= filas() || columna < 0 || columna >= columnas())
        return {};
    if (fila == 0)
        return modelo_->titulos_.at(columna);
    return modelo_->celda(fila - 1, columna);
}

void Reja::fijaTexto(int fila, int columna, const QString& t) {
    if (fila < 0 || fila >= filas() || columna < 0 || columna >= columnas())
        return;
    if (fila == 0) {
        if (columna > 0) {
            modelo_->titulos_[columna] = t;
            static_cast<EncabezadoColumnas*>(horizontalHeader())->olvidaAlto();
            emit modelo_->headerDataChanged(Qt::Horizontal, columna - 1, columna - 1);
        }
        return;
    }
    if (modelo_->celda(fila - 1, columna) == t)
        return;
    modelo_->guarda(fila - 1, columna, t);
    if (columna == 0) {
        modelo_->primeraSinNumerar = std::min(modelo_->primeraSinNumerar, fila - 1);
        numerosCambiados();
    } else {
        const QModelIndex i = modelo_->index(fila - 1, columna - 1);
        emit modelo_->dataChanged(i, i, {Qt::DisplayRole});
    }
}

void Reja::numerosCambiados() {
    // The header's own signal would have it find the row's position, which after rows were added
    // means adding up every row's height again: a repaint of what it shows is all it needs while
    // its width is fixed, and its size is worked out again when it is not.
    if (verticalHeader()->minimumWidth() == verticalHeader()->maximumWidth())
        verticalHeader()->viewport()->update();
    else
        emit modelo_->headerDataChanged(Qt::Vertical, 0, std::max(modelo_->filas() - 1, 0));
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
    if (columna < 0 || columna >= modelo_->alineaciones_.size())
        return;
    modelo_->alineaciones_[columna] = a;
    if (columna == 0)
        numerosCambiados();
    else
        viewport()->update();
}

Qt::Alignment Reja::alineacion(int columna) const {
    return modelo_->alineaciones_.value(columna);
}

void Reja::agregaFila(const QString& textoConTabs) {
    const int fila = filas();
    modelo_->fijaFilas(fila);
    if (textoConTabs.isEmpty())
        return;
    const QStringList piezas = textoConTabs.split(QLatin1Char('\t'));
    for (int c = 0; c < columnas() && c < piezas.size(); ++c)
        fijaTexto(fila, c, piezas.at(c));
}

void Reja::agregaFilaDe(const QStringList& textos) {
    modelo_->agrega(textos);
}

void Reja::numeraFilas() {
    // Only rows whose number may have changed are looked at, and only wrong numbers written: a
    // long list is renumbered after every invoice added.
    bool cambio = false;
    for (int r = std::max(modelo_->primeraSinNumerar, 0); r < modelo_->filas(); ++r) {
        char cifras[16];
        const auto fin = std::to_chars(cifras, cifras + sizeof cifras, r + 1).ptr;
        const QLatin1String numero(cifras, fin - cifras);
        if (modelo_->celda(r, 0) != numero) {
            modelo_->guarda(r, 0, QString(numero));
            cambio = true;
        }
    }
    modelo_->primeraSinNumerar = modelo_->filas();
    if (cambio)
        numerosCambiados();
}

void Reja::quitaFila(int fila) {
    if (fila >= 1 && fila < filas())
        modelo_->quitaFila(fila - 1);
}

void Reja::indexaColumna(int columna, std::function<double(const QString&)> lee) {
    modelo_->indexa(columna, std::move(lee));
}

bool Reja::contieneValor(double valor) const {
    return modelo_->contiene(valor);
}

void Reja::keyPressEvent(QKeyEvent* e) {
    bool aceptada = false;
    emit teclaAbajo(codigoTecla(e->key()), e->modifiers(), &aceptada);
    if (!aceptada)
        QTableView::keyPressEvent(e);
}

}  // namespace quilmaro
