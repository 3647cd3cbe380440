// The local report database of one run: a fresh copy of the template under a free name.

#include "reports/Reportes.h"

#include <QDir>
#include <QFile>

#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/TempDeODBC.h"
#include "lib/libTESK.h"
#include "reports/BaseLocal.h"
#include "startup/Globales.h"

namespace quilmaro {

QString NombreTemporal() {
    QString mascara = stRutaPrograma + QStringLiteral("Temporal");
    QString extension = QStringLiteral("MDB");
    return libTESK::instancia().ArchivoTemporal(mascara, extension);
}

void PreparaAuxiliar(QString& stArchivo, const QString& referencia) {
    libTESK& lib = libTESK::instancia();
    if (lib.HayArchivo(stArchivo))
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
                local.fijaCampo(nombre, rst->campo(nombre).valor().aTexto());
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
