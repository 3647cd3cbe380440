#include "reportengine/VistaPrevia.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/Plataforma.h"
#include "reportengine/ErrorReporte.h"
#include "reportengine/Pintor.h"

namespace quilmaro::reporte {

namespace {
constexpr int kMarcoHoja = 12;  // pixels of grey around the page
const double kZooms[] = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0};
}  // namespace

// The page on its grey desk, painted from the page model and kept as an image between repaints.
class HojaPrevia : public QWidget {
  public:
    HojaPrevia(const Documento& doc, QWidget* padre) : QWidget(padre), doc_(doc), pintor_(doc) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void muestra(int pagina, double pxPorMm) {
        pagina_ = pagina;
        pxPorMm_ = pxPorMm;
        const QSizeF mm = doc_.pagina();
        setFixedSize(qRound(mm.width() * pxPorMm) + 2 * kMarcoHoja,
                     qRound(mm.height() * pxPorMm) + 2 * kMarcoHoja);
        cache_ = QImage();
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const qreal dpr = devicePixelRatioF();
        const QSizeF mm = doc_.pagina();
        const QSize tam(qRound(mm.width() * pxPorMm_), qRound(mm.height() * pxPorMm_));
        if (cache_.isNull()) {
            cache_ = QImage(tam * dpr, QImage::Format_RGB32);
            cache_.setDevicePixelRatio(dpr);
            cache_.fill(Qt::white);
            QPainter pi(&cache_);
            pintor_.pinta(pi, pagina_, pxPorMm_);
        }
        QPainter p(this);
        p.fillRect(rect(), QColor(0x80, 0x80, 0x80));
        p.fillRect(QRect(QPoint(kMarcoHoja + 3, kMarcoHoja + 3), tam), QColor(0x50, 0x50, 0x50));
        p.drawImage(QPoint(kMarcoHoja, kMarcoHoja), cache_);
    }

  private:
    const Documento& doc_;
    Pintor pintor_;
    int pagina_ = 0;
    double pxPorMm_ = 1;
    QImage cache_;
};

VistaPrevia::VistaPrevia(std::shared_ptr<const Documento> doc, QWidget* padre)
    : QWidget(padre, Qt::Window), doc_(std::move(doc)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(doc_->nombre);
    setWindowModality(Qt::NonModal);

    auto* barra = new QToolBar(this);
    barra->setToolButtonStyle(Qt::ToolButtonTextOnly);
    imprimir_ = barra->addAction(QStringLiteral("Imprimir…"), this, &VistaPrevia::imprime);
    imprimir_->setShortcut(QKeySequence::Print);
    if (exportador()) {
        exportarArchivo_ =
            barra->addAction(QStringLiteral("Exportar…"), this, [this] { exportador()(*this); });
        exportarArchivo_->setToolTip(
            QStringLiteral("Guardar el reporte como texto, texto enriquecido, hoja de cálculo o "
                           "documento"));
    }
    exportar_ =
        barra->addAction(QStringLiteral("Exportar a PDF…"), this, &VistaPrevia::exportaConDialogo);
    barra->addSeparator();
    acciones_[0] = barra->addAction(QStringLiteral("|◀"), this, &VistaPrevia::primera);
    acciones_[0]->setToolTip(QStringLiteral("Primera página (Inicio)"));
    acciones_[1] = barra->addAction(QStringLiteral("◀"), this, &VistaPrevia::anterior);
    acciones_[1]->setToolTip(QStringLiteral("Página anterior (RePág)"));
    barra->addWidget(new QLabel(QStringLiteral(" Página "), barra));
    numero_ = new QSpinBox(barra);
    numero_->setRange(1, std::max(1, doc_->cuentaPaginas()));
    numero_->setKeyboardTracking(false);
    barra->addWidget(numero_);
    total_ = new QLabel(textoPaginas() + QLatin1Char(' '), barra);
    barra->addWidget(total_);
    acciones_[2] = barra->addAction(QStringLiteral("▶"), this, &VistaPrevia::siguiente);
    acciones_[2]->setToolTip(QStringLiteral("Página siguiente (AvPág)"));
    acciones_[3] = barra->addAction(QStringLiteral("▶|"), this, &VistaPrevia::ultima);
    acciones_[3]->setToolTip(QStringLiteral("Última página (Fin)"));
    barra->addSeparator();
    zooms_ = new QComboBox(barra);
    zooms_->addItem(QStringLiteral("Ajustar al ancho"), 0.0);
    for (double z : kZooms)
        zooms_->addItem(QStringLiteral("%1 %").arg(qRound(z * 100)), z);
    barra->addWidget(zooms_);

    area_ = new QScrollArea(this);
    area_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    area_->setBackgroundRole(QPalette::Dark);
    hoja_ = new HojaPrevia(*doc_, area_);
    area_->setWidget(hoja_);
    area_->viewport()->installEventFilter(this);

    auto* caja = new QVBoxLayout(this);
    caja->setContentsMargins(0, 0, 0, 0);
    caja->setSpacing(0);
    caja->addWidget(barra);
    caja->addWidget(area_, 1);

    connect(numero_, qOverload<int>(&QSpinBox::valueChanged), this,
            [this](int n) { irAPagina(n); });
    connect(zooms_, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        const double z = zooms_->itemData(i).toDouble();
        if (z <= 0)
            ajustaAlAncho();
        else
            fijaZoom(z);
    });
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, &QWidget::close);

    // A comfortable first size: most of the screen's height, a page wide.
    QSize tam(900, 1000);
    if (const QScreen* s = screen()) {
        const QRect disp = s->availableGeometry();
        tam = QSize(std::min(disp.width() * 9 / 10, 950), disp.height() * 9 / 10);
    }
    resize(tam);
    ajustaAlAncho();
}

