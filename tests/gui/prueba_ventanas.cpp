// Window helpers: the gradient of Fade band by band, centring a window and the folder dialog.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "core/libTESK.h"
#include "gui/Degradado.h"

using namespace quilmaro;

namespace {

int azul(const QImage& img, int x, int y) {
    const QRgb p = img.pixel(x, y);
    EXPECT_EQ(qRed(p), 0) << x << "," << y;
    EXPECT_EQ(qGreen(p), 0) << x << "," << y;
    return qBlue(p);
}

QImage lienzo(int ancho, int alto) {
    QImage img(ancho, alto, QImage::Format_RGB32);
    img.fill(Qt::red);  // anything the gradient leaves unpainted shows
    return img;
}

// Runs `accion` on the modal dialog as soon as it is shown.
void alAbrirDialogo(std::function<void(QFileDialog*)> accion) {
    auto* reloj = new QTimer;
    QObject::connect(reloj, &QTimer::timeout, [reloj, accion] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            reloj->stop();
            reloj->deleteLater();
            accion(d);
        }
    });
    reloj->start(20);
}

}  // namespace

TEST(Degradado, BandasYEstilos) {
    // Depth of the display, bands, and the depth taken (an unknown depth counts as 4 bits).
    using P = std::tuple<int, int, int>;
    for (auto [profundidad, bandas, tomada] :
         {P{4, 64, 4}, P{8, 64, 8}, P{15, 32, 15}, P{16, 256, 16}, P{24, 256, 24}, P{32, 256, 32},
          P{0, 64, 4}, P{1, 64, 4}, P{2, 64, 4}, P{30, 64, 4}, P{48, 64, 4}}) {
        EXPECT_EQ(degradado::paraProfundidad(profundidad).bandas, bandas) << profundidad;
        EXPECT_EQ(degradado::paraProfundidad(profundidad).profundidad, tomada) << profundidad;
    }

    // Style 1 darkens toward the bottom, 2 (and any unknown style) toward the right, 0 toward
    // both; the blue of each pixel.
    struct C {
        int estilo, bandas, ancho, alto;
        int (*azul)(int x, int y);
    };
    for (C c : {C{1, 256, 300, 512, [](int, int y) { return (511 - y) / 2; }},
                C{2, 32, 256, 10, [](int x, int) { return (255 - x) / 8 * 8; }},
                C{5, 32, 256, 10, [](int x, int) { return (255 - x) / 8 * 8; }},
                C{0, 256, 512, 512, [](int x, int y) { return std::min(511 - x, 511 - y) / 2; }},
                // Bands that do not divide the height: 64 of three rows from the bottom, pure
                // blue above.
                C{1, 64, 100, 200, [](int, int y) { return y < 8 ? 255 : (199 - y) / 3 * 4; }}}) {
        QImage img = lienzo(c.ancho, c.alto);
        degradado::dibuja(img, c.estilo, c.bandas);
        for (int y = 0; y < c.alto; y += (c.alto > 100 ? 7 : 1))
            for (int x = 0; x < c.ancho; x += 3)
                ASSERT_EQ(azul(img, x, y), c.azul(x, y))
                    << "estilo " << c.estilo << " en " << x << "," << y;
        EXPECT_EQ(azul(img, c.ancho - 1, c.alto - 1), 0) << c.estilo;
    }
}

TEST(Ventanas, DegradadoYCentrado) {
    tesk().Fade(nullptr, 1);  // no window, nothing to do
    QWidget ventana;
    ventana.resize(320, 256);
    tesk().Fade(&ventana, 1);
    // The bands of this display, kept from the first window on; the picture stays through a
    // later repaint.
    const int bandas = degradado::paraProfundidad(ventana.depth()).bandas;
    ASSERT_TRUE(degradado::cache() && degradado::cache()->bandas == bandas);
    QImage esperada = lienzo(320, 256);
    degradado::dibuja(esperada, 1, bandas);
    ventana.repaint();
    EXPECT_EQ(ventana.grab().toImage().convertToFormat(QImage::Format_RGB32), esperada);
    // Style 3 only sets the dark-blue background.
    tesk().Fade(&ventana, 3);
    EXPECT_EQ(QColor(ventana.grab().toImage().pixel(319, 255)), QColor(0, 0, 127));

    const QRect area = ventana.screen()->geometry();
    for (const QSize tamanio : {QSize(300, 200), QSize(301, 201), QSize(area.width() + 201, 50)}) {
        ventana.resize(tamanio);
        ventana.move(7, 9);
        tesk().CentraVentana(&ventana);
        // Whole division, the fraction cut (toward zero also when the window is larger).
        EXPECT_EQ(ventana.pos(), QPoint(area.x() + (area.width() - tamanio.width()) / 2,
                                        area.y() + (area.height() - tamanio.height()) / 2))
            << tamanio.width();
    }
    tesk().CentraVentana(nullptr);
}

TEST(Ventanas, DialogoDeCarpeta) {
    QWidget duenia;
    QTemporaryDir dir;
    QString titulo;
    QWidget* padre = nullptr;
    alAbrirDialogo([&](QFileDialog* d) {
        titulo = d->windowTitle();
        padre = d->parentWidget();
        d->reject();
    });
    EXPECT_EQ(tesk().Carpeta(&duenia), "");
    EXPECT_EQ(titulo, QDir::toNativeSeparators(QDir::rootPath()));
    EXPECT_EQ(padre, &duenia);

    alAbrirDialogo([&](QFileDialog* d) {
        EXPECT_EQ(d->fileMode(), QFileDialog::Directory);
        d->setDirectory(dir.path());
        static_cast<QDialog*>(d)->accept();  // the dialog's own accept, through its base
    });
    EXPECT_EQ(tesk().Carpeta(&duenia), QDir::toNativeSeparators(dir.path()));
}
