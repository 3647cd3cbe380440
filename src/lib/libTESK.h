#pragma once
// libTESK: the general methods every part of the program uses, reached through one shared
// instance (libTESK::instancia()). Arguments that a method changes are taken by non-const
// reference; all others are inputs only.

#include <QString>
#include <QStringView>
#include <cstdint>

#include "lib/CajaImagen.h"
#include "lib/ErrorTESK.h"
#include "lib/Variante.h"

namespace quilmaro {

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
    QString Numeros(std::int32_t Numero);
    QString Moneda(double Cantidad);

    // --- Text cipher -------------------------------------------------------------------------

    // --- Raw printer output ------------------------------------------------------------------

    // --- Window, file and system helpers -----------------------------------------------------

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

    // --- SQL statement builders --------------------------------------------------------------

    // --- Settings and memo store in the database ---------------------------------------------

    // The numeric-prefix rule: blanks, tabs and line feeds skipped anywhere, an optional sign,
    // digits with one ".", an exponent ("E" or "D"), or "&H"/"&O" integers. Never fails; no
    // digit gives 0.
    static double leePrefijoNumerico(QStringView texto);

    // Size of the blocks Copia moves at a time.
    static constexpr qint64 kBloqueCopia = 15000;

  private:
    libTESK() = default;

    // --- State of the raw printer output ---
};

// The user's short-date pattern with the program's letters ("dd/mm/yyyy", "d/m/yy", ...).
QString PatronFecha();

// Shorthand for the shared instance.
inline libTESK& tesk() {
    return libTESK::instancia();
}

}  // namespace quilmaro
