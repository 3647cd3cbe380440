#pragma once
// libTESK: the general methods every part of the program uses, reached through one shared
// instance (libTESK::instancia()). Arguments that a method changes are taken by non-const
// reference; all others are inputs only.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>

#include "core/CajaImagen.h"
#include "core/ErrorTESK.h"
#include "core/Moneda64.h"
#include "core/Variante.h"

class QFile;
class QWidget;

namespace quilmaro {

// Objects of the data-objects layer (src/db, library quilmaro_db).
class CampoBdD;
class Conexion;
class Recordset;

class libTESK {
  public:
    // The shared instance, created on first use and kept until the process ends.
    static libTESK& instancia();

    // --- Value and text conversions ---------------------------------------------------------
    Variante AllTrim(const QString& Texto);
    Variante QuitaComas(const QString& Cantidad);
    double tkVal(const QString& Texto);
    QString StrZero(std::int32_t Valor, std::int16_t Longitud);
    QString Pad(QString& sDato, std::int16_t inLongitud, QString& sCaracter,
                std::int16_t inJust0I1C2D);
    std::int32_t HtoD(const QString& stHexa);
    void Suma(Variante& vVariable, const Variante& vValor = Variante(std::int16_t{1}));
    QString FechaSQL(const QString& stFecha);

    // --- Settings files and file helpers ----------------------------------------------------
    QString ObtenINI(const QString& cDato, QString& sArchivo);
    void CambiaIni(const QString& cDato, const QString& cNuevoValor, QString& sArchivo);
    bool HayArchivo(const QString& Archivo);
    void Copia(const QString& Origen, const QString& Destino, bool blGraficar,
               CajaImagen* pctPorc = nullptr);
    void BarraPorcentaje(CajaImagen& PictureBox, std::int16_t& Porcentaje);
    QString ArchivoTemporal(QString& sMascara, QString& sDeterminante);

    // --- Dates -----------------------------------------------------------------------------
    std::int16_t UltimoDia(std::int16_t& Mes, std::int16_t& Anio);
    bool EsBisiesto(std::int16_t Anio);
    bool FechaValida(const QString& sFecha);
    // Rewrites the text: a valid date as "dd/mmm/yyyy", anything else as the empty date.
    bool ValidaFecha(QString& Fecha);
    // The same on an entry field (anything with text() and setText()).
    template <typename Campo>
    bool ValidaFecha(Campo& Fecha) {
        QString t = Fecha.text();
        const bool valida = ValidaFecha(t);
        Fecha.setText(t);
        return valida;
    }
    QString FechaVacia();
    QString MascaraFecha();
    QString FormatoFecha();

    // --- Amounts in words --------------------------------------------------------------------
    // The number in upper-case Spanish words, each followed by a blank; a negative number is
    // written like its absolute value. Never fails.
    QString Numeros(std::int32_t Numero);
    // The whole pesos in words, "PESOS", the cents as two digits and "/100 M. N.". The amount is
    // rounded to cents first, as the figures are (half away from zero on the decimal value the
    // amount stands for), and written by its absolute value. Overflow when the whole part, with
    // its sign, is not a 32-bit integer.
    QString Moneda(double Cantidad);
    // The same in another currency, named by its code: "USD" gives "... DÓLARES 50/100 USD"; an
    // empty code or "MXN" is pesos; a code without a name here is written as it is.
    QString Moneda(double Cantidad, const QString& Divisa);

    // --- Text cipher -------------------------------------------------------------------------
    // Each character's Windows-1252 code moves by a shift that depends on its position; the
    // text keeps its length. Invalid argument when a code would leave 0..255 or a character has
    // no Windows-1252 code; overflow beyond 32,767 characters.
    QString Encripta(const QString& Texto);
    QString DesEncripta(const QString& Texto);