VistaPrevia::~VistaPrevia() = default;

QString VistaPrevia::textoPaginas() const {
    return QStringLiteral("de %1").arg(doc_->cuentaPaginas());
}

double VistaPrevia::anchoDisponible() const {
    // Room for the vertical scroll bar is kept, so that fitting never makes it come and go.
    const int barra = area_->verticalScrollBar()->isVisible()
                          ? 0
                          : area_->verticalScrollBar()->sizeHint().width();
    return std::max(100, area_->viewport()->width() - 2 * kMarcoHoja - barra);
}

void VistaPrevia::actualiza() {
    const double pxPorMmReal = logicalDpiX() / 25.4;
    const double pxPorMm =
        ajustaAncho_ ? anchoDisponible() / doc_->pagina().width() : zoom_ * pxPorMmReal;
    if (ajustaAncho_)
        zoom_ = pxPorMm / pxPorMmReal;
    hoja_->muestra(pagina_, pxPorMm);
    const QSignalBlocker b1(numero_);
    numero_->setValue(pagina_ + 1);
    const bool hayAntes = pagina_ > 0, hayDespues = pagina_ + 1 < doc_->cuentaPaginas();
    acciones_[0]->setEnabled(hayAntes);
    acciones_[1]->setEnabled(hayAntes);
    acciones_[2]->setEnabled(hayDespues);
    acciones_[3]->setEnabled(hayDespues);
    const QSignalBlocker b2(zooms_);
    int indice = 0;
    if (!ajustaAncho_) {
        indice = -1;
        for (int i = 1; i < zooms_->count(); ++i) {
            if (qFuzzyCompare(zooms_->itemData(i).toDouble(), zoom_))
                indice = i;
        }
        if (indice < 0) {
            // A zoom reached with + and -: shown in an extra entry at the end of the list.
            const int ultimo = zooms_->count() - 1;
            const QString texto = QStringLiteral("%1 %").arg(qRound(zoom_ * 100));
            if (zooms_->count() == 1 + static_cast<int>(std::size(kZooms))) {
                zooms_->addItem(texto, zoom_);
            } else {
                zooms_->setItemText(ultimo, texto);
                zooms_->setItemData(ultimo, zoom_);
            }
            indice = zooms_->count() - 1;
        }
    }
    zooms_->setCurrentIndex(indice);
}

void VistaPrevia::irAPagina(int numero) {
    const int n = std::clamp(numero, 1, std::max(1, doc_->cuentaPaginas()));
    if (n - 1 != pagina_) {
        pagina_ = n - 1;
        area_->verticalScrollBar()->setValue(0);
    }
    actualiza();
}

