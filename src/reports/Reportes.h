#pragma once
// Report runs: the working table on the server, the local report database with the company's
// letterhead, and the two report commands.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "core/ErrorTESK.h"

namespace quilmaro {

class Conexion;
class Recordset;
namespace reporte {
class ControlReporte;
}

inline const QString kPlantillaAuxiliar = QStringLiteral("Auxiliar.MDB");

// Full path of a new local report database file (TEMPORAL0000.MDB, ...) in the program folder,
// taken by creating it empty: two runs, in this program or another one using the same folder,
// never get the same name. Names are compared without regard to letter case. Empty when no
// name can be taken (a folder where nothing can be created, or every name in use), and then
// *motivo, when given, says why.
QString NombreTemporal(QString* motivo = nullptr);

// Makes stArchivo a fresh copy of the template Auxiliar.MDB (an empty file, a name taken by
// NombreTemporal, is filled in place) and adds to its table Generales the letterhead of the
// company whose database is stBaseDeDatos (from generalvelmorita.empresas) and the reference
// text. A company without a row leaves Generales empty. A missing template, or a file that
// cannot be written (a full disk), is shown in one message naming the file, and the answer is
// false: a report without its letterhead is not made. The routines it calls on the server
// report their own failures.
bool PreparaAuxiliar(QString& stArchivo, const QString& referencia);

// Creates, in stBaseDatos, an empty table shaped like stPlantilla (the invoice table) under the
// first free name tbltemp1, tbltemp2, ... (names in any letter case count as taken) and returns
// that name. When another workstation takes the same name at the same moment the next free one
// is tried. Any other failure returns an empty name and the failure in *error. columnasExtra
// (column definitions) is added after the template's columns; marca, when given, becomes the
// table's comment.
QString CreaTablaTrabajo(QString& stBaseDatos, QString& stPlantilla, Error* error = nullptr,
                         const QString& columnasExtra = {}, const QString& marca = {});

// A new mark for a working table: which workstation (host name) and process made it, when, and
// an identifier no other run shares.
QString MarcaTablaTrabajo();

// Whether a working table with this mark was left behind by a copy of the program that is gone:
// made on this workstation by a process that no longer runs this program, or made more than a
// day before `ahora` (UTC) on any. A table without such a mark is never taken for one.
bool TablaAbandonada(const QString& marca, const QDateTime& ahora);

// Drops the working tables of the connection's database that TablaAbandonada gives up (copies
// killed during a report, on any workstation). A table another running copy uses stays. What
// cannot be dropped now stays for another time.
void DescartaTablasAbandonadas(Conexion& cnn);

enum class TipoReporte { Guia, Cobranza };

// Listed invoices copied by the first statement of a run, and at least by every other but the
// last: the progress moves between statements. Each next one takes as many as the server copies in
// about kMsPorSentencia by the pace of the last one, at most 8 times as many and at most
// kFacturasPorSentenciaMaximo (far below the server's packet limit): a long list goes in few
// statements and Cancelar still stops it within a fraction of a second.
inline constexpr int kFacturasPorSentencia = 250;
inline constexpr int kFacturasPorSentenciaMaximo = 10000;
inline constexpr int kMsPorSentencia = 100;

// Column added to the working table of a run: the invoice's place in the clerk's list (from 1).
inline const QString kColumnaRenglon = QStringLiteral("RenglonLista");

// Full path of a report's layout file in the program folder (guia.rpt, cobranza.rpt).
QString ArchivoDiseno(TipoReporte tipo);

struct PedidoReporte {
    TipoReporte tipo = TipoReporte::Guia;
    // Record identifiers of the listed invoices, in list order.
    QStringList ids;
    // Series and number of each listed invoice ("A-123"), beside ids: they name an invoice
    // the server no longer has. May be left empty (the list position names it then).
    QStringList facturas;
    // 0 screen, 1 printer.
    int destino = 0;
    // The reference text of the window.
    QString referencia;
    // Told (done, total) while the invoices are copied.
    std::function<void(int, int)> progreso;
    // Asked between the copy's statements; true stops the run, which leaves nothing behind and
    // says nothing (the clerk cancelled it).
    std::function<bool()> cancelado;
};

// One report run: a working table filled with every listed invoice still on the server, in list
// order (the clerk is told first which listed invoices the server no longer has: they are left
// out, and the others keep their list numbers); the local letterhead database; the layout run on
// crp to the destination. A connection the server dropped is opened again first. Afterwards no
// working table and no local file remain, whatever failed (a table the server could not be asked to
// drop is dropped by a later run), except the working table of a report shown on the screen: the
// clerk does not wait for it, it goes right after the preview's first paint (at the latest at the
// next run, when the preview or the window closes). Every failure is shown in a message. Answers
// whether the report was shown or printed.
bool EjecutaReporte(const PedidoReporte& pedido, std::shared_ptr<Conexion>& cnnDatos,
                    std::shared_ptr<Recordset>& rstFactura, reporte::ControlReporte& crp);

// Drops the working tables earlier runs had to leave behind because the server went away, each
// only while it still carries its run's mark, then those of copies that are gone
// (DescartaTablasAbandonadas). Tables it cannot reach yet stay for another time.
// EjecutaReporte calls it first; the window calls it when it closes.
void DescartaTablasPendientes(const std::shared_ptr<Conexion>& cnn);

}  // namespace quilmaro
