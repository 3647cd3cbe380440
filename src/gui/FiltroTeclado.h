#pragma once
// Wires an entry field to the program's keyboard: arrows and Enter move between fields, the
// field's template filters or converts what is typed, entering the field selects its text.
// Text pasted or dropped into a field whose template refuses characters ("9", "T") is taken
// only when typing it would have been: otherwise the field beeps and keeps its text.

#include <QObject>
#include <QString>

class QAbstractButton;
class QWidget;

namespace quilmaro {

class FiltroTeclado : public QObject {
    Q_OBJECT
  public:
    struct Opciones {
        QString plantilla;            // "", "!", "9", "T", "X"
        bool flechas = true;          // up/down arrows move between fields
        bool resaltaAlEntrar = true;  // whole text selected on entry (text boxes)
    };
    // Installs itself on campo (and is owned by it).
    static FiltroTeclado* instala(QWidget* campo, const Opciones& opciones);

  protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

  private:
    FiltroTeclado(QWidget* campo, Opciones opciones);
    Opciones opciones_;
    bool reenviando_ = false;
};

// Enter (or the keypad's Enter) on the button while it has the focus presses it, as Space does.
void enterPulsaBoton(QAbstractButton* boton);

// Virtual-key number of a Qt key (38 up, 40 down, ...); 0 for keys the program does not name.
int codigoTecla(int teclaQt);

}  // namespace quilmaro
