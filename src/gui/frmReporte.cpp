#include "gui/frmReporte.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>
#include <cmath>
#include <utility>

#include "core/Archivos.h"
#include "core/Globales.h"
#include "core/ListaFacturas.h"
#include "core/Regional.h"
#include "core/libTESK.h"
#include "db/BuscaFactura.h"
#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/TempDeODBC.h"
#include "gui/FiltroTeclado.h"
#include "gui/Reja.h"
#include "gui/VistaPrevia.h"
#include "gui/frmExportarReporte.h"
#include "platform/Plataforma.h"
#include "reportengine/ControlReporte.h"
#include "reports/Reportes.h"

namespace quilmaro {

namespace {

// A child control of `padre` named as the window's code and tests know it.
template <class T, class... Args>
T* creaControl(QWidget* padre, const char* nombre, Args&&... args) {
    auto* control = new T(std::forward<Args>(args)..., padre);
    control->setObjectName(QLatin1String(nombre));
    return control;
}

// Position and size of a control in twips, as the window is designed.
struct Lugar {
    int izquierda, arriba, ancho, alto;
};

constexpr Lugar kLabel1{240, 120, 585, 195};
constexpr Lugar kTxtFactura{1080, 120, 1215, 285};
constexpr Lugar kLabel4{2520, 120, 405, 195};
constexpr Lugar kCmbSerie{3120, 120, 1215, 315};
constexpr Lugar kCmdAgregar{4680, 120, 1215, 375};
constexpr Lugar kCmdLeer{6840, 120, 1215, 375};
constexpr Lugar kCmdGuardar{8760, 120, 1215, 375};
constexpr Lugar kReja{0, 600, 10455, 4815};
constexpr Lugar kLabel2{120, 5520, 3750, 195};
constexpr Lugar kLabel3{4440, 5520, 825, 195};
constexpr Lugar kTxtReferencia{5400, 5520, 3975, 285};
constexpr Lugar kCmdReporte{120, 5880, 1935, 375};
constexpr Lugar kCommand1{2760, 5880, 1935, 375};
constexpr Lugar kOpt0{5400, 6000, 975, 195};
constexpr Lugar kOpt1{6720, 6000, 1095, 195};
constexpr Lugar kCmdBorrar{8760, 5880, 1215, 375};

// The bottom row of controls starts here; below it the window keeps its design distance to the
// bottom edge when it is enlarged.
constexpr int kInicioFilaInferior = 5520;

}  // namespace

struct frmReporte::Estado {
    std::shared_ptr<Conexion> cnnDatos;
    std::shared_ptr<Recordset> rstFactura;
    reporte::ControlReporte* crpReport = nullptr;
    reporte::ControlReporte* crpReport2 = nullptr;
    // The saved list: the window shows its rows and keeps it from being replaced unasked.
    ListaFacturas lista;
};

frmReporte::frmReporte(QWidget* parent) : QDialog(parent), estado_(std::make_unique<Estado>()) {
    setObjectName(QStringLiteral("frmReporte"));
    setWindowTitle(kTituloPrograma);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // The window is laid out in twips for an 8-point face; a larger default font would crowd it.
    QFont letra = font();
    letra.setPointSizeF(8);
    setFont(letra);
    construyeControles();
    // "Exportar…" of the previews asks with the report-to-file dialog.
    reporte::VistaPrevia::fijaExportador(&exportaDesdeVista);
    estado_->crpReport = new reporte::ControlReporte(this);
    estado_->crpReport2 = new reporte::ControlReporte(this);
    Form_Load();
}

frmReporte::~frmReporte() = default;

int frmReporte::twipsX(int twips) const {
    return static_cast<int>(std::lround(twips * logicalDpiX() / 1440.0));
}
int frmReporte::twipsY(int twips) const {
    return static_cast<int>(std::lround(twips * logicalDpiY() / 1440.0));
}

void frmReporte::construyeControles() {
    Label1 = creaControl<QLabel>(this, "Label1", QStringLiteral("Factura:"));
    txtFactura = creaControl<QLineEdit>(this, "txtFactura");
    Label4 = creaControl<QLabel>(this, "Label4", QStringLiteral("Serie:"));
    cmbSerie = creaControl<QComboBox>(this, "cmbSerie");
    cmbSerie->setEditable(false);
    cmdAgregar = creaControl<QPushButton>(this, "cmdAgregar", QStringLiteral("&Agregar"));
    cmdLeer = creaControl<QPushButton>(this, "cmdLeer", QStringLiteral("&Leer lista"));
    cmdGuardar = creaControl<QPushButton>(this, "cmdGuardar", QStringLiteral("&Guardar lista"));
    mhgReja = creaControl<Reja>(this, "mhgReja");
    // The duplicate check of each added invoice looks its identifier up here.
    mhgReja->indexaColumna(7, [](const QString& t) { return libTESK::instancia().tkVal(t); });
    Label2 = creaControl<QLabel>(
        this, "Label2", QStringLiteral("Pulse SUPR en la factura que desee quitar de la lista"));
    Label3 = creaControl<QLabel>(this, "Label3", QStringLiteral("Referencia:"));
    txtReferencia = creaControl<QLineEdit>(this, "txtReferencia");
    cmdReporte = creaControl<QPushButton>(this, "cmdReporte", QStringLiteral("Guía de &reparto"));
    Command1 = creaControl<QPushButton>(this, "Command1", QStringLiteral("&Formato de cobranza"));
    optDispos[0] = creaControl<QRadioButton>(this, "optDispos0", QStringLiteral("&Pantalla"));
    optDispos[1] = creaControl<QRadioButton>(this, "optDispos1", QStringLiteral("&Impresora"));
    optDispos[0]->setChecked(true);
    // The two options are one stop of the tab order: the chosen one (arrows move between them).
    auto paradaDeTab = [this] {
        for (QRadioButton* o : optDispos)
            o->setFocusPolicy(o->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    for (QRadioButton* o : optDispos)
        connect(o, &QRadioButton::toggled, this, paradaDeTab);
    paradaDeTab();
    cmdBorrar = creaControl<QPushButton>(this, "cmdBorrar", QStringLiteral("&Borrar todas"));

    // Buttons act on click, or on Space or Enter while they have the focus; never on Enter from
    // an entry field.
    for (QPushButton* b : {cmdAgregar, cmdLeer, cmdGuardar, cmdReporte, Command1, cmdBorrar}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        enterPulsaBoton(b);
    }
    // Labels never take the focus.
    for (QLabel* l : {Label1, Label4, Label2, Label3})
        l->setFocusPolicy(Qt::NoFocus);

    // Tab order of the window.
    QWidget* orden[] = {txtFactura, cmbSerie,     cmdAgregar,   mhgReja,
                        cmdBorrar,  cmdGuardar,   cmdLeer,      cmdReporte,
                        Command1,   optDispos[0], optDispos[1], txtReferencia};
    for (std::size_t i = 0; i + 1 < std::size(orden); ++i)
        setTabOrder(orden[i], orden[i + 1]);

    conectaControles();
    const QSize diseno(twipsX(kAnchoTwips), twipsY(kAltoTwips));
    resize(diseno);
    setMinimumSize(diseno);
    colocaControles();
}

void frmReporte::conectaControles() {
    // Keyboard of the entry fields.
    FiltroTeclado::instala(txtFactura, {QStringLiteral("9"), true, true});
    FiltroTeclado::instala(txtReferencia, {QStringLiteral("!"), true, true});
    FiltroTeclado::instala(cmbSerie, {QStringLiteral("!"), false, false});

    connect(cmdAgregar, &QPushButton::clicked, this, [this] { cmdAgregar_Click(); });
    connect(cmdGuardar, &QPushButton::clicked, this, [this] { cmdGuardar_Click(); });
    connect(cmdLeer, &QPushButton::clicked, this, [this] { cmdLeer_Click(); });
    connect(cmdBorrar, &QPushButton::clicked, this, [this] { cmdBorrar_Click(); });
    connect(cmdReporte, &QPushButton::clicked, this, [this] { cmdReporte_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(mhgReja, &Reja::teclaAbajo, this,
            [this](int codigo, Qt::KeyboardModifiers mods, bool* aceptada) {
                const auto teclasDeCambio =
                    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
                if (codigo == 46 && !(mods & teclasDeCambio)) {
                    *aceptada = true;
                    quitaFilaActual();
                }
            });
}

void frmReporte::colocaControles() {
    // Extra height goes to the grid; the bottom row keeps its distance to the bottom edge.
    const int extraAlto = std::max(0, height() - twipsY(kAltoTwips));
    const int extraAncho = std::max(0, width() - twipsX(kAnchoTwips));
    auto coloca = [&](QWidget* w, const Lugar& l, bool abajo) {
        w->setGeometry(twipsX(l.izquierda), twipsY(l.arriba) + (abajo ? extraAlto : 0),
                       twipsX(l.ancho), twipsY(l.alto));
    };
    coloca(Label1, kLabel1, false);
    coloca(txtFactura, kTxtFactura, false);
    coloca(Label4, kLabel4, false);
    coloca(cmbSerie, kCmbSerie, false);
    coloca(cmdAgregar, kCmdAgregar, false);
    coloca(cmdLeer, kCmdLeer, false);
    coloca(cmdGuardar, kCmdGuardar, false);
    mhgReja->setGeometry(twipsX(kReja.izquierda), twipsY(kReja.arriba),
                         twipsX(kReja.ancho) + extraAncho, twipsY(kReja.alto) + extraAlto);
    coloca(Label2, kLabel2, true);
    coloca(Label3, kLabel3, true);
    coloca(txtReferencia, kTxtReferencia, true);
    coloca(cmdReporte, kCmdReporte, true);
    coloca(Command1, kCommand1, true);
    coloca(optDispos[0], kOpt0, true);
    coloca(optDispos[1], kOpt1, true);
    coloca(cmdBorrar, kCmdBorrar, true);
    // The hint under the grid is the longest caption: where it needs more room than its design
    // width, the reference and its caption move right; the field starts past its caption and
    // keeps its right edge.
    const int faltaAyuda = Label2->x() + Label2->sizeHint().width() + twipsX(120) - Label3->x();
    if (faltaAyuda > 0)
        Label3->move(Label3->x() + faltaAyuda, Label3->y());
    const QRect referencia = txtReferencia->geometry();
    const int izquierda = std::min(std::max(referencia.left() + std::max(faltaAyuda, 0),
                                            Label3->x() + Label3->sizeHint().width() + 3),
                                   referencia.right() - twipsX(1500));
    txtReferencia->setGeometry(izquierda, referencia.y(), referencia.right() - izquierda + 1,
                               referencia.height());
    // A caption longer than its design width (another font, another scale) may use the room up
    // to the next control on its row rather than being cut.
    const std::pair<QWidget*, QWidget*> vecinos[] = {
        {Label1, txtFactura},    {Label4, cmbSerie},           {Label2, Label3},
        {Label3, txtReferencia}, {optDispos[0], optDispos[1]}, {optDispos[1], cmdBorrar}};
    for (auto [w, siguiente] : vecinos) {
        const int deseado = w->sizeHint().width();
        const int limite = siguiente->x() - w->x() - 2;
        if (deseado > w->width())
            w->resize(std::min(deseado, std::max(limite, w->width())), w->height());
    }
    static_assert(kInicioFilaInferior > kReja.arriba);
}

void exportaDesdeVista(reporte::VistaPrevia& vista) {
    frmExportarReporte dialogo(&vista);
    // The report's name in the program folder, as a text file unless the clerk says otherwise.
    QString nombre = vista.documento().nombre;
    for (const QChar c : QStringLiteral("/\\:*?\"<>|"))
        nombre.remove(c);
    if (nombre.trimmed().isEmpty())
        nombre = QStringLiteral("Reporte");
    dialogo.txtArchivo->setText(stRutaPrograma + nombre + QStringLiteral(".txt"));
    dialogo.exec();
    const QString ruta = dialogo.txtArchivo->text();
    const auto formato = reporte::formatoDeCodigo(dialogo.lblNumTipo->text());
    if (ruta.isEmpty() || !formato)
        return;  // cancelled
    vista.exportaArchivo(ruta, *formato);
}

void frmReporte::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    colocaControles();
}

void frmReporte::preparaReja() {
    Reja& r = *mhgReja;
    r.fijaColumnas(8);
    const Qt::Alignment izquierda = Qt::AlignLeft | Qt::AlignTop;
    const Qt::Alignment derecha = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment alineaciones[8] = {izquierda, derecha,   derecha, izquierda,
                                           izquierda, izquierda, derecha, derecha};
    for (int c = 0; c < 8; ++c)
        r.fijaAlineacion(c, alineaciones[c]);
    const char* titulos[] = {"Serie", "Factura", "Fecha", "Cliente", "Nombre", "Total", "Id"};
    for (int c = 1; c <= 7; ++c)
        r.fijaTexto(0, c, QString::fromUtf8(titulos[c - 1]));
    const int anchos[8] = {600, 900, 1100, 1100, 1500, 3800, 1100, 0};
    for (int c = 0; c < 8; ++c)
        r.fijaAnchoColumna(c, anchos[c]);
    // The Total column shows the largest amount whole (cells keep a margin on each side); the
    // room comes from the name's column, so the grid keeps its width.
    constexpr int kTotal = 6 - 1, kNombre = 5 - 1;  // model columns
    const int margen = 2 * (r.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &r) + 1);
    const int necesario =
        r.fontMetrics().horizontalAdvance(formateaImporte(999999999.99)) + margen + 2;
    const int falta = necesario - r.columnWidth(kTotal);
    if (falta > 0) {
        r.setColumnWidth(kTotal, necesario);
        r.setColumnWidth(kNombre,
                         std::max(r.columnWidth(kNombre) - falta, r.columnWidth(kNombre) / 2));
    }
}

void frmReporte::Form_Load() {
    stArchivoLista = stRutaPrograma + kArchivoLista;
    estado_->lista = ListaFacturas(stArchivoLista);
    AbreBdD(estado_->cnnDatos, stBaseDeDatos);
    bPrimeraVez = true;
    preparaReja();
}

std::shared_ptr<Conexion> frmReporte::cnnDatos() const {
    return estado_->cnnDatos;
}
reporte::ControlReporte* frmReporte::crpReport() const {
    return estado_->crpReport;
}
reporte::ControlReporte* frmReporte::crpReport2() const {
    return estado_->crpReport2;
}

bool frmReporte::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(e);
}

void frmReporte::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Some window systems never activate a window shown without a screen; run the first
    // activation once the window is up in any case.
    QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

void frmReporte::Form_Activate() {
    if (!bPrimeraVez)
        return;
    bPrimeraVez = false;
    cmbSerie->clear();
    std::shared_ptr<Recordset> rst;
    QString tabla = QStringLiteral("sistema where Dato like 'FA-%' and Dato<>'FA-' order by Dato");
    QString campos;
    if (AbreTabla(rst, estado_->cnnDatos, tabla, campos)) {
        try {
            for (; !rst->eof(); rst->siguiente())
                cmbSerie->addItem(rst->campo(QStringLiteral("Dato")).valor().aTexto().mid(3));
        } catch (const ErrorTESK&) {
        }
    }
    libTESK::instancia().CierraTabla(rst);
    cmbSerie->addItem(QString());
    cmbSerie->setCurrentIndex(0);
    if (estado_->lista.existe())
        LeeLista();
    Reenumera();
    txtFactura->setFocus();
}

void frmReporte::closeEvent(QCloseEvent* e) {
    // A list the clerk wanted saved and that could not be saved keeps the window open: closing
    // now would lose it. Answering No to the question closes it.
    if (!Form_QueryUnload()) {
        e->ignore();
        return;
    }
    e->accept();
    Form_Unload();
}

void frmReporte::reject() {}

bool frmReporte::Form_QueryUnload() {
    return cmdGuardar_Click();
}

void frmReporte::Form_Unload() {
    // Temporary report databases left behind by earlier runs. A file that cannot be deleted is
    // left where it is; the search moves past it. So is one in use by a run of another copy of
    // the program working in the same folder.
    QDir carpeta(stRutaPrograma.isEmpty() ? QDir::currentPath() : stRutaPrograma);
    const QStringList archivos = carpeta.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& nombre : archivos) {
        if (!nombre.startsWith(QLatin1String("TEMP"), Qt::CaseInsensitive) ||
            !nombre.endsWith(QLatin1String(".MDB"), Qt::CaseInsensitive))
            continue;
        if (libTESK::instancia().AllTrim(nombre).texto().isEmpty())
            continue;
        archivos::borraSiNoEstaEnUso(carpeta.filePath(nombre));
    }
    // Working tables that runs had to leave while the server was away.
    DescartaTablasPendientes(estado_->cnnDatos);
    try {
        libTESK::instancia().CierraBdD(estado_->cnnDatos);
    } catch (const ErrorTESK&) {
        // A connection that never opened has nothing to close.
    }
    plataforma().terminaProceso(0);
}

bool frmReporte::conexionViva() {
    std::shared_ptr<Conexion>& cnn = estado_->cnnDatos;
    if (!cnn || !cnn->estaAbierta())
        return true;  // one that never opened is reported by the lookup, as always
    // One the server dropped (restarted, timed out or gone) is replaced; while the server cannot
    // be reached the clerk decides whether to try again, and a No leaves the window as it was.
    QString base = stBaseDeDatos;
    return AseguraConexion(cnn, base);
}

bool frmReporte::esFilaDeFactura(int fila) const {
    return libTESK::instancia().tkVal(mhgReja->texto(fila, 2)) != 0.0;
}

void frmReporte::vuelveAFactura() {
    txtFactura->setFocus();
    libTESK::instancia().Resalta(*txtFactura);
}

void frmReporte::Reenumera() {
    mhgReja->numeraFilas();
}

void frmReporte::Limpia() {
    mhgReja->fijaFilas(1);
    mhgReja->fijaFilas(2);
    mhgReja->fijaFilasFijas(1);
    Reenumera();
}

void frmReporte::cmdAgregar_Click() {
    const double numero = libTESK::instancia().tkVal(txtFactura->text());
    if (numero == 0.0) {
        plataforma().beep();
    } else if (conexionViva()) {
        using R = BusquedaFactura::Resultado;
        const BusquedaFactura b =
            BuscaFactura(estado_->rstFactura, estado_->cnnDatos, cmbSerie->currentText(), numero);
        if (b.resultado == R::NoRegistrada)
            muestraMensaje(QStringLiteral("Esa factura no está registrada"),
                           QStringLiteral("ERROR"), Botones::Aceptar, Icono::Critico);
        else if (b.resultado == R::Ilegible)
            muestraMensaje(QStringLiteral("Error al agregar la factura: %1, %2")
                               .arg(NumeroDeError(b.error->numero), b.error->descripcion),
                           QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
        else if (b.resultado == R::Encontrada)
            AgregaFactura(b.factura);
        // A lookup that failed was shown by AbreTabla: the invoice may well be registered.
    }
    vuelveAFactura();
}

bool frmReporte::puedeAgregar(const Factura& f) {
    if (esFilaDeFactura(mhgReja->filas() - 1) &&
        mhgReja->contieneValor(libTESK::instancia().tkVal(f.id))) {
        muestraMensaje(QStringLiteral("Esa factura ya está en la lista"),
                       QStringLiteral("Atención"), Botones::Aceptar, Icono::Critico);
        return false;
    }
    if (!f.cancelada)
        return true;
    return muestraMensaje(
               QStringLiteral("La factura %1 está cancelada. ¿Desea agregarla "
                              "a la lista de todos modos?")
                   .arg(f.serie.isEmpty() ? f.numero : f.serie + QLatin1Char('-') + f.numero),
               QStringLiteral("Atención"), Botones::SiNo, Icono::Exclamacion,
               Respuesta::No) == Respuesta::Si;
}

void frmReporte::AgregaFactura(const Factura& f) {
    CursorOcupado ocupado;
    cmdAgregar->setEnabled(false);
    if (!esFilaDeFactura(mhgReja->filas() - 1))
        mhgReja->fijaFilas(1);  // the empty row goes
    if (puedeAgregar(f)) {
        const QStringList celdas = QStringList{QString::number(mhgReja->filas())} + renglonDe(f);
        mhgReja->agregaFila(QString());
        const int fila = mhgReja->filas() - 1;
        for (int c = 0; c < celdas.size(); ++c)
            mhgReja->fijaTexto(fila, c, celdas.at(c));
        mhgReja->fijaFilasFijas(1);
        mhgReja->setCurrentCell(fila - 1, 0);
        mhgReja->fijaColumnaActual(1);
    }
    Reenumera();
    cmdAgregar->setEnabled(true);
}

void frmReporte::cmdBorrar_Click() {
    if (muestraMensaje(QStringLiteral("¿Desea quitar todas las facturas de la lista?"),
                       QStringLiteral("Quitar todo"), Botones::SiNo, Icono::Pregunta,
                       Respuesta::No) == Respuesta::Si)
        Limpia();
    vuelveAFactura();
}

void frmReporte::quitaFilaActual() {
    const int fila = mhgReja->filaActual();
    if (fila < 1)
        return;
    const double numero = std::nearbyint(libTESK::instancia().tkVal(mhgReja->texto(fila, 2)));
    if (numero == 0.0)
        return;
    const QString texto = QStringLiteral("¿Está seguro de quitar de la lista la factura %1?")
                              .arg(QString::number(numero, 'f', 0));
    if (muestraMensaje(texto, QStringLiteral("Quitar factura"), Botones::SiNo, Icono::Pregunta,
                       Respuesta::No) != Respuesta::Si)
        return;
    if (mhgReja->filas() == 2) {
        Limpia();
    } else {
        mhgReja->quitaFila(fila);
        Reenumera();
    }
}

QList<QStringList> frmReporte::registrosDeLaReja() const {
    QList<QStringList> registros;
    for (int r = 1; r < mhgReja->filas(); ++r) {
        QStringList campos;
        for (int c = 1; c <= lista::kCampos; ++c)
            campos.append(mhgReja->texto(r, c));
        registros.append(campos);
    }
    return registros;
}

bool frmReporte::cmdGuardar_Click() {
    if (muestraMensaje(QStringLiteral("¿Desea grabar la lista de facturas?"),
                       QStringLiteral("Grabar"), Botones::SiNo, Icono::Pregunta,
                       Respuesta::No) != Respuesta::Si)
        return true;
    // Declining to replace an unreadable list is no save: closing stops and the window keeps
    // its list, so neither the file nor the window's list is lost.
    if (!puedeReemplazarLista())
        return false;
    // The new list is written beside the old one and then takes its place, so a failure
    // leaves the old file whole; the list in the window stays as it is in any case.
    if (auto e = estado_->lista.graba(registrosDeLaReja())) {
        muestraMensaje(QStringLiteral("No se pudo grabar la lista de facturas en %1: %2 (No. %3). "
                                      "La lista sigue en la ventana y el archivo anterior no "
                                      "cambió.")
                           .arg(QDir::toNativeSeparators(stArchivoLista), e->descripcion)
                           .arg(e->numero),
                       QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
        return false;
    }
    return true;
}

bool frmReporte::puedeReemplazarLista() {
    const std::optional<Error> motivo = estado_->lista.motivoIlegible();
    if (!motivo)
        return true;
    return muestraMensaje(QStringLiteral("La lista de facturas guardada en %1 no se pudo leer: %2 "
                                         "(No. %3). Si la reemplaza con la lista de la ventana, "
                                         "las facturas que tenga se perderán. ¿Desea reemplazar "
                                         "ese archivo?")
                              .arg(QDir::toNativeSeparators(stArchivoLista), motivo->descripcion)
                              .arg(motivo->numero),
                          QStringLiteral("Atención"), Botones::SiNo, Icono::Exclamacion,
                          Respuesta::No) == Respuesta::Si;
}

void frmReporte::cmdLeer_Click() {
    bool leer = true;
    if (mhgReja->filas() >= 2 && esFilaDeFactura(mhgReja->filas() - 1)) {
        leer =
            muestraMensaje(
                QStringLiteral("Al leer las facturas desde la lista grabada serán eliminadas las "
                               "que están actualmente en la ventana. ¿Desea proceder, de "
                               "cualquier manera?"),
                QStringLiteral("Atención"), Botones::SiNo, Icono::Pregunta,
                Respuesta::No) == Respuesta::Si;
    }
    if (leer && estado_->lista.existe())
        LeeLista();
    vuelveAFactura();
}

void frmReporte::LeeLista() {
    // The file's reading counts towards the first interval between event passes: after a long
    // read the window answers as soon as its rows start to show.
    QElapsedTimer desdeElPase;
    desdeElPase.start();
    QStringList dejados;
    if (auto e = estado_->lista.lee(&dejados)) {
        // The window keeps what it holds; the list keeps the file from being replaced unasked.
        muestraMensaje(QStringLiteral("No se pudo leer la lista de facturas guardada en %1: %2 "
                                      "(No. %3). Ese archivo no se reemplazará sin que usted lo "
                                      "confirme.")
                           .arg(QDir::toNativeSeparators(stArchivoLista), e->descripcion)
                           .arg(e->numero),
                       QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
        if (mhgReja->filas() == 1)
            mhgReja->agregaFila(QString());
        return;
    }
    muestraFilas(estado_->lista.filas(), desdeElPase);
    if (!dejados.isEmpty()) {
        // One message, however many rows: the first ones named, the rest counted.
        constexpr qsizetype kNombrados = 10;
        QString cuales = dejados.mid(0, kNombrados).join(QStringLiteral("; "));
        if (dejados.size() > kNombrados)
            cuales += QStringLiteral(" y %1 más").arg(dejados.size() - kNombrados);
        muestraMensaje(QStringLiteral("De la lista de facturas guardada en %1 se dejaron fuera los "
                                      "renglones que no nombran una factura por su número de "
                                      "registro, o que la repiten: %2.")
                           .arg(QDir::toNativeSeparators(stArchivoLista), cuales),
                       QStringLiteral("Atención"), Botones::Aceptar, Icono::Exclamacion);
    }
}

void frmReporte::muestraFilas(const QList<QStringList>& filas, QElapsedTimer& desdeElPase) {
    mhgReja->fijaFilas(1);
    // Pending events run while a long list is shown, but at most every kPaseDeEventosMs: each
    // pass repaints the growing grid.
    for (const QStringList& r : filas) {
        if (desdeElPase.hasExpired(kPaseDeEventosMs)) {
            plataforma().procesaEventos();
            desdeElPase.restart();
        }
        // Field by field: a tab inside a field must not move the fields after it.
        mhgReja->agregaFilaDe(r);
    }
    if (mhgReja->filas() == 1)
        mhgReja->agregaFila(QString());
    mhgReja->fijaFilasFijas(1);
}

void frmReporte::cmdReporte_Click() {
    ejecutaReporte(false);
}
void frmReporte::Command1_Click() {
    ejecutaReporte(true);
}

void frmReporte::ejecutaReporte(bool cobranza) {
    if (!esFilaDeFactura(mhgReja->filas() - 1)) {
        muestraMensaje(QStringLiteral("¡No hay facturas en la lista!"), QStringLiteral("Error"),
                       Botones::Aceptar, Icono::Critico);
    } else if (conexionViva()) {
        const QList<QStringList> filas = registrosDeLaReja();
        PedidoReporte pedido;
        pedido.tipo = cobranza ? TipoReporte::Cobranza : TipoReporte::Guia;
        pedido.ids = ListaFacturas::identificadores(filas);
        pedido.facturas = ListaFacturas::nombres(filas);
        pedido.destino = optDispos[0]->isChecked() ? 0 : 1;
        pedido.referencia = txtReferencia->text();
        // A long list shows how the copy goes, and Cancelar stops the run (it leaves nothing
        // behind); the window keeps painting meanwhile.
        std::unique_ptr<QProgressDialog> avance;
        if (pedido.ids.size() > kFilasConAvance) {
            avance = std::make_unique<QProgressDialog>(QStringLiteral("Preparando el reporte..."),
                                                       QStringLiteral("Cancelar"), 0,
                                                       static_cast<int>(pedido.ids.size()), this);
            avance->setWindowTitle(kTituloPrograma);
            avance->setWindowModality(Qt::WindowModal);
            avance->setMinimumDuration(0);
            avance->show();
            pedido.progreso = [&avance](int hechas, int) { avance->setValue(hechas); };
            pedido.cancelado = [&avance] { return avance->wasCanceled(); };
        }
        EjecutaReporte(pedido, estado_->cnnDatos, estado_->rstFactura,
                       cobranza ? *estado_->crpReport2 : *estado_->crpReport);
    }
    if (optDispos[1]->isChecked())
        txtFactura->setFocus();
    libTESK::instancia().Resalta(*txtFactura);
}

}  // namespace quilmaro
