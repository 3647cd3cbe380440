#include "gui/VistaPrevia.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
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

#include "gui/SalidaVentanas.h"
#include "platform/Plataforma.h"
#include "reportengine/ErrorReporte.h"
#include "reportengine/Pintor.h"

namespace quilmaro::reporte {

namespace {
constexpr int kMarcoHoja = 12;  // pixels of grey around the page
const double kZooms[] = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0};
}  // namespace

// The page on its grey desk, painted from the page model straight onto the widget, only where
// the window asks: a page picture of its own at screen resolution would cost megabytes and its
// fill on every first paint, though the viewport mostly shows a part of the page.
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
        update();
    }

  protected:
    void paintEvent(QPaintEvent* e) override {
        const QSizeF mm = doc_.pagina();
        const QRect hoja(QPoint(kMarcoHoja, kMarcoHoja),
                         QSize(qRound(mm.width() * pxPorMm_), qRound(mm.height() * pxPorMm_)));
        QPainter p(this);
        p.fillRect(e->rect(), QColor(0x80, 0x80, 0x80));
        p.fillRect(hoja.translated(3, 3), QColor(0x50, 0x50, 0x50));
        const QRect visible = hoja & e->rect();
        if (visible.isEmpty())
            return;
        p.fillRect(visible, Qt::white);
        p.setClipRect(visible);
        p.translate(hoja.topLeft());
        pintor_.pinta(p, pagina_, pxPorMm_);
    }

  private:
    const Documento& doc_;
    Pintor pintor_;
    int pagina_ = 0;
    double pxPorMm_ = 1;
};

VistaPrevia::VistaPrevia(std::shared_ptr<const Documento> doc, QWidget* padre)
    : VistaPrevia(std::make_shared<Paginacion>(std::move(doc)), padre) {}

VistaPrevia::VistaPrevia(std::shared_ptr<Paginacion> paginas, QWidget* padre)
    : QWidget(padre, Qt::Window), paginas_(std::move(paginas)), doc_(paginas_->documento()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(doc_->nombre);
    setWindowModality(Qt::NonModal);

    QToolBar* barra = creaBarra();

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
    if (paginas_->terminada())
        avisaSinLetra();
    connect(paginas_.get(), &Paginacion::avanzo, this, &VistaPrevia::alAvanzar);
    connect(paginas_.get(), &Paginacion::fallo, this, &QWidget::close);

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

void VistaPrevia::avisaSinLetra() {
    // Letters no installed font has would print as empty boxes or not at all: said once, here,
    // before the report is printed or handed out.
    const QString faltan = caracteresSinLetra(*doc_);
    if (faltan.isEmpty() || aviso_)
        return;
    aviso_ = new QLabel(
        QStringLiteral("Aviso: ninguna letra instalada en este equipo tiene estos caracteres "
                       "del reporte, que saldrán como cuadros vacíos o no se verán: %1. "
                       "El administrador puede instalar las fuentes que faltan.")
            .arg(faltan),
        this);
    aviso_->setWordWrap(true);
    aviso_->setContentsMargins(8, 4, 8, 4);
    layout()->addWidget(aviso_);
}

void VistaPrevia::alAvanzar() {
    // The tool bar only: the page shown does not change while the others are laid out.
    {
        const QSignalBlocker b(numero_);
        numero_->setRange(1, std::max(1, paginas_->paginasListas()));
    }
    total_->setText(textoPaginas() + QLatin1Char(' '));
    const bool hayDespues = pagina_ + 1 < paginas_->paginasListas() || !paginas_->terminada();
    acciones_[2]->setEnabled(hayDespues);
    acciones_[3]->setEnabled(hayDespues);
    if (paginas_->terminada()) {
        avisaSinLetra();
        hoja_->update();  // the page count in the page's own texts
    }
}

QToolBar* VistaPrevia::creaBarra() {
    auto* barra = new QToolBar(this);
    barra->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Every action has its keys, shown in its tool tip, and works wherever the focus is in the
    // window: a clerk without a mouse can page, zoom, print and export.
    auto accion = [&](const QString& texto, const QString& ayuda, const QList<QKeySequence>& teclas,
                      auto&& que) {
        QAction* a = barra->addAction(texto, this, que);
        a->setShortcuts(teclas);
        a->setShortcutContext(Qt::WindowShortcut);
        QStringList nombres;
        for (const QKeySequence& k : teclas)
            nombres << k.toString(QKeySequence::NativeText);
        a->setToolTip(QStringLiteral("%1 (%2)").arg(ayuda, nombres.join(QStringLiteral(", "))));
        return a;
    };
    imprimir_ = accion(QStringLiteral("Imprimir…"), QStringLiteral("Imprimir el reporte"),
                       {QKeySequence::Print}, &VistaPrevia::imprime);
    if (exportador()) {
        exportarArchivo_ =
            accion(QStringLiteral("Exportar…"),
                   QStringLiteral("Guardar el reporte como texto, texto enriquecido, "
                                  "hoja de cálculo o documento"),
                   {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)}, [this] {
                       if (paginas_->completa())
                           exportador()(*this);
                   });
    }
    exportar_ =
        accion(QStringLiteral("Exportar a PDF…"), QStringLiteral("Guardar como PDF"),
               {QKeySequence(Qt::CTRL | Qt::Key_E), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
               &VistaPrevia::exportaConDialogo);
    barra->addSeparator();
    acciones_[0] = accion(QStringLiteral("|◀"), QStringLiteral("Primera página"),
                          {QKeySequence(Qt::CTRL | Qt::Key_Home)}, &VistaPrevia::primera);
    acciones_[1] = accion(QStringLiteral("◀"), QStringLiteral("Página anterior"),
                          {QKeySequence(Qt::Key_PageUp)}, &VistaPrevia::anterior);
    agregaNumero(barra);
    acciones_[2] = accion(QStringLiteral("▶"), QStringLiteral("Página siguiente"),
                          {QKeySequence(Qt::Key_PageDown)}, &VistaPrevia::siguiente);
    acciones_[3] = accion(QStringLiteral("▶|"), QStringLiteral("Última página"),
                          {QKeySequence(Qt::CTRL | Qt::Key_End)}, &VistaPrevia::ultima);
    barra->addSeparator();
    acercar_ = accion(QStringLiteral("+"), QStringLiteral("Acercar"),
                      {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)},
                      [this] { fijaZoom(zoom_ * 1.25); });
    alejar_ = accion(QStringLiteral("−"), QStringLiteral("Alejar"), {QKeySequence::ZoomOut},
                     [this] { fijaZoom(zoom_ / 1.25); });
    agregaZooms(barra);
    // Tool buttons take the focus too, so that Tab reaches them and Space presses them.
    for (QAction* a : barra->actions())
        if (QWidget* w = barra->widgetForAction(a))
            w->setFocusPolicy(Qt::StrongFocus);
    return barra;
}

