#pragma once
// Test double of the window-system seam: records every call, answers message boxes from a queue
// and turns the end of the process into an exception (quilmaro::ProcesoTerminado).

#include <QList>
#include <deque>
#include <functional>

#include "platform/Plataforma.h"

namespace quilmaro::prueba {

class PlataformaPrueba final : public Plataforma {
  public:
    // Installs itself on construction and restores the previous platform on destruction.
    PlataformaPrueba();
    ~PlataformaPrueba() override;

    // Answers for the next message boxes, in order. With the queue empty a message box answers
    // its default button.
    void responde(Respuesta r) { respuestas_.push_back(r); }
    void responde(std::initializer_list<Respuesta> rs) {
        for (Respuesta r : rs)
            respuestas_.push_back(r);
    }

    const QList<Mensaje>& mensajes() const { return mensajes_; }
    QStringList textos() const;
    int pitidos() const { return pitidos_; }
    int pasesDeEventos() const { return pasesDeEventos_; }
    // Busy pointer: how many times it was turned on, and whether it is on now.
    int vecesOcupado() const { return vecesOcupado_; }
    bool ocupado() const { return nivelOcupado_ > 0; }
    // Tabs queued: true for Shift+Tab.
    const QList<bool>& tabs() const { return tabs_; }
    bool terminado() const { return terminado_; }
    void limpia();

    // A hook run at each pending-event pass (tests use it to act in the middle of a loop).
    std::function<void()> alProcesarEventos;
    // A hook run when a message box is shown, before it is answered.
    std::function<void(const Mensaje&)> alMostrarMensaje;

    Respuesta mensaje(const Mensaje& m) override;
    void beep() override { ++pitidos_; }
    void cursorOcupado(bool activo) override;
    void procesaEventos() override;
    [[noreturn]] void terminaProceso(int codigo) override;
    void enviaTab(bool atras) override {
        tabs_.append(atras);
        if (alEnviarTab)
            alEnviarTab(atras);
    }
    // A hook run when a Tab is queued (window tests pass it on to the real platform).
    std::function<void(bool)> alEnviarTab;

  private:
    Plataforma* anterior_ = nullptr;
    std::deque<Respuesta> respuestas_;
    QList<Mensaje> mensajes_;
    QList<bool> tabs_;
    int pitidos_ = 0;
    int pasesDeEventos_ = 0;
    int vecesOcupado_ = 0;
    int nivelOcupado_ = 0;
    bool terminado_ = false;
};

}  // namespace quilmaro::prueba
