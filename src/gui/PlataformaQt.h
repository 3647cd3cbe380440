#pragma once
// The window-system implementation of the seam: real message boxes, the real pointer and beep.

#include "platform/Plataforma.h"

namespace quilmaro {

class PlataformaQt final : public Plataforma {
  public:
    Respuesta mensaje(const Mensaje& m) override;
    void beep() override;
    void cursorOcupado(bool activo) override;
    void procesaEventos() override;
    [[noreturn]] void terminaProceso(int codigo) override;
    void enviaTab(bool atras) override;
};

}  // namespace quilmaro
