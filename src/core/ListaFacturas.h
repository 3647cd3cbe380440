#pragma once
// The clerk's invoice list and its file, LISTAFACTURAS.TXT: one line per listed invoice, seven
// double-quoted fields separated by commas, Windows-1252 with CR LF. A double quote inside a
// field is written doubled.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/ErrorTESK.h"
#include "core/Variante.h"

namespace quilmaro::lista {

inline constexpr int kCampos = 7;

// The file's bytes for these records (each of kCampos texts; missing ones are empty).
QByteArray escribe(const QList<QStringList>& registros);

// The records of a file's text, read field after field, kCampos to a record: a quoted field runs
// to its closing quote (two quotes inside stand for one) and what follows it up to the next
// separator is dropped; an unquoted field runs to the next comma or line end, blanks around it
// dropped. Line ends separate fields like commas do. A short last record is filled with empty
// fields. Never fails, whatever the text. With lineas, the line (from 1) where each record
// begins is appended to it.
QList<QStringList> lee(const QString& contenido, QList<int>* lineas = nullptr);

// The invoice identifier a record's seventh field stands for: a whole number above zero written
// in decimal digits only (blanks around it allowed). Nothing for anything else ("12abc",
// "&H10", "1; DROP TABLE x", "1.5", ""), which names no invoice.
std::optional<qint64> identificador(const QString& campo);

// The whole file's bytes; an error when it cannot be read (missing, a folder, no permission,
// an input/output error).
std::optional<Error> leeArchivo(const QString& ruta, QByteArray& datos);

// Replaces the file with these records in one step, through a temporary file of its own beside
// it: a failure leaves the old file whole, and two copies saving at once leave one whole list.
std::optional<Error> graba(const QString& ruta, const QList<QStringList>& registros);

}  // namespace quilmaro::lista

namespace quilmaro {

inline const QString kArchivoLista = QStringLiteral("LISTAFACTURAS.TXT");

// An invoice as the server holds it, in plain values.
struct Factura {
    QString serie, numero, cliente, nombre;
    // The record identifier, as text; empty when NULL.
    QString id;
    // A date, text, or Null.
    Variante fecha = Variante::nulo();
    // Subtotal + IVA + ImpuestoAd; nothing when any of them is NULL.
    std::optional<double> total;
    // Marked cancelled (servers whose invoices have the column).
    bool cancelada = false;
};

// The list's row for an invoice: Serie, Factura, Fecha ("dd/mmm/yy"), Cliente, Nombre, Total
// ("##,###,##0.00") and the identifier. NULLs are empty fields.
QStringList renglonDe(const Factura& f);

// The saved list at one path. The window holds the rows the clerk works on; this holds what
// the file holds and whether it may be replaced.
class ListaFacturas {
  public:
    explicit ListaFacturas(QString ruta = {}) : ruta_(std::move(ruta)) {}

    const QString& ruta() const { return ruta_; }
    // Whether anything at all (a file, a folder, a link, even a broken one) stands at the path.
    bool existe() const;

    // Reads the file. An unreadable file gives its error; the rows stay as they were and the
    // file is kept from being replaced unasked (motivoIlegible). Otherwise the rows are the
    // records that name an invoice by its identifier, each invoice once (the reports take
    // exactly the listed invoices); every record left out is described in *dejados ("renglón 3
    // (identificador «12abc»)", "renglón 5 (repite la factura del renglón 1)"). The saved form
    // of the empty list gives no rows.
    std::optional<Error> lee(QStringList* dejados = nullptr);

    // Writes these rows in one step (lista::graba). The list in memory becomes them.
    std::optional<Error> graba(const QList<QStringList>& filas);

    // Why the file must not be replaced without the clerk's word: the file there cannot be
    // read now, or could not be read when the list was last read. Nothing when it may.
    std::optional<Error> motivoIlegible() const;

    const QList<QStringList>& filas() const { return filas_; }
    // What a report needs of each row, in list order: the record identifier and "Serie-Factura".
    static QStringList identificadores(const QList<QStringList>& filas);
    static QStringList nombres(const QList<QStringList>& filas);

  private:
    QString ruta_;
    QList<QStringList> filas_;
    std::optional<Error> ilegible_;
};

}  // namespace quilmaro
