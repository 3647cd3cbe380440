// The local report database of one run: a fresh copy of the template under a free name.

#include "reports/Reportes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/TempDeODBC.h"
#include "lib/libTESK.h"
#include "reports/BaseLocal.h"
#include "startup/Globales.h"

namespace quilmaro {

QString NombreTemporal() {
    // The name is taken by creating the file, empty: another copy of the program working in the
    // same folder (a second window, or a workstation started from the same network folder) that
    // looks for a free name at the same moment finds this one taken and goes on to the next.
    QString anterior;
    for (;;) {
        QString mascara = stRutaPrograma + QStringLiteral("Temporal");
        QString extension = QStringLiteral("MDB");
        const QString nombre = libTESK::instancia().ArchivoTemporal(mascara, extension);
        // No name left, or a file the search does not count (hidden or system) and that
        // cannot be created anew: the name as the search gives it.
        if (nombre.isEmpty() || nombre == anterior)
            return nombre;
        QFile reserva(nombre);
        if (reserva.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return nombre;
        // Taken between the look and the creation: the next free name. In a folder where nothing
        // can be created the copy of the template says what is wrong.
        if (!QFile::exists(nombre))
            return nombre;
        anterior = nombre;
    }
}

void PreparaAuxiliar(QString& stArchivo, const QString& referencia) {
    libTESK& lib = libTESK::instancia();
    // An empty file is the run's own reservation of the name (NombreTemporal): the copy goes into
    // it, so that the name is never free while the run needs it. Anything else under the name
    // goes first.
    if (lib.HayArchivo(stArchivo) && QFileInfo(stArchivo).size() > 0)
        QFile::remove(stArchivo);
    lib.Copia(stRutaPrograma + kPlantillaAuxiliar, stArchivo, false);

    std::shared_ptr<Conexion> cnn;
    QString general;  // empty: the general database
    AbreBdD(cnn, general);

    BaseLocal local;
    const bool abierta = !local.abre(stArchivo) && !local.abreTabla(QStringLiteral("Generales"));

    std::shared_ptr<Recordset> rst;
    QString consulta = QStringLiteral("empresas where BaseDeDatos='XXX'");
    QString tabla = cnn && cnn->estaAbierta() ? Reemplaza(consulta, stBaseDeDatos, *cnn)
                                              : Reemplaza(consulta, stBaseDeDatos);
    QString campos;
    if (AbreTabla(rst, cnn, tabla, campos) && abierta) {
        try {
            local.agregaNuevo();
            for (const char* c :
                 {"Empresa", "Domicilio", "CP", "CiudadEstado", "Telefonos", "RFC"}) {
                const QString nombre = QString::fromLatin1(c);
                // A column this server's table lacks leaves its line blank; the others stay.
                QString valor;
                try {
                    valor = rst->campo(nombre).valor().aTexto();
                } catch (const ErrorTESK& e) {
                    if (e.numero() != errores::CampoInexistente)
                        throw;
                }
                local.fijaCampo(nombre, valor);
            }
            local.fijaCampo(QStringLiteral("ParaLasFechas"), referencia);
            local.guarda();
        } catch (const ErrorTESK&) {
            // The report runs with whatever the file holds.
        }
    }
    lib.CierraTabla(rst);
    try {
        lib.CierraBdD(cnn);
    } catch (const ErrorTESK&) {
    }
    local.cierra();
}

}  // namespace quilmaro
