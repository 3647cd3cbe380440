#pragma once
// The report control the program's windows drive: destination, layout file, data sources by
// position, run.
//
//     ControlReporte crp(ventana);
//     crp.fijaDestino(0);                                  // 0 screen, 1 printer
//     crp.fijaArchivoReporte(stRutaPrograma + "guia.rpt");
//     crp.fijaFuenteDatos(0, stArchivoAuxiliar);           // local SQLite file
//     crp.fijaFuenteDatos(1, stBaseDeDatos + "." + stTablaTemporal);
//     crp.ejecuta();
//
// When ejecuta() returns, every row the report needs has been read and every source closed: the
// caller may delete the local file and drop the server table while the preview stays open. The
// pages are shown and printed by the installed SalidaReporte (SalidaReporte.h).

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "reportengine/Datos.h"
#include "reportengine/Documento.h"
#include "reportengine/Paginador.h"
#include "reportengine/SalidaReporte.h"

namespace quilmaro::reporte {

class ControlReporte : public QObject {
    Q_OBJECT
  public:
    enum Destino { Pantalla = 0, Impresora = 1 };

    // dueno: its owner, and the window the previews belong to (closed with it); may be null.
    explicit ControlReporte(QObject* dueno = nullptr);
    ~ControlReporte() override;

    void fijaDestino(int destino);
    int destino() const { return destino_; }
    void fijaArchivoReporte(const QString& ruta) { archivo_ = ruta; }
    const QString& archivoReporte() const { return archivo_; }
    // Source n: a local file path (n = 0 in the program's layouts) or "database.table".
    void fijaFuenteDatos(int n, const QString& texto);
    QString fuenteDatos(int n) const { return fuentes_.value(n); }
    void limpiaFuentes() { fuentes_.clear(); }
    // The printer for destination 1; empty (the default) is the system's default printer.
    void fijaImpresora(const QString& nombre) { impresora_ = nombre; }

    // Runs the report to the destination. A failure (layout, data, printer) is shown in one
    // message, title "Error", and gives false; nothing of the run is left open.
    bool ejecuta();

    // The message of the last failure (empty after a success).
    const QString& ultimoError() const { return error_; }
    // The preview of the last run to the screen, while it is open.
    QObject* ultimaVista() const { return vista_.data(); }
    // The pages of the last successful run, all of them (a preview's are laid out first, if
    // they are not yet); null when laying them out failed (shown).
    std::shared_ptr<const Documento> ultimoDocumento() const;

    // Work the clerk need not wait for (dropping a working table): done right after the last
    // run's preview is first painted, or at once when no preview is open. It is done before
    // anything else at the next run, when the preview closes and when the control goes.
    void trasMostrar(std::function<void()> tarea);
    // Does the work left by trasMostrar now, if any is left.
    void terminaPendiente();

    // How the sources are opened (tests hand in rows of their own). Default: abreFuente.
    void fijaAbridor(AbridorFuentes abridor) { abridor_ = std::move(abridor); }

    // Reads the layout and the data and paginates, without showing or printing anything.
    // Throws ErrorReporte. ejecuta() is this plus the destination.
    std::shared_ptr<Documento> genera() const;

  protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;

  private:
    // Prepares the pages and prints them or opens the preview with the first one.
    void entrega();
    static SalidaReporte* salidaPara(const QString& nombre);

    int destino_ = Pantalla;
    QString archivo_;
    QMap<int, QString> fuentes_;
    QString impresora_;
    QString error_;
    AbridorFuentes abridor_;
    QPointer<QObject> vista_;
    std::shared_ptr<const Documento> documento_;
    std::shared_ptr<Paginacion> paginacion_;  // the last preview's, until complete or failed
    bool ejecutando_ = false;
    std::function<void()> pendiente_;
};

}  // namespace quilmaro::reporte
