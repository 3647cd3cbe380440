#pragma once
// The invoice-list window: the clerk picks a series, types an invoice number, adds the invoice
// to the list, saves or reloads the list and runs the two reports.

#include <QDialog>
#include <QString>
#include <memory>

#include "core/ListaFacturas.h"
#include "core/Principal.h"

class QElapsedTimer;
class QLabel;
class QLineEdit;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace quilmaro {

class Reja;
class Conexion;
namespace reporte {
class ControlReporte;
class VistaPrevia;
}  // namespace reporte

// "Exportar…" of a report preview: the report-to-file dialog, then the file in the chosen format.
void exportaDesdeVista(reporte::VistaPrevia& vista);

class frmReporte : public QDialog {
    Q_OBJECT
  public:
    explicit frmReporte(QWidget* parent = nullptr);
    ~frmReporte() override;

    // Window events, callable directly by tests.
    void Form_Load();
    void Form_Activate();
    // Offers to save the list; false when the clerk asked for the save and it failed or was
    // declined over an unreadable list file (the window then stays open with its list).
    bool Form_QueryUnload();
    // Removes leftover temporary report databases, closes the connection and ends the program.
    void Form_Unload();

    // Public routines of the list.
    void LeeLista();
    void Reenumera();
    void Limpia();

    // Commands.
    void cmdAgregar_Click();
    // False when the clerk asked for the save and it failed (the failure is shown) or declined
    // to replace an unreadable list file.
    bool cmdGuardar_Click();
    void cmdLeer_Click();
    void cmdBorrar_Click();
    void cmdReporte_Click();
    void Command1_Click();
    // Delete key on the grid's current row.
    void quitaFilaActual();

    // Esc never closes the window: closing goes through the close box, which asks to save the
    // list and cleans up (Form_QueryUnload, Form_Unload).
    void reject() override;

    // Adds a looked-up invoice to the list, unless it is listed already or the clerk declines
    // to list a cancelled one.
    void AgregaFactura(const Factura& f);

    // The controls, named as the window names them.
    QLabel* Label1 = nullptr;
    QLineEdit* txtFactura = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* cmbSerie = nullptr;
    QPushButton* cmdAgregar = nullptr;
    QPushButton* cmdLeer = nullptr;
    QPushButton* cmdGuardar = nullptr;
    Reja* mhgReja = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtReferencia = nullptr;
    QPushButton* cmdReporte = nullptr;
    QPushButton* Command1 = nullptr;
    QRadioButton* optDispos[2] = {nullptr, nullptr};
    QPushButton* cmdBorrar = nullptr;

    // Full path of the saved list.
    QString stArchivoLista;
    bool bPrimeraVez = true;

    // Design size of the client area, in twips.
    static constexpr int kAnchoTwips = 10545;
    static constexpr int kAltoTwips = 6375;

    // Lists longer than this show a progress dialog while a report is prepared.
    static constexpr int kFilasConAvance = 200;
    // Longest time, in ms, a saved list is read without letting pending events run.
    static constexpr int kPaseDeEventosMs = 50;

    // The window's connection and report controls (tests look at them).
    std::shared_ptr<Conexion> cnnDatos() const;
    reporte::ControlReporte* crpReport() const;
    reporte::ControlReporte* crpReport2() const;

    struct Estado;

  protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void construyeControles();
    // The entry fields' keyboard, the buttons' commands and the grid's Delete key.
    void conectaControles();
    void colocaControles();
    void preparaReja();
    int twipsX(int twips) const;
    int twipsY(int twips) const;
    // Focus back in the invoice number with its text selected.
    void vuelveAFactura();
    // Rows as the saved list holds them (columns 1 to 7 of every data row).
    QList<QStringList> registrosDeLaReja() const;
    bool esFilaDeFactura(int fila) const;
    // Whether the invoice may join the list: not listed yet, and if cancelled, confirmed.
    bool puedeAgregar(const Factura& f);
    // The grid holds these rows (an empty row when there are none).
    void muestraFilas(const QList<QStringList>& filas, QElapsedTimer& desdeElPase);
    void ejecutaReporte(bool cobranza);
    // The window's connection, opened anew when the server dropped it; false when the server
    // cannot be reached and the clerk chose not to try again (the window stays as it is).
    bool conexionViva();
    // Whether the saved list may be replaced: a file there that cannot be read (or could not be
    // read when the window took the list) is replaced only when the clerk confirms it.
    bool puedeReemplazarLista();

    std::unique_ptr<Estado> estado_;
};

}  // namespace quilmaro
