#pragma once
// Dialog that asks where and in which format a report is written to a file. The caller may
// propose a full path in txtArchivo and tick chkSoloTexto before showing it; afterwards
// txtArchivo holds the full path chosen and lblNumTipo the type code (" 2" text, "15" rich text,
// "19" spreadsheet, "17" word processor), both empty when the user cancelled.

#include <QDialog>

class QLabel;
class QComboBox;
class QPushButton;
class QLineEdit;
class QCheckBox;

namespace quilmaro {

class frmExportarReporte : public QDialog {
    Q_OBJECT
  public:
    explicit frmExportarReporte(QWidget* parent = nullptr);

    void Form_Load();
    void Form_Activate();
    void cmdAceptar_Click();
    void Command1_Click();
    void cmdRuta_Click();
    // Esc and the close box: as Cancelar.
    void reject() override;
    // The four characters after the first "*" of the chosen entry (".txt", ".rtf", ...).
    QString ExtensionTipo() const;

    QLabel* Label1 = nullptr;
    QComboBox* cmbTipo = nullptr;
    QPushButton* cmdRuta = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblRuta = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtArchivo = nullptr;
    QLabel* lblNumTipo = nullptr;
    QPushButton* cmdAceptar = nullptr;
    QPushButton* Command1 = nullptr;
    QCheckBox* chkSoloTexto = nullptr;

    static constexpr int kAnchoTwips = 5445;
    static constexpr int kAltoTwips = 3690;

    // The list entries: 36-character description, 30 blanks, two-character code.
    static QStringList entradasTipo();
    // What the list shows of an entry: its description, without the blanks and the code.
    static QString descripcionTipo(const QString& entrada);

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    // The controls, named and placed at their design size.
    void creaControles();
    // The type list filled, the program folder shown, the caller's controls hidden, the widths
    // fitted to the captions.
    void fijaEstadoInicial();
    // Focus and tab order, keys and buttons.
    void conectaControles();
    int twips(int t, bool vertical) const;
    // Widens captions, fields and the dialog where a caption needs more than its design width.
    void ajustaAnchos();
};

}  // namespace quilmaro
