#include "PlataformaPrueba.h"

#include <QStringList>

namespace quilmaro::prueba {

PlataformaPrueba::PlataformaPrueba() {
    anterior_ = instalaPlataforma(this);
}

PlataformaPrueba::~PlataformaPrueba() {
    instalaPlataforma(anterior_);
}

QStringList PlataformaPrueba::textos() const {
    QStringList t;
    for (const Mensaje& m : mensajes_)
        t.append(m.texto);
    return t;
}

void PlataformaPrueba::limpia() {
    respuestas_.clear();
    mensajes_.clear();
    tabs_.clear();
    pitidos_ = pasesDeEventos_ = vecesOcupado_ = nivelOcupado_ = 0;
    terminado_ = false;
}

Respuesta PlataformaPrueba::mensaje(const Mensaje& m) {
    mensajes_.append(m);
    if (alMostrarMensaje)
        alMostrarMensaje(m);
    if (!respuestas_.empty()) {
        const Respuesta r = respuestas_.front();
        respuestas_.pop_front();
        return r;
    }
    if (m.botones == Botones::Aceptar)
        return Respuesta::Aceptar;
    return m.predeterminado;
}

void PlataformaPrueba::cursorOcupado(bool activo) {
    if (activo) {
        ++vecesOcupado_;
        ++nivelOcupado_;
    } else if (nivelOcupado_ > 0) {
        --nivelOcupado_;
    }
}

void PlataformaPrueba::procesaEventos() {
    ++pasesDeEventos_;
    if (alProcesarEventos)
        alProcesarEventos();
}

void PlataformaPrueba::terminaProceso(int codigo) {
    terminado_ = true;
    throw ProcesoTerminado{codigo};
}

}  // namespace quilmaro::prueba
