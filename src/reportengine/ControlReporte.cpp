#include "reportengine/ControlReporte.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include "core/ErrorTESK.h"
#include "platform/Plataforma.h"
#include "reportengine/Diseno.h"
#include "reportengine/ErrorReporte.h"
#include "reportengine/Paginador.h"
#include "reportengine/Pintor.h"

namespace quilmaro::reporte {

ControlReporte::ControlReporte(QWidget* ventana)
    : QObject(ventana), ventana_(ventana), abridor_(abreFuente) {}

ControlReporte::~ControlReporte() = default;

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

void ControlReporte::mandaAImpresora(const Documento& doc) const {
    QPrinterInfo info = impresora_.isEmpty() ? QPrinterInfo::defaultPrinter()
                                             : QPrinterInfo::printerInfo(impresora_);
    if (info.isNull()) {
        if (!impresora_.isEmpty())
            throw ErrorReporte(
                QStringLiteral("No se encontró la impresora «%1». El reporte «%2» no "
                               "se imprimió.")
                    .arg(impresora_, doc.nombre));
        throw ErrorReporte(QStringLiteral("No hay una impresora predeterminada. Instale o elija "
                                          "una impresora en el sistema y vuelva a intentarlo; el "
                                          "reporte «%1» no se imprimió.")
                               .arg(doc.nombre));
    }
    QPrinter impresora(info, QPrinter::HighResolution);
    imprime(doc, impresora);
}

bool ControlReporte::ejecuta() {
    // A second run started while one is under way (from a pending-event pass) is refused.
    if (ejecutando_)
        return false;
    ejecutando_ = true;
    error_.clear();
    bool bien = false;
    {
        CursorOcupado ocupado;
        try {
            std::shared_ptr<Documento> doc = genera();
            if (destino_ == Impresora) {
                mandaAImpresora(*doc);
            } else {
                auto* vista = new VistaPrevia(doc, ventana_.data());
                vista_ = vista;
                vista->show();
                vista->raise();
                vista->activateWindow();
            }
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
