#include "gui/FiltroTeclado.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QValidator>

#include "core/libTESK.h"
#include "platform/Plataforma.h"

namespace quilmaro {

int codigoTecla(int teclaQt) {
    switch (teclaQt) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        default:
            return 0;
    }
}

namespace {

// Judges what an edit of the clerk's puts into the field (a paste, a drop, an input method's
// text) by the template, as typing it would be judged; the text set by the program is its own.
class ValidadorPlantilla final : public QValidator {
  public:
    ValidadorPlantilla(QLineEdit* caja, QString plantilla)
        : QValidator(caja), caja_(caja), plantilla_(std::move(plantilla)), previo_(caja->text()) {
        // Emitted after each change has been judged: previo_ is the text before the next one.
        connect(caja, &QLineEdit::textChanged, this, [this](const QString& t) { previo_ = t; });
    }

    State validate(QString& entrada, int&) const override {
        // An edit of the clerk's leaves the field modified; a text set by the program does not.
        if (!caja_->isModified())
            return Acceptable;
        // What the edit put in lies between what the old and the new text share at each end.
        const QString& antes = previo_;
        qsizetype inicio = 0;
        while (inicio < antes.size() && inicio < entrada.size() &&
               antes.at(inicio) == entrada.at(inicio))
            ++inicio;
        qsizetype fin = 0;
        while (fin < antes.size() - inicio && fin < entrada.size() - inicio &&
               antes.at(antes.size() - 1 - fin) == entrada.at(entrada.size() - 1 - fin))
            ++fin;
        const QString puesto = entrada.mid(inicio, entrada.size() - inicio - fin);
        libTESK& lib = libTESK::instancia();
        for (const QChar c : puesto) {
            std::int16_t codigo = c.isPrint() && c.unicode() < 0x8000
                                      ? static_cast<std::int16_t>(c.unicode())
                                      : std::int16_t{0};
            if (codigo == 0) {
                plataforma().beep();
                return Invalid;
            }
            lib.Enter(codigo, plantilla_);  // beeps itself when it refuses
            if (codigo != c.unicode())
                return Invalid;
        }
        return Acceptable;
    }

  private:
    QLineEdit* caja_;
    QString plantilla_;
    QString previo_;
};

// Presses its button on Enter.
class EnterEnBoton final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() != QEvent::KeyPress)
            return false;
        auto* tecla = static_cast<QKeyEvent*>(evento);
        if ((tecla->key() != Qt::Key_Return && tecla->key() != Qt::Key_Enter) ||
            (tecla->modifiers() & ~Qt::KeypadModifier))
            return false;
        auto* boton = static_cast<QAbstractButton*>(objeto);
        if (boton->isEnabled())
            boton->click();
        return true;
    }
};

}  // namespace

void enterPulsaBoton(QAbstractButton* boton) {
    boton->installEventFilter(new EnterEnBoton(boton));
}

FiltroTeclado::FiltroTeclado(QWidget* campo, Opciones opciones)
    : QObject(campo), opciones_(std::move(opciones)) {}

FiltroTeclado* FiltroTeclado::instala(QWidget* campo, const Opciones& opciones) {
    auto* f = new FiltroTeclado(campo, opciones);
    campo->installEventFilter(f);
    if (auto* caja = qobject_cast<QLineEdit*>(campo);
        caja &&
        (opciones.plantilla == QLatin1String("9") || opciones.plantilla == QLatin1String("T")))
        caja->setValidator(new ValidadorPlantilla(caja, opciones.plantilla));
    return f;
}

bool FiltroTeclado::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::FocusIn && opciones_.resaltaAlEntrar) {
        if (auto* caja = qobject_cast<QLineEdit*>(objeto)) {
            // After the field's own focus handling (a mouse click would place the cursor).
            QPointer<QLineEdit> p(caja);
            QTimer::singleShot(0, caja, [p] {
                if (p && p->hasFocus())
                    libTESK::instancia().Resalta(*p);
            });
        }
        return false;
    }
    if (evento->type() != QEvent::KeyPress || reenviando_)
        return false;
    auto* tecla = static_cast<QKeyEvent*>(evento);
    // Shortcuts (copy, paste, ...) are not typing.
    if (tecla->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;

    libTESK& lib = libTESK::instancia();
    if (opciones_.flechas)
        lib.Teclas(static_cast<std::int16_t>(codigoTecla(tecla->key())));

    std::int16_t codigo = 0;
    if (tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter)
        codigo = 13;
    else if (tecla->key() == Qt::Key_Backspace)
        codigo = 8;
    else if (tecla->text().size() == 1 && tecla->text().at(0).isPrint())
        codigo = static_cast<std::int16_t>(tecla->text().at(0).unicode());
    else
        return false;  // not a typed character

    const std::int16_t original = codigo;
    lib.Enter(codigo, opciones_.plantilla);
    if (codigo == 0)
        return true;
    if (codigo == original)
        return false;
    // Deliver the converted character instead of the typed one.
    const QString nuevo(QChar(static_cast<char16_t>(codigo)));
    QKeyEvent reemplazo(QEvent::KeyPress, 0, tecla->modifiers(), nuevo);
    reenviando_ = true;
    QCoreApplication::sendEvent(objeto, &reemplazo);
    reenviando_ = false;
    return true;
}

}  // namespace quilmaro
