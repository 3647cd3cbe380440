#include "core/CajaImagen.h"

namespace quilmaro {

CajaImagen::CajaImagen(QSize tamanio) : imagen_(tamanio, QImage::Format_RGB32) {
    limpia();
}

void CajaImagen::redimensiona(QSize tamanio) {
    imagen_ = QImage(tamanio, QImage::Format_RGB32);
    limpia();
}

void CajaImagen::limpia() {
    imagen_.fill(fondo);
}

}  // namespace quilmaro