void VistaPrevia::agregaNumero(QToolBar* barra) {
    barra->addWidget(new QLabel(QStringLiteral(" Página "), barra));
    numero_ = new QSpinBox(barra);
    numero_->setRange(1, std::max(1, paginas_->paginasListas()));
    numero_->setKeyboardTracking(false);
    barra->addWidget(numero_);
    total_ = new QLabel(textoPaginas() + QLatin1Char(' '), barra);
    barra->addWidget(total_);
}

void VistaPrevia::agregaZooms(QToolBar* barra) {
    zooms_ = new QComboBox(barra);
    zooms_->addItem(QStringLiteral("Ajustar al ancho"), 0.0);
    for (double z : kZooms)
        zooms_->addItem(QStringLiteral("%1 %").arg(qRound(z * 100)), z);
    zooms_->setToolTip(QStringLiteral("Tamaño de la página (Ctrl+0: ajustar al ancho)"));
    barra->addWidget(zooms_);
    auto* ancho = new QAction(this);
    ancho->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(ancho, &QAction::triggered, this, &VistaPrevia::ajustaAlAncho);
    addAction(ancho);
}

VistaPrevia::~VistaPrevia() = default;

int VistaPrevia::cuentaPaginas() const {
    paginas_->completa();
    return paginas_->paginasListas();
}

QString VistaPrevia::textoPaginas() const {
    const QString texto = QStringLiteral("de %1").arg(paginas_->paginasListas());
    return paginas_->terminada() ? texto : texto + QChar(0x2026);
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
    const bool hayAntes = pagina_ > 0,
               hayDespues = pagina_ + 1 < paginas_->paginasListas() || !paginas_->terminada();
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
    if (!paginas_->asegura(numero))
        return;  // the preview is closing
    const int n = std::clamp(numero, 1, std::max(1, paginas_->paginasListas()));
    if (n - 1 != pagina_) {
        pagina_ = n - 1;
        area_->verticalScrollBar()->setValue(0);
    }
    actualiza();
}

void VistaPrevia::fijaZoom(double zoom) {
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
    irAPagina(cuentaPaginas());
}

bool VistaPrevia::eventFilter(QObject* objeto, QEvent* e) {
    // Fit to width follows the visible area, which has its final size only once laid out.
    if (objeto == area_->viewport() && e->type() == QEvent::Resize && ajustaAncho_)
        actualiza();
    return QWidget::eventFilter(objeto, e);
}

void VistaPrevia::keyPressEvent(QKeyEvent* e) {
    // + and - alone zoom too, as in most viewers, when the focus is on the page.
    if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
        if (e->key() == Qt::Key_Plus) {
            fijaZoom(zoom_ * 1.25);
            return;
        }
        if (e->key() == Qt::Key_Minus) {
            fijaZoom(zoom_ / 1.25);
            return;
        }
    }
    QWidget::keyPressEvent(e);
}

VistaPrevia::Exportador& VistaPrevia::exportador() {
    static Exportador e;
    return e;
}

void VistaPrevia::fijaExportador(Exportador exportador) {
    VistaPrevia::exportador() = std::move(exportador);
}

bool VistaPrevia::entregaDocumento(const std::function<void(const Documento&)>& entrega) {
    if (!paginas_->completa())
        return false;  // already shown; the preview is closing
    try {
        CursorOcupado ocupado;
        entrega(*doc_);
        return true;
    } catch (const ErrorReporte& e) {
        muestraMensaje(e.mensaje(), QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
        return false;
    }
}

bool VistaPrevia::exportaArchivo(const QString& ruta, FormatoArchivo formato) {
    return entregaDocumento(
        [&](const Documento& doc) { reporte::exportaArchivo(doc, ruta, formato); });
}

bool VistaPrevia::exportaPdf(const QString& ruta) {
    return entregaDocumento([&](const Documento& doc) { reporte::exportaPdf(doc, ruta); });
}

bool VistaPrevia::imprimeEn(QPrinter& impresora) {
    return entregaDocumento([&](const Documento& doc) { reporte::imprime(doc, impresora); });
}

void VistaPrevia::imprime() {
    if (!paginas_->completa())
        return;
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
    if (!paginas_->completa())
        return;
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
