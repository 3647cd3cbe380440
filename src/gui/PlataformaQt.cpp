#include "gui/PlataformaQt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace quilmaro {

namespace {

// A message box that only its buttons answer: in a Yes/No question Esc, the close box and
// Alt+F4 do nothing, as in the desktop's own Yes/No boxes, so that a stray key never decides.
class CajaMensaje final : public QMessageBox {
  public:
    CajaMensaje(QWidget* padre, bool soloBotones) : QMessageBox(padre), soloBotones_(soloBotones) {}

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (soloBotones_ && e->matches(QKeySequence::Cancel)) {
            e->accept();
            return;
        }
        QMessageBox::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        if (soloBotones_) {
            e->ignore();
            return;
        }
        QMessageBox::closeEvent(e);
    }

  private:
    bool soloBotones_;
};

}  // namespace

Respuesta PlataformaQt::mensaje(const Mensaje& m) {
    CajaMensaje caja(QApplication::activeWindow(), m.botones == Botones::SiNo);
    caja.setWindowTitle(m.titulo);
    caja.setText(m.texto);
    switch (m.icono) {
        case Icono::Critico:
            caja.setIcon(QMessageBox::Critical);
            break;
        case Icono::Pregunta:
            caja.setIcon(QMessageBox::Question);
            break;
        case Icono::Exclamacion:
            caja.setIcon(QMessageBox::Warning);
            break;
        case Icono::Informacion:
            caja.setIcon(QMessageBox::Information);
            break;
        case Icono::Ninguno:
            caja.setIcon(QMessageBox::NoIcon);
            break;
    }
    if (m.botones == Botones::Aceptar) {
        QPushButton* ok = caja.addButton(QStringLiteral("Aceptar"), QMessageBox::AcceptRole);
        caja.setDefaultButton(ok);
        caja.setEscapeButton(ok);
        caja.exec();
        return Respuesta::Aceptar;
    }
    QPushButton* si = caja.addButton(QStringLiteral("&Sí"), QMessageBox::YesRole);
    QPushButton* no = caja.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    caja.setDefaultButton(m.predeterminado == Respuesta::Si ? si : no);
    caja.exec();
    return caja.clickedButton() == si ? Respuesta::Si : Respuesta::No;
}

void PlataformaQt::beep() {
    QApplication::beep();
}

void PlataformaQt::cursorOcupado(bool activo) {
    if (activo) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
    }
}

void PlataformaQt::procesaEventos() {
    QCoreApplication::processEvents();
}

void PlataformaQt::terminaProceso(int codigo) {
    std::fflush(nullptr);
    std::_Exit(codigo);
}

void PlataformaQt::enviaTab(bool atras) {
    QWidget* destino = QApplication::focusWidget();
    if (!destino)
        destino = QApplication::activeWindow();
    if (!destino)
        return;
    // Posted, not sent: the focus moves only after the key event being handled has finished.
    auto* tecla = new QKeyEvent(QEvent::KeyPress, atras ? Qt::Key_Backtab : Qt::Key_Tab,
                                atras ? Qt::ShiftModifier : Qt::NoModifier);
    QCoreApplication::postEvent(destino, tecla);
}

}  // namespace quilmaro
