#pragma once
// The seam between the program and the window system. Every message box, beep, busy pointer,
// pending-event pass, keystroke queueing and process end goes through the installed Plataforma,
// so that each routine can run without a person at the screen.

#include <QString>

namespace quilmaro {

enum class Botones { Aceptar, SiNo };
enum class Icono { Ninguno, Critico, Pregunta, Exclamacion, Informacion };
enum class Respuesta { Aceptar, Si, No };

struct Mensaje {
    QString texto;
    QString titulo;
    Botones botones = Botones::Aceptar;
    Icono icono = Icono::Ninguno;
    // The button that Enter presses; with Yes/No it is Respuesta::Si or Respuesta::No.
    Respuesta predeterminado = Respuesta::Aceptar;
};

// Thrown by a Plataforma that does not end the process for real (the test double).
struct ProcesoTerminado {
    int codigo = 0;
};

class Plataforma {
  public:
    virtual ~Plataforma() = default;

    // Shows a modal message box and returns the button pressed.
    virtual Respuesta mensaje(const Mensaje& m) = 0;
    // The system's default beep.
    virtual void beep() = 0;
    // Turns the busy (hourglass) pointer on or off.
    virtual void cursorOcupado(bool activo) = 0;
    // Lets the window system process pending events.
    virtual void procesaEventos() = 0;
    // Ends the process at once, without running the windows' close handlers.
    [[noreturn]] virtual void terminaProceso(int codigo) = 0;
    // Queues a Tab (or Shift+Tab when atras) to the active window, delivered after the current
    // event.
    virtual void enviaTab(bool atras) = 0;
};

// The installed platform. Until one is installed, a console platform answers: it writes
// messages to the standard error stream and answers with the default button.
Plataforma& plataforma();

// Installs p (not owned; nullptr restores the console platform). Returns the previous one.
Plataforma* instalaPlataforma(Plataforma* p);

// Shorthands for the common message boxes.
Respuesta muestraMensaje(const QString& texto, const QString& titulo, Botones botones, Icono icono,
                         Respuesta predeterminado = Respuesta::Aceptar);

// Busy pointer for the lifetime of the object.
class CursorOcupado {
  public:
    CursorOcupado() { plataforma().cursorOcupado(true); }
    ~CursorOcupado() { plataforma().cursorOcupado(false); }
    CursorOcupado(const CursorOcupado&) = delete;
    CursorOcupado& operator=(const CursorOcupado&) = delete;
};

}  // namespace quilmaro