    // --- Raw printer output ------------------------------------------------------------------
    // Text straight to a printer port, in Windows-1252 with CR LF line ends. A port is LPT1..LPT9
    // or PRN (the parallel ports) or the path of a device or file; an empty or blank name becomes
    // "LPT1" (written back into the caller's variable).
    //
    // Checks the port (opening and closing it) and shows a message for every problem found
    // unless bAvisarEstado is false.
    bool ImpresoraLista(QString& sPuerto, bool bAvisarEstado = true);
    bool ImpresoraLista();
    // Checks the port and opens it for output (an existing file is emptied); the line is 1. A
    // port already open is closed first.
    bool IniciaImpresora(QString& Puerto);
    bool IniciaImpresora();
    // Writes Dato at line Ren, column Col (both from 1). A line above the current one starts a
    // new page (form feed); lines in between are ended. A column already passed, or below 1, is
    // written where the print position stands.
    void Imprime(std::int16_t Ren, std::int16_t Col, const Variante& Dato);
    // Centres Dato on a line of Columnas characters (0 means 80, also for the caller).
    void Centra(const QString& Dato, std::int16_t Linea, std::int16_t& Columnas);
    // Writes Dato as it is (control sequences), with no line end.
    void CadenaImp(const QString& Dato);
    // The characters whose decimal codes are listed between commas: "27,64" is ESC "@"; an empty
    // item is code 0. Overflow beyond 254 characters, invalid argument for a code outside 0..255.
    QString CadConfImp(const QString& Cadena);
    // Form feed and line end, then closes the port.
    void Eject();
    void CierraImpresora();
    // The line of the page where the print position stands, and the port's number (1 while a
    // port is open); both keep their values after closing.
    std::int16_t lineaImpresora() const { return LineaImp; }
    std::int16_t numeroImpresora() const { return HandleImpres; }
    bool impresoraAbierta() const { return puertoImp_ != nullptr; }

    // --- Window, file and system helpers -----------------------------------------------------
    // Pauses the calling thread (0 or less: no pause). The windows do not repaint meanwhile.
    void Segundos(std::int32_t MiliSegundos);
    // Blue gradient on the window's background: style 0 dark toward the bottom and right edges,
    // 1 toward the bottom, 2 (and others) toward the right; 3 only sets a dark-blue background.
    void Fade(QWidget* Forma, std::int16_t Estilo_0_2);
    // Plays a WAV file: flag bit 0 returns at once while it plays (else it plays to the end), bit
    // 1 keeps silent when the file cannot be played (else a beep), bit 3 loops. An empty name
    // stops the sound playing.
    void PlaySonido(const QString& Archivo, std::int32_t Bandera_0_1);
    // Serial (eight hex digits) and label of a drive; 23 blanks when it cannot be read. Ruta
    // becomes its first character, upper-cased ("C" when blank); "C" and "/" stand for the root
    // file system on systems without drive letters.
    QString LeeSerie(QString& Ruta);
    QString LeeSerie();
    // Places the window in the middle of its screen.
    void CentraVentana(QWidget* Ventana);
    // The computer's name; empty when it cannot be read.
    QString NetName();
    // Sets the attributes named by the letters A, S, H and R of sAtributos (when not blank), then
    // returns the file's attribute letters in the order A D V S H R; empty on failure.
    QString Atributo(const QString& sArchivo, const QString& sAtributos = QString());
    // Free and total bytes of the file system of a drive ("C", "C:", "C:\"), of a path on
    // systems without drive letters, or of the current folder when empty; 0 on failure.
    Moneda64 EspacioLibre(QString lpRootPathName = QString());
    Moneda64 EspacioTotal(QString lpRootPathName = QString());
    // Folder dialog owned by frmVentana; empty text when cancelled.
    QString Carpeta(QWidget* frmVentana);
    // Opens a document (or address) with the desktop's default program. Above 32 on success;
    // 2 file not found, 3 folder not found, 31 no program for it.
    std::int32_t AbreDocumento(const QString& stArchivo, std::int32_t inhWnd = 0);

