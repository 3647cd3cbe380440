#include "platform/Plataforma.h"

#include <cstdio>
#include <cstdlib>

namespace quilmaro {

namespace {

class PlataformaConsola final : public Plataforma {
  public:
    Respuesta mensaje(const Mensaje& m) override {
        std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(m.titulo), qUtf8Printable(m.texto));
        if (m.botones == Botones::Aceptar)
            return Respuesta::Aceptar;
        return m.predeterminado == Respuesta::Si ? Respuesta::Si : Respuesta::No;
    }
    void beep() override {}
    void cursorOcupado(bool) override {}
    void procesaEventos() override {}
    [[noreturn]] void terminaProceso(int codigo) override {
        std::fflush(nullptr);
        std::_Exit(codigo);
    }
    void enviaTab(bool) override {}
};

PlataformaConsola& consola() {
    static PlataformaConsola c;
    return c;
}

Plataforma* instalada = nullptr;

}  // namespace

Plataforma& plataforma() {
    return instalada ? *instalada : consola();
}

Plataforma* instalaPlataforma(Plataforma* p) {
    Plataforma* anterior = instalada;
    instalada = p;
    return anterior;
}

Respuesta muestraMensaje(const QString& texto, const QString& titulo, Botones botones, Icono icono,
                         Respuesta predeterminado) {
    Mensaje m;
    m.texto = texto;
    m.titulo = titulo;
    m.botones = botones;
    m.icono = icono;
    m.predeterminado = predeterminado;
    return plataforma().mensaje(m);
}

}  // namespace quilmaro
