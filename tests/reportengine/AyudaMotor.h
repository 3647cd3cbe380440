#pragma once
// Helpers of the engine's tests: layouts from text, rows in memory, SQLite files, the text of
// pages and of PDF files.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>
#include <ostream>

#include "core/ErrorTESK.h"
#include "core/Variante.h"
#include "reportengine/Datos.h"
#include "reportengine/Diseno.h"
#include "reportengine/Documento.h"

// Texts in test failures as text, not as arrays of code units.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace quilmaro::prueba {

using Filas = QVector<QVector<Variante>>;

// One table in memory, by source number.
struct TablaPrueba {
    int numero = 0;
    QStringList columnas;
    Filas filas;
};

// Reads the layout (from text; ruta names it and locates its images), loads the tables and
// paginates, all at once and a page at a time (checked to agree). Sources get the texts "mem:N".
std::shared_ptr<reporte::Documento> generaDesdeTexto(
    const QByteArray& xml, const QVector<TablaPrueba>& tablas, const QDate& hoy = QDate(2024, 3, 5),
    const QString& ruta = QStringLiteral("/prueba/diseno.rpt"));

// Whether two documents have the same pages: the same items, boxes and texts, in the same order.
bool mismasPaginas(const reporte::Documento& a, const reporte::Documento& b);

// The message of the report failure f throws, which must be one of the program's errors with the
// report number; "(no error)" when it throws nothing.
template <typename F>
QString mensajeDe(F&& f) {
    try {
        f();
    } catch (const ErrorTESK& e) {
        EXPECT_EQ(e.numero(), errores::Reporte) << e.descripcion().toStdString();
        return e.descripcion();
    }
    return QStringLiteral("(no error)");
}

// The texts a one-field detail band shows, one per row, for the sources declared (their XML) and
// the tables given; the field (on line 3 of its layout) holds the expression, formato as its
// attribute.
QStringList columna(const QByteArray& fuentes, QString expresion,
                    const QVector<TablaPrueba>& tablas, const QString& formato = {});

// Every text of the document, page after page.
QStringList todosLosTextos(const reporte::Documento& doc);
// The text items of a page whose box's top is y mm (within 0.01 mm).
QStringList textosEnY(const reporte::Documento& doc, int pagina, double y);
// The bands of a type placed on page i.
std::vector<reporte::BandaColocada> bandas(const reporte::Documento& doc, int pagina,
                                           reporte::TipoBanda tipo);

// Creates a SQLite file with the table given; values go in as given (Null as NULL).
void creaSqlite(const QString& ruta, const QString& tabla, const TablaPrueba& t);

// The complete layout examples of docs/layouts.md, in the order they appear there.
QList<QByteArray> ejemplosDocumentados();

// Letterhead row of a company (the table Generales, source 0), invoices shaped like `facturas`
// (source 1) and their seven customers (source 2), with accented names, names with quotes and a
// NULL here and there. Invoice i (from 1) has the number 1000 + i and the customer C(i % 7).
TablaPrueba generalesDemo();
TablaPrueba facturasDemo(int n);
TablaPrueba clientesDemo();
// The total the layouts print for invoice i of facturasDemo.
double totalDemo(int i);
// An amount as the layouts print it: "1,234.50".
QString importe(double v);

// Opens local sources as usual and server sources ("database.table") from SQLite files: the text
// "FILE::TABLE" names the file and the table.
reporte::AbridorFuentes abridorSqlite();

// pdftotext of a file; empty when it fails.
QString textoPdf(const QString& ruta);

}  // namespace quilmaro::prueba
