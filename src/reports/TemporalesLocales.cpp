// The local report database of one run: a fresh copy of the template under a free name.

#include "reports/Reportes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <vector>

#include "core/Archivos.h"
#include "core/ArchivosTexto.h"
#include "core/Globales.h"
#include "core/libTESK.h"
#include "db/Conexion.h"
#include "db/Recordset.h"
#include "db/TempDeODBC.h"
#include "platform/Plataforma.h"
#include "reports/BaseLocal.h"

namespace quilmaro {

namespace {

void muestraFalla(const QString& texto) {
    muestraMensaje(texto, QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
}

// Whatever errno says now, in the program's words.
QString motivoDeSistema(int numero) {
    const Error e = texto::errorDeSistema(numero ? numero : EIO);
    return QStringLiteral("%1 (No. %2)").arg(e.descripcion).arg(e.numero);
}

}  // namespace

QString NombreTemporal(QString* motivo) {
    // The folder is listed once: files left by runs that were killed would otherwise make every
    // candidate name cost a listing of their own (10,000 of them froze a run for minutes).
    const QDir carpeta(stRutaPrograma.isEmpty() ? QStringLiteral(".") : stRutaPrograma);
    // The numbers taken, by any letter case of TEMPORALnnnn.MDB.
    std::vector<bool> tomados(10000, false);
    for (const QString& e :
         archivos::nombresQueEmpiezan(carpeta.path(), QStringLiteral("TEMPORAL"))) {
        if (e.size() != 16 || e.mid(12).compare(QLatin1String(".MDB"), Qt::CaseInsensitive) != 0)
            continue;
        bool esNumero = false;
        const int n = e.mid(8, 4).toInt(&esNumero);
        if (esNumero && e.at(8).isDigit() && n >= 0 && n <= 9999)
            tomados[static_cast<std::size_t>(n)] = true;
    }
    for (int n = 0; n <= 9999; ++n) {
        if (tomados[static_cast<std::size_t>(n)])
            continue;
        const QString nombre = QStringLiteral("TEMPORAL%1.MDB").arg(n, 4, 10, QLatin1Char('0'));
        // The name is taken by creating the file, empty: another copy of the program working in
        // the same folder (a second window, or a workstation started from the same network
        // folder) that looks for a free name at the same moment finds this one taken and goes on
        // to the next.
        const QString ruta = stRutaPrograma + nombre;
        QFile reserva(ruta);
        errno = 0;
        if (reserva.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return ruta;
        const int numero = errno;
        if (QFile::exists(ruta))
            continue;  // taken between the listing and the creation
        if (motivo)
            *motivo = motivoDeSistema(numero);
        return QString();
    }
    if (motivo)
        *motivo =
            QStringLiteral("Los nombres TEMPORAL0000.MDB a TEMPORAL9999.MDB están todos en uso.");
    return QString();
}

namespace {

// The template in the program folder, found in any letter case; nothing when it is missing
// (shown).
std::optional<QString> buscaPlantilla() {
    const QString buscada = stRutaPrograma + kPlantillaAuxiliar;
    QString plantilla = buscada;
    if (!libTESK::instancia().HayArchivo(plantilla)) {
        const QFileInfo donde(buscada);
        muestraFalla(QStringLiteral("No se encontró el archivo %1, la plantilla de los reportes.\n"
                                    "Se buscó en la carpeta del programa:\n%2\n\nEl reporte no "
                                    "se hizo.")
                         .arg(kPlantillaAuxiliar, QDir::toNativeSeparators(donde.absolutePath())));
        return std::nullopt;
    }
    // Under another letter case the folder is listed (a folder full of leftovers costs a
    // listing only then).
    if (!QFileInfo::exists(buscada)) {
        for (const QString& e : QFileInfo(buscada).absoluteDir().entryList(QDir::Files)) {
            if (e.compare(kPlantillaAuxiliar, Qt::CaseInsensitive) == 0)
                return QFileInfo(buscada).absoluteDir().filePath(e);
        }
    }
    return plantilla;
}

// An empty file is the run's own reservation of the name (NombreTemporal): the copy goes into
// it, so that the name is never free while the run needs it. Anything else under the name is
// written over. Every write is checked: a full disk must not leave a report without its
// letterhead. Answers why the copy failed, nothing when it was made.
std::optional<QString> copiaPlantilla(const QString& plantilla, const QString& stArchivo) {
    QFile origen(plantilla);
    errno = 0;
    if (!origen.open(QIODevice::ReadOnly))
        return motivoDeSistema(errno);
    const QByteArray datos = origen.readAll();
    QFile destino(stArchivo);
    errno = 0;
    if (!destino.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return motivoDeSistema(errno);
    errno = 0;
    if (destino.write(datos) != datos.size())
        return motivoDeSistema(errno);
    return std::nullopt;
}

// Adds to the open table Generales of `local` the letterhead of the company whose database is
// stBaseDeDatos, read from the record set, and the reference. A column this server's table
// lacks leaves its line blank; the others stay.
std::optional<Error> llenaMembrete(BaseLocal& local, const Recordset& rst,
                                   const QString& referencia) {
    try {
        local.agregaNuevo();
        for (const char* c : {"Empresa", "Domicilio", "CP", "CiudadEstado", "Telefonos", "RFC"}) {
            const QString nombre = QString::fromLatin1(c);
            QString valor;
            try {
                valor = rst.campo(nombre).valor().aTexto();
            } catch (const ErrorTESK& e) {
                if (e.numero() != errores::CampoInexistente)
                    throw;
            }
            if (auto error = local.fijaCampo(nombre, valor))
                return error;
        }
        if (auto error = local.fijaCampo(QStringLiteral("ParaLasFechas"), referencia))
            return error;
        return local.guarda();
    } catch (const ErrorTESK& e) {
        return e.error();
    }
}

}  // namespace

bool PreparaAuxiliar(QString& stArchivo, const QString& referencia) {
    libTESK& lib = libTESK::instancia();
    const auto falla = [&](const QString& motivo) {
        muestraFalla(QStringLiteral("No se pudo preparar el membrete del reporte en el archivo\n"
                                    "%1\n\n%2\n\nEl reporte no se hizo.")
                         .arg(QDir::toNativeSeparators(stArchivo), motivo));
        return false;
    };
    const std::optional<QString> plantilla = buscaPlantilla();
    if (!plantilla)
        return false;
    if (const auto motivo = copiaPlantilla(*plantilla, stArchivo))
        return falla(*motivo);

    std::shared_ptr<Conexion> cnn;
    QString general;  // empty: the general database
    AbreBdD(cnn, general);

    BaseLocal local;
    std::optional<Error> error = local.abre(stArchivo);
    if (!error)
        error = local.abreTabla(QStringLiteral("Generales"));

    std::shared_ptr<Recordset> rst;
    QString consulta = QStringLiteral("empresas where BaseDeDatos='XXX'");
    QString tabla = cnn && cnn->estaAbierta() ? Reemplaza(consulta, stBaseDeDatos, *cnn)
                                              : Reemplaza(consulta, stBaseDeDatos);
    QString campos;
    if (!error && AbreTabla(rst, cnn, tabla, campos))
        error = llenaMembrete(local, *rst, referencia);
    lib.CierraTabla(rst);
    try {
        lib.CierraBdD(cnn);
    } catch (const ErrorTESK&) {
    }
    local.cierra();
    if (error)
        return falla(QStringLiteral("%1 (No. %2)").arg(error->descripcion).arg(error->numero));
    return true;
}

}  // namespace quilmaro
