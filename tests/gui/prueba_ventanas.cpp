// Window helpers: the gradient of Fade band by band, centring a window, the folder dialog, and
// PlaySonido: what it does with files it cannot play, and how long a sound holds the caller.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <functional>

#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "core/libTESK.h"
#include "gui/Degradado.h"

#ifdef QUILMARO_CON_MULTIMEDIA
#include <QAudioDevice>
#include <QMediaDevices>
constexpr bool kMultimedia = true;
#else
constexpr bool kMultimedia = false;
#endif

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

// A WAV file of `milisegundos` of a 440 Hz tone, 16-bit mono at 8,000 samples a second.
QByteArray tono(int milisegundos) {
    const quint32 muestras = 8 * static_cast<quint32>(milisegundos);
    QByteArray wav;
    QDataStream s(&wav, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.writeRawData("RIFF", 4);
    s << quint32(36 + 2 * muestras);
    s.writeRawData("WAVEfmt ", 8);
    // PCM, mono, samples and bytes a second, bytes and bits a sample
    s << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2)
      << quint16(16);
    s.writeRawData("data", 4);
    s << quint32(2 * muestras);
    for (quint32 i = 0; i < muestras; ++i)
        s << static_cast<qint16>(6000 * std::sin(2 * M_PI * 440 * i / 8000.0));
    return wav;
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

TEST(Sonido, ArchivosQueNoSuenanYEspera) {
    QTemporaryDir dir;
    ASSERT_TRUE(prueba::escribeBytes(dir.filePath("aviso.wav"), tono(400)) &&
                prueba::escribeBytes(dir.filePath("nota.wav"), "esto no es un sonido") &&
                prueba::escribeBytes(dir.filePath("vacio.wav"), tono(0)));
    bool haySalida = false;
#ifdef QUILMARO_CON_MULTIMEDIA
    haySalida = !QMediaDevices::defaultAudioOutput().isNull();
#endif
    prueba::PlataformaPrueba plataforma;
    // File, flags, beeps, and how long the call holds the caller: -1 not measured, 0 returns at
    // once, 1 to the end of the sound. What cannot be played beeps unless flag 2 asks for silence;
    // flag 1 returns while the sound plays, 8 loops it; an empty name only stops what plays.
    // Without the multimedia module nothing sounds and nothing beeps.
    using C = std::tuple<QString, std::int32_t, int, int>;
    for (const auto& [archivo, bandera, pitidos, espera] :
         {C{"no-existe.wav", 0, 1, -1}, C{"no-existe.wav", 2, 0, -1}, C{"no-existe.wav", 3, 0, -1},
          C{"nota.wav", 1, 1, -1}, C{".", 0, 1, -1}, C{"vacio.wav", 0, 1, -1}, C{"", 0, 0, -1},
          C{"aviso.wav", 0, 0, 1}, C{"aviso.wav", 1, 0, 0}, C{"aviso.wav", 1 | 8, 0, 0}}) {
        plataforma.limpia();
        QElapsedTimer reloj;
        reloj.start();
        tesk().PlaySonido(archivo.isEmpty() ? archivo : dir.filePath(archivo), bandera);
        EXPECT_EQ(plataforma.pitidos(), kMultimedia ? pitidos : 0) << qPrintable(archivo);
        if (espera >= 0) {
            EXPECT_LT(reloj.elapsed(), espera ? 400 + 2500 : 300) << bandera;
        }
        if (espera > 0 && haySalida) {
            EXPECT_GE(reloj.elapsed(), 350);
        }
    }
    tesk().PlaySonido("", 0);
}
