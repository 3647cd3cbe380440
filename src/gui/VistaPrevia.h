#pragma once
// The report preview: a window of its own that does not block the program. It shows one page at
// a time, with page navigation, zoom and fit to width, printing (with a choice of printer) and
// export to PDF; Esc closes it. It keeps its own copy of the pages: the data sources may be gone.
// It opens on the first page while the others are still being laid out: the page count grows as
// they come, and printing, exporting or going past the pages ready waits for the rest.

#include <QWidget>
#include <functional>
#include <memory>

#include "reportengine/Documento.h"
#include "reportengine/Exportacion.h"
#include "reportengine/Paginador.h"

class QAction;
class QComboBox;
class QLabel;
class QPrinter;
class QScrollArea;
class QSpinBox;
class QToolBar;

namespace quilmaro::reporte {

class HojaPrevia;

class VistaPrevia : public QWidget {
    Q_OBJECT
  public:
    // A top-level window (deleted when closed); padre only ties its lifetime to the caller's.
    explicit VistaPrevia(std::shared_ptr<Paginacion> paginas, QWidget* padre = nullptr);
    explicit VistaPrevia(std::shared_ptr<const Documento> doc, QWidget* padre = nullptr);
    ~VistaPrevia() override;

    const Documento& documento() const { return *doc_; }
    int paginaActual() const { return pagina_ + 1; }  // from 1
    // The report's page count (the rest of the pages laid out first, if need be).
    int cuentaPaginas() const;
    double zoom() const { return zoom_; }  // 1.0 is the paper's real size
    bool ajustadoAlAncho() const { return ajustaAncho_; }
    // The page count as the window shows it ("de 12"; "de 3…" while more are coming).
    QString textoPaginas() const;

    void irAPagina(int numero);  // from 1; out-of-range numbers go to the nearest page
    void fijaZoom(double zoom);
    void ajustaAlAncho();

    // Writes the whole report to a PDF; a failure is shown in a message. Returns success.
    bool exportaPdf(const QString& ruta);
    // Prints on the given printer; a failure is shown in a message. Returns success.
    bool imprimeEn(QPrinter& impresora);

    // Writes the report to a file in one of the export formats; a failure is shown in a message.
    bool exportaArchivo(const QString& ruta, FormatoArchivo formato);

    // What "Exportar…" does: the program asks where and how (its report-to-file dialog) and calls
    // exportaArchivo. Set once for every preview; without it the button is not shown.
    using Exportador = std::function<void(VistaPrevia&)>;
    static void fijaExportador(Exportador exportador);

    QAction* accionImprimir() const { return imprimir_; }
    QAction* accionExportar() const { return exportar_; }
    QAction* accionExportarArchivo() const { return exportarArchivo_; }
    // The warning about characters no installed font can draw; null when there are none.
    QLabel* aviso() const { return aviso_; }

  public slots:
    void imprime();            // asks for the printer, then prints
    void exportaConDialogo();  // asks for the file, then exports
    void siguiente();
    void anterior();
    void primera();
    void ultima();

  protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    static Exportador& exportador();
    // The tool bar: printing, export, pages and zoom, every action with its keys.
    QToolBar* creaBarra();
    void agregaNumero(QToolBar* barra);  // the page number and the page count
    void agregaZooms(QToolBar* barra);   // the zoom list and Ctrl+0
    void actualiza();
    double anchoDisponible() const;
    // More pages are ready, or all of them.
    void alAvanzar();
    // The whole document to `entrega` (laid out first if need be), under the busy pointer; a
    // failure is shown in a message. Returns success.
    bool entregaDocumento(const std::function<void(const Documento&)>& entrega);
    // Says which characters no installed font has, once the whole report is known.
    void avisaSinLetra();

    std::shared_ptr<Paginacion> paginas_;
    std::shared_ptr<const Documento> doc_;
    int pagina_ = 0;
    double zoom_ = 1.0;
    bool ajustaAncho_ = true;
    QScrollArea* area_ = nullptr;
    HojaPrevia* hoja_ = nullptr;
    QSpinBox* numero_ = nullptr;
    QLabel* total_ = nullptr;
    QComboBox* zooms_ = nullptr;
    QLabel* aviso_ = nullptr;
    QAction* imprimir_ = nullptr;
    QAction* exportar_ = nullptr;
    QAction* exportarArchivo_ = nullptr;
    QAction* acciones_[4] = {};
    QAction* acercar_ = nullptr;
    QAction* alejar_ = nullptr;
};

}  // namespace quilmaro::reporte