    // --- Keyboard and entry-field helpers (windows) ------------------------------------------
    // Key codes are the virtual-key numbers (38 up arrow, 40 down arrow); Tecla is the typed
    // character's code (13 Enter, 8 Backspace, 39 apostrophe); 0 drops the key.
    void Teclas(std::int16_t KeyCode);
    void Enter(std::int16_t& Tecla, const QString& Plantilla = QString());
    // Selects the whole text of an entry field (anything with text() and setSelection()).
    template <typename CajaDeTexto>
    void Resalta(CajaDeTexto& c) {
        c.setSelection(0, static_cast<int>(c.text().size()));
    }

    // --- Server connections, tables and null values (data-objects layer) ---------------------
    // In quilmaro_db. Closes the connection and empties the variable. A connection that is not
    // open fails (ErrorBdD 3709) and stays in the variable; an empty variable fails with 91.
    void CierraBdD(std::shared_ptr<Conexion>& cnnBdD);
    // Closes the record set when it is open and empties the variable; never fails.
    void CierraTabla(std::shared_ptr<Recordset>& rstTabla);
    // The field's value on the current row; a NULL becomes a blank of the field's kind: the
    // 16-bit 0 for the codes 2, 3, 4, 5, 16, 18 and 19, FechaVacia() for dates (133) and ""
    // for every other code.
    Variante NoNull(const CampoBdD& Campo);

    // --- SQL statement builders --------------------------------------------------------------
    // In quilmaro_db. Column and value lists are read from index 0 to their last element (a list
    // of n entries holds n columns). Values come as plain text; each is written by the type of
    // the field of that name in rstTabla: numbers (codes 2, 3, 4, 5, 16, 18, 19) bare, CHAR and
    // VARCHAR (129, 200) between apostrophes, DATE (133) as FechaSQL's text between apostrophes,
    // or NOW() for a value that, trimmed, begins with "now" in any case (the list entry becomes
    // what was written), every other code bare. Every value is escaped for the connection.
    //
    // AgregaRegistro and ActualizaRegistro show their failures in a message and carry on: the
    // statement is executed, rstTabla re-queried and the statement returned. Lists of different
    // lengths: a message and "", nothing executed.
    QString AgregaRegistro(const std::shared_ptr<Conexion>& cnnBdD,
                           std::shared_ptr<Recordset>& rstTabla, const QString& stTabla,
                           const QStringList& stCampos, QStringList& stValores);
    // "Update <table> set a=1,b='x'" and " where <stCondicion>" when it is not empty.
    QString ActualizaRegistro(const std::shared_ptr<Conexion>& cnnBdD,
                              std::shared_ptr<Recordset>& rstTabla, const QString& stTabla,
                              const QStringList& stCampos, QStringList& stValores,
                              const QString& stCondicion = QString());
    // One row of the matrix per column, from index 0: {name, SQL type, default} (missing entries
    // count as empty). A name that holds "KEY" in any case is a key clause and is written alone;
    // types and defaults are written in upper case. A failure is shown and the statement returned.
    QString CreaTabla(const std::shared_ptr<Conexion>& cnnBdD, const QString& stNombreTabla,
                      const QList<QStringList>& Matriz1Nombre2Tipo3Default);
    // The value of stCampo in the row that the last insert on Bd numbered; 0 when there is none.
    // Failures of the layer reach the caller; a value beyond 32 bits is an overflow.
    std::int32_t LastId(const std::shared_ptr<Conexion>& Bd, const QString& stTabla,
                        const QString& stCampo);

