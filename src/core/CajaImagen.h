#pragma once
// A drawing surface the utility methods paint on (a progress bar, a gradient). A window shows
// it through a widget that listens to alRefrescar; without a window it is just an image.

#include <QColor>
#include <QFont>
#include <QImage>
#include <functional>

namespace quilmaro {

class CajaImagen {
  public:
    explicit CajaImagen(QSize tamanio = QSize(200, 20));

    QImage& imagen() { return imagen_; }
    const QImage& imagen() const { return imagen_; }
    void redimensiona(QSize tamanio);

    QColor fondo = Qt::white;
    QColor colorFrente = Qt::black;
    QFont fuente;
    // Whether the drawing persists when the window repaints.
    bool autoRedibujo = false;
    // Called after each finished drawing, so that the window shows it.
    std::function<void()> alRefrescar;

    void limpia();
    void refresca() {
        if (alRefrescar)
            alRefrescar();
    }

  private:
    QImage imagen_;
};

}  // namespace quilmaro