void VistaPrevia::fijaZoom(double zoom) {
    // Up to 400 %: the page is kept as one image, and larger ones would cost too much memory.
    zoom_ = std::clamp(zoom, 0.25, 4.0);
    ajustaAncho_ = false;
    actualiza();
}

void VistaPrevia::ajustaAlAncho() {
    ajustaAncho_ = true;
    actualiza();
}

void VistaPrevia::siguiente() {
    irAPagina(pagina_ + 2);
}
void VistaPrevia::anterior() {
    irAPagina(pagina_);
}
void VistaPrevia::primera() {
    irAPagina(1);
}
void VistaPrevia::ultima() {
    irAPagina(doc_->cuentaPaginas());
}

bool VistaPrevia::eventFilter(QObject* objeto, QEvent* e) {
    // Fit to width follows the visible area, which has its final size only once laid out.
    if (objeto == area_->viewport() && e->type() == QEvent::Resize && ajustaAncho_)
        actualiza();
    return QWidget::eventFilter(objeto, e);
}

void VistaPrevia::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_PageDown:
            siguiente();
            return;
        case Qt::Key_PageUp:
            anterior();
            return;
        case Qt::Key_Home:
            if (e->modifiers() & Qt::ControlModifier)
                primera();
            return;
        case Qt::Key_End:
            if (e->modifiers() & Qt::ControlModifier)
                ultima();
            return;
        case Qt::Key_Plus:
            fijaZoom(zoom_ * 1.25);
            return;
        case Qt::Key_Minus:
            fijaZoom(zoom_ / 1.25);
            return;
        default:
            QWidget::keyPressEvent(e);
    }
}

VistaPrevia::Exportador& VistaPrevia::exportador() {
    static Exportador e;
    return e;
}

void VistaPrevia::fijaExportador(Exportador exportador) {
    VistaPrevia::exportador() = std::move(exportador);
}

bool VistaPrevia::exportaArchivo(const QString& ruta, FormatoArchivo formato) {
    try {
        CursorOcupado ocupado;
        reporte::exportaArchivo(*doc_, ruta, formato);
        return true;
    } catch (const ErrorReporte& e) {
        muestraMensaje(e.mensaje(), QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
        return false;
    }
}

bool VistaPrevia::exportaPdf(const QString& ruta) {
    try {
        CursorOcupado ocupado;
        reporte::exportaPdf(*doc_, ruta);
        return true;
    } catch (const ErrorReporte& e) {
        muestraMensaje(e.mensaje(), QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
        return false;
    }
}

bool VistaPrevia::imprimeEn(QPrinter& impresora) {
    try {
        CursorOcupado ocupado;
        reporte::imprime(*doc_, impresora);
        return true;
    } catch (const ErrorReporte& e) {
        muestraMensaje(e.mensaje(), QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
        return false;
    }
}

void VistaPrevia::imprime() {
    QPrinter impresora(QPrinter::HighResolution);
    impresora.setDocName(doc_->nombre);
    impresora.setFromTo(1, doc_->cuentaPaginas());
    QPrintDialog dialogo(&impresora, this);
    dialogo.setWindowTitle(QStringLiteral("Imprimir %1").arg(doc_->nombre));
    dialogo.setMinMax(1, std::max(1, doc_->cuentaPaginas()));
    if (dialogo.exec() != QDialog::Accepted)
        return;
    imprimeEn(impresora);
}

void VistaPrevia::exportaConDialogo() {
    QString carpeta = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (carpeta.isEmpty())
        carpeta = QDir::homePath();
    QString nombre = doc_->nombre;
    for (QChar c : QStringLiteral("\\/:*?\"<>|"))
        nombre.replace(c, QLatin1Char('_'));
    QString ruta =
        QFileDialog::getSaveFileName(this, QStringLiteral("Exportar a PDF"),
                                     QDir(carpeta).filePath(nombre + QStringLiteral(".pdf")),
                                     QStringLiteral("Documentos PDF (*.pdf)"));
    if (ruta.isEmpty())
        return;
    if (!ruta.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        ruta += QStringLiteral(".pdf");
    exportaPdf(ruta);
}

}  // namespace quilmaro::reporte
