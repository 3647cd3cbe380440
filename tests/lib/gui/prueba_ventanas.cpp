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

#include "lib/gui/Degradado.h"
#include "lib/libTESK.h"

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

TEST(Degradado, BandasPorProfundidad) {
    using degradado::paraProfundidad;
    EXPECT_EQ(paraProfundidad(4).bandas, 64);
    EXPECT_EQ(paraProfundidad(8).bandas, 64);
    EXPECT_EQ(paraProfundidad(15).bandas, 32);
    EXPECT_EQ(paraProfundidad(16).bandas, 256);
    EXPECT_EQ(paraProfundidad(24).bandas, 256);
    EXPECT_EQ(paraProfundidad(32).bandas, 256);
    EXPECT_EQ(paraProfundidad(32).profundidad, 32);
    for (int rara : {0, 1, 2, 30, 48}) {
        EXPECT_EQ(paraProfundidad(rara).bandas, 64) << rara;
        EXPECT_EQ(paraProfundidad(rara).profundidad, 4) << rara;
    }
}

TEST(Degradado, HaciaAbajo) {
    // 24-bit colour: 256 bands of two rows each, blue 0 at the bottom up to 255 at the top.
    QImage img = lienzo(300, 512);
    degradado::dibuja(img, 1, 256);
    for (int y = 0; y < 512; ++y) {
        const int esperado = (511 - y) / 2;
        EXPECT_EQ(azul(img, 0, y), esperado) << y;
        EXPECT_EQ(azul(img, 299, y), esperado) << y;
    }
    // 8-bit colour: 64 bands of three rows (200 / 64 rounded) with blue 0, 4 ... 252; the eight
    // rows above them are pure blue.
    QImage ocho = lienzo(100, 200);
    degradado::dibuja(ocho, 1, 64);
    EXPECT_EQ(azul(ocho, 50, 199), 0);
    EXPECT_EQ(azul(ocho, 50, 196), 4);
    EXPECT_EQ(azul(ocho, 50, 8), 252);
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(azul(ocho, 50, y), 255) << y;
}

TEST(Degradado, HaciaLaDerechaYEnEsquina) {
    // 15-bit colour: 32 bands of eight columns, blue steps of 8.
    QImage img = lienzo(256, 10);
    degradado::dibuja(img, 2, 32);
    for (int x = 0; x < 256; ++x)
        EXPECT_EQ(azul(img, x, 5), (255 - x) / 8 * 8) << x;
    // Any other style is the right-hand gradient.
    QImage cinco = lienzo(256, 10);
    degradado::dibuja(cinco, 5, 32);
    EXPECT_EQ(cinco, img);

    // Style 0: dark toward both the bottom and the right edge.
    QImage esquina = lienzo(512, 512);
    degradado::dibuja(esquina, 0, 256);
    for (int y = 0; y < 512; y += 37)
        for (int x = 0; x < 512; x += 41)
            EXPECT_EQ(azul(esquina, x, y), std::min(511 - x, 511 - y) / 2) << x << "," << y;
    EXPECT_EQ(azul(esquina, 511, 0), 0);
    EXPECT_EQ(azul(esquina, 0, 511), 0);
    EXPECT_EQ(azul(esquina, 0, 0), 255);
}

TEST(Degradado, SobreUnaVentana) {
    libTESK& t = tesk();
    t.Fade(nullptr, 1);  // no window, nothing to do
    QWidget ventana;
    ventana.resize(320, 256);
    t.Fade(&ventana, 1);
    // The bands of this display, kept from the first window on.
    const auto cache = degradado::cache();
    ASSERT_TRUE(cache);
    EXPECT_EQ(cache->bandas, degradado::paraProfundidad(ventana.depth()).bandas);
    const int bandas = cache->bandas;
    const int paso = qRound(256.0 / bandas);
    const int alto = qRound(256.0 / bandas);  // rows per band on a window 256 high

    const QImage imagen = ventana.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(imagen.size(), QSize(320, 256));
    for (int y = 0; y < 256; ++y) {
        const int banda = (255 - y) / alto;
        const int esperado = banda < bandas ? banda * paso : 255;
        EXPECT_EQ(azul(imagen, 10, y), esperado) << y;
        EXPECT_EQ(azul(imagen, 310, y), esperado) << y;
    }
    // The picture stays through a later repaint.
    ventana.repaint();
    EXPECT_EQ(ventana.grab().toImage().convertToFormat(QImage::Format_RGB32), imagen);

    // Style 3 only sets the dark-blue background.
    t.Fade(&ventana, 3);
    EXPECT_EQ(ventana.palette().color(QPalette::Window), QColor(0, 0, 127));
    const QImage oscura = ventana.grab().toImage();
    EXPECT_EQ(QColor(oscura.pixel(0, 0)), QColor(0, 0, 127));
    EXPECT_EQ(QColor(oscura.pixel(319, 255)), QColor(0, 0, 127));
}

TEST(Ventanas, CentraEnLaPantalla) {
    QWidget ventana;
    QScreen* pantalla = ventana.screen();
    ASSERT_TRUE(pantalla);
    const QRect area = pantalla->geometry();
    for (const QSize tamanio : {QSize(300, 200), QSize(301, 201), QSize(area.width() + 201, 50)}) {
        ventana.resize(tamanio);
        ventana.move(7, 9);
        tesk().CentraVentana(&ventana);
        // Whole division, the fraction cut (toward zero also when the window is larger).
        EXPECT_EQ(ventana.pos(), QPoint(area.x() + (area.width() - tamanio.width()) / 2,
                                        area.y() + (area.height() - tamanio.height()) / 2))
            << tamanio.width();
    }
    EXPECT_EQ(ventana.pos().x(), area.x() - 100);
    tesk().CentraVentana(nullptr);
}

TEST(Ventanas, DialogoDeCarpeta) {
    QWidget duenia;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

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
