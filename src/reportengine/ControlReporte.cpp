#include "reportengine/ControlReporte.h"

#include <QEvent>

#include "platform/Plataforma.h"
#include "reportengine/Diseno.h"
#include "reportengine/ErrorReporte.h"
#include "reportengine/Paginador.h"

namespace quilmaro::reporte {

namespace {
SalidaReporte*& salidaInstalada() {
    static SalidaReporte* salida = nullptr;
    return salida;
}
}  // namespace

void SalidaReporte::instala(SalidaReporte* salida) {
    salidaInstalada() = salida;
}

SalidaReporte* SalidaReporte::instalada() {
    return salidaInstalada();
}

ControlReporte::ControlReporte(QObject* dueno) : QObject(dueno), abridor_(abreFuente) {}

ControlReporte::~ControlReporte() {
    terminaPendiente();
    // A preview still open goes on receiving its pages without the control.
    if (paginacion_)
        paginacion_->sigueDespues();
}

void ControlReporte::trasMostrar(std::function<void()> tarea) {
    terminaPendiente();
    pendiente_ = std::move(tarea);
    QObject* vista = vista_.data();
    if (!vista) {
        terminaPendiente();
        return;
    }
    connect(vista, &QObject::destroyed, this, [this] { terminaPendiente(); });
}

void ControlReporte::terminaPendiente() {
    if (!pendiente_)
        return;
    const std::function<void()> tarea = std::move(pendiente_);
    pendiente_ = nullptr;
    tarea();
}

bool ControlReporte::eventFilter(QObject* objeto, QEvent* e) {
    // The window is painted before the page inside it: the work is queued behind the paint.
    if (e->type() == QEvent::Paint && objeto == vista_.data()) {
        objeto->removeEventFilter(this);
        if (pendiente_)
            QMetaObject::invokeMethod(this, &ControlReporte::terminaPendiente,
                                      Qt::QueuedConnection);
        if (paginacion_)
            paginacion_->sigueDespues();
    }
    return QObject::eventFilter(objeto, e);
}

void ControlReporte::fijaDestino(int destino) {
    destino_ = destino == Impresora ? Impresora : Pantalla;
}

void ControlReporte::fijaFuenteDatos(int n, const QString& texto) {
    fuentes_.insert(n, texto);
}

std::shared_ptr<Documento> ControlReporte::genera() const {
    std::unique_ptr<Diseno> diseno = leeDiseno(archivo_);
    std::unique_ptr<Datos> datos = Datos::carga(*diseno, fuentes_, abridor_);
    return paginaReporte(*diseno, *datos);
}

std::shared_ptr<const Documento> ControlReporte::ultimoDocumento() const {
    if (paginacion_ && !paginacion_->completa())
        return nullptr;
    return documento_;
}

void ControlReporte::entrega() {
    if (destino_ == Impresora) {
        std::shared_ptr<const Documento> doc = genera();
        SalidaReporte* salida = salidaPara(doc->nombre);
        salida->imprime(*doc, impresora_);
        documento_ = std::move(doc);
        return;
    }
    // On the screen the preview opens with the first page; the rest follow while it is shown.
    std::unique_ptr<Diseno> diseno = leeDiseno(archivo_);
    std::unique_ptr<Datos> datos = Datos::carga(*diseno, fuentes_, abridor_);
    auto paginacion = std::make_shared<Paginacion>(std::move(diseno), std::move(datos));
    paginacion->preparaHasta(1);
    SalidaReporte* salida = salidaPara(paginacion->documento()->nombre);
    Paginacion* p = paginacion.get();
    // Kept (failed) until the next run: it may be the one signalling.
    connect(p, &Paginacion::fallo, this, [this, p] {
        if (paginacion_.get() != p)
            return;
        error_ = p->error();
        documento_.reset();
    });
    vista_ = salida->muestra(paginacion, parent());
    documento_ = paginacion->documento();
    paginacion_ = std::move(paginacion);
    if (vista_)
        vista_->installEventFilter(this);
    else
        paginacion_->sigueDespues();
}

SalidaReporte* ControlReporte::salidaPara(const QString& nombre) {
    SalidaReporte* salida = SalidaReporte::instalada();
    if (!salida)
        throw ErrorReporte(QStringLiteral("Este programa no tiene dónde mostrar ni imprimir el "
                                          "reporte «%1».")
                               .arg(nombre));
    return salida;
}

bool ControlReporte::ejecuta() {
    // A second run started while one is under way (from a pending-event pass) is refused.
    if (ejecutando_)
        return false;
    terminaPendiente();
    ejecutando_ = true;
    error_.clear();
    // The last preview goes on receiving its pages, painted or not.
    if (paginacion_)
        paginacion_->sigueDespues();
    paginacion_.reset();
    bool bien = false;
    {
        CursorOcupado ocupado;
        try {
            entrega();
            bien = true;
        } catch (...) {
            error_ = mensajeDeFalla(std::current_exception());
        }
    }
    ejecutando_ = false;
    if (!bien)
        muestraMensaje(error_, QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
    return bien;
}

}  // namespace quilmaro::reporte
