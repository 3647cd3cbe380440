// Window helpers of libTESK: the gradient background, centring a window and the folder dialog.

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <cmath>

#include "core/Biblioteca.h"
#include "core/libTESK.h"
#include "gui/Degradado.h"

namespace quilmaro {

namespace {

// Filled on the first Fade of the program, from its window, and kept.
std::optional<degradado::Bandas> bandasDelPrograma;

int redondea(double v) {
    return static_cast<int>(std::nearbyint(v));
}

// Fills the rectangle from (izquierda, arriba) to (derecha, abajo), the last two excluded.
void llena(QPainter& p, int izquierda, int arriba, int derecha, int abajo, const QColor& c) {
    if (derecha > izquierda && abajo > arriba)
        p.fillRect(QRect(izquierda, arriba, derecha - izquierda, abajo - arriba), c);
}

}  // namespace

degradado::Bandas degradado::paraProfundidad(int profundidad) {
    switch (profundidad) {
        case 4:
        case 8:
            return {profundidad, 64};
        case 15:
            return {profundidad, 32};
        case 16:
        case 24:
        case 32:
            return {profundidad, 256};
        default:
            return {4, 64};
    }
}

void degradado::dibuja(QImage& imagen, std::int16_t estilo, int bandas) {
    const int ancho = imagen.width(), alto = imagen.height();
    const int pasoAzul = redondea(256.0 / bandas);
    const int altoBanda = redondea(static_cast<double>(alto) / bandas);
    const int anchoBanda = redondea(static_cast<double>(ancho) / bandas);
    int derecha = ancho, abajo = alto, azul = 0;
    QPainter p(&imagen);
    for (int i = 0; i < bandas; ++i) {
        const QColor color(0, 0, std::min(azul, 255));
        switch (estilo) {
            case 0:
                llena(p, 0, abajo - altoBanda, derecha, abajo, color);
                llena(p, derecha - anchoBanda, 0, derecha, abajo, color);
                abajo -= altoBanda;
                derecha -= anchoBanda;
                break;
            case 1:
                llena(p, 0, abajo - altoBanda, ancho, abajo, color);
                abajo -= altoBanda;
                break;
            default:
                llena(p, derecha - anchoBanda, 0, derecha, alto, color);
                derecha -= anchoBanda;
                break;
        }
        azul += pasoAzul;
    }
    llena(p, 0, 0, derecha, abajo, QColor(0, 0, 255));
}

std::optional<degradado::Bandas> degradado::cache() {
    return bandasDelPrograma;
}

// The picture becomes the window's background, so it stays through later repaints (stretched
// or tiled if the window is resized; a new Fade paints it again at the new size).
void PintaDegradado(QWidget* Forma, std::int16_t Estilo) {
    if (!Forma)
        return;
    if (!bandasDelPrograma)
        bandasDelPrograma = degradado::paraProfundidad(Forma->depth());
    QPalette paleta = Forma->palette();
    if (Estilo == 3) {
        paleta.setColor(QPalette::Window, QColor(0, 0, 127));
    } else {
        QImage imagen(Forma->size(), QImage::Format_RGB32);
        imagen.fill(Qt::black);
        degradado::dibuja(imagen, Estilo, bandasDelPrograma->bandas);
        paleta.setBrush(QPalette::Window, QBrush(QPixmap::fromImage(imagen)));
    }
    Forma->setPalette(paleta);
    Forma->setAutoFillBackground(true);
    Forma->update();
}

QString EligeCarpeta(QWidget* frmVentana) {
    // The dialog's title shows the root of the file system ("C:\" where there are drives).
    const QString titulo = QDir::toNativeSeparators(QDir::rootPath());
    const QString carpeta =
        QFileDialog::getExistingDirectory(frmVentana, titulo, QString(), QFileDialog::ShowDirsOnly);
    return QDir::toNativeSeparators(carpeta);
}

void libTESK::Fade(QWidget* Forma, std::int16_t Estilo_0_2) {
    PintaDegradado(Forma, Estilo_0_2);
}

void libTESK::CentraVentana(QWidget* Ventana) {
    if (!Ventana)
        return;
    QScreen* pantalla = Ventana->screen();
    if (!pantalla)
        pantalla = QGuiApplication::primaryScreen();
    if (!pantalla)
        return;
    const QRect area = pantalla->geometry();
    const QSize tamanio = Ventana->frameGeometry().size();
    Ventana->move(area.x() + (area.width() - tamanio.width()) / 2,
                  area.y() + (area.height() - tamanio.height()) / 2);
}

QString libTESK::Carpeta(QWidget* frmVentana) {
    return EligeCarpeta(frmVentana);
}

}  // namespace quilmaro
