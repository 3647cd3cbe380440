#include "reportengine/ControlReporte.h"

#include <QEvent>

#include "core/ErrorTESK.h"
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
}

void ControlReporte::trasMostrar(std::function<void()> tarea) {
    terminaPendiente();
    pendiente_ = std::move(tarea);
    QObject* vista = vista_.data();
    if (!vista) {
        terminaPendiente();
        return;
    }
    vista->installEventFilter(this);
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
    if (e->type() == QEvent::Paint && objeto == vista_.data() && pendiente_) {
        objeto->removeEventFilter(this);
        QMetaObject::invokeMethod(this, &ControlReporte::terminaPendiente, Qt::QueuedConnection);
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

void ControlReporte::entrega(std::shared_ptr<const Documento> doc) {
    SalidaReporte* salida = SalidaReporte::instalada();
    if (!salida)
        throw ErrorReporte(QStringLiteral("Este programa no tiene dónde mostrar ni imprimir el "
                                          "reporte «%1».")
                               .arg(doc->nombre));
    if (destino_ == Impresora)
        salida->imprime(*doc, impresora_);
    else
        vista_ = salida->muestra(std::move(doc), parent());
}

bool ControlReporte::ejecuta() {
    // A second run started while one is under way (from a pending-event pass) is refused.
    if (ejecutando_)
        return false;
    terminaPendiente();
    ejecutando_ = true;
    error_.clear();
    bool bien = false;
    {
        CursorOcupado ocupado;
        try {
            std::shared_ptr<const Documento> doc = genera();
            entrega(doc);
            documento_ = std::move(doc);
            bien = true;
        } catch (const ErrorReporte& e) {
            error_ = e.mensaje();
        } catch (const std::bad_alloc&) {
            error_ = QStringLiteral("No hay memoria suficiente para preparar el reporte.");
        } catch (const ErrorTESK& e) {
            // A failure of a utility routine on the data: still one message, nothing left open.
            error_ = QStringLiteral("No se pudo preparar el reporte: %1 (error %2).")
                         .arg(e.descripcion())
                         .arg(e.numero());
        } catch (const std::exception& e) {
            error_ = QStringLiteral("No se pudo preparar el reporte: %1.")
                         .arg(QString::fromLocal8Bit(e.what()));
        }
    }
    ejecutando_ = false;
    if (!bien)
        muestraMensaje(error_, QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
    return bien;
}

}  // namespace quilmaro::reporte