    // --- Settings and memo store in the database ---------------------------------------------
    // In quilmaro_db. A settings table has the columns Dato (key, upper case), Contenido (value
    // as text), Tipo (C/S/T text, N number, F/D date, B/L flag) and Comentario, and a primary key
    // among its columns. The key argument is written back in upper case. The connection
    // arguments marked "not consulted" are kept for the callers' sake.
    //
    // The value of a setting by its type: text as stored, a double, a date, a boolean; "" when
    // the setting does not exist, its type is unknown or anything fails (never throws).
    Variante LeeDato(QString& sDato, std::shared_ptr<Recordset>& Tabla,
                     const std::shared_ptr<Conexion>& BDD = nullptr);
    // Stores vValor in the setting by its type ("1"/"0" for flags, "dd/mmm/yyyy" for dates, the
    // text form otherwise) and returns what was stored; "" when the setting does not exist.
    // Tabla is re-read and left on its first row. Failures reach the caller.
    QString GrabaDato(QString& sDato, const Variante& vValor, std::shared_ptr<Recordset>& Tabla,
                      const std::shared_ptr<Conexion>& BDD = nullptr);
    // Inserts the setting on BDD unless Tabla already holds it (then ""): returns the statement.
    // stTabla "" becomes "configuracion"; it is written back in lower case. The comment is cut
    // to 100 characters. Tabla is not re-read.
    QString IniciaDato(QString& sDato, const QString& sValorDefault, const QString& sTipo,
                       const QString& sComentario, std::shared_ptr<Recordset>& Tabla,
                       const std::shared_ptr<Conexion>& BDD, QString& stTabla);
    QString IniciaDato(QString& sDato, const QString& sValorDefault, const QString& sTipo,
                       const QString& sComentario, std::shared_ptr<Recordset>& Tabla,
                       const std::shared_ptr<Conexion>& BDD);
    // The counter's value plus one, stored back. The row is locked on the server for the read
    // and the write (a transaction on Tabla's connection), so two workstations never draw the
    // same folio. Failures (a missing setting among them) reach the caller; nothing is stored.
    std::int32_t ObtenFolio(QString& sDato, std::shared_ptr<Recordset>& Tabla,
                            const std::shared_ptr<Conexion>& BDD = nullptr);
    // Replaces the text kept under stLlave in the memo table stTabla (Llave, Registro from 1,
    // Contenido) by stContenido cut into pieces of 250 characters, inserted with AgregaRegistro
    // on rstTabla. A pair of UTF-16 surrogates is never cut in two (that piece holds 249).
    void GrabaMemo(const QString& stLlave, const QString& stContenido,
                   const std::shared_ptr<Conexion>& cnnBdD, const QString& stTabla,
                   std::shared_ptr<Recordset>& rstTabla);
    // The text kept under stLlave, its pieces joined in Registro order ("" when none). rstTabla
    // is closed and opened again on its own connection with the memo's rows, and left at its end.
    QString LeerMemo(const QString& stLlave, const std::shared_ptr<Conexion>& cnnBdD,
                     const QString& stTabla, std::shared_ptr<Recordset>& rstTabla);

    // The numeric-prefix rule: blanks, tabs and line feeds skipped anywhere, an optional sign,
    // digits with one ".", an exponent ("E" or "D"), or "&H"/"&O" integers. Never fails; no
    // digit gives 0.
    static double leePrefijoNumerico(QStringView texto);

    // Size of the blocks Copia moves at a time.
    static constexpr qint64 kBloqueCopia = 15000;

  private:
    libTESK() = default;

    // --- State of the raw printer output ---
    std::int16_t LineaImp = 0;      // line of the page of the print position, from 1
    std::int16_t HandleImpres = 0;  // number of the port (1 while open)
    int columnaImp_ = 1;            // column of the print position, from 1
    QFile* puertoImp_ = nullptr;    // the open port, owned
    // Writes text at the print position and moves it; the port's failure reaches the caller.
    void escribePuerto(const QString& texto);
};

// The user's short-date pattern with the program's letters ("dd/mm/yyyy", "d/m/yy", ...).
QString PatronFecha();

// Shorthand for the shared instance.
inline libTESK& tesk() {
    return libTESK::instancia();
}

}  // namespace quilmaro
