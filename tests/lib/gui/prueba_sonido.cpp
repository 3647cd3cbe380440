// PlaySonido: what it does with files it cannot play, and how long a sound holds the caller.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>

#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "lib/libTESK.h"

#ifdef QUILMARO_CON_MULTIMEDIA
#include <QAudioDevice>
#include <QMediaDevices>
#endif

using namespace quilmaro;

namespace {

// A WAV file of `milisegundos` of a 440 Hz tone, 16-bit mono at 8,000 samples a second.
QByteArray tono(int milisegundos) {
    const int muestras = 8 * milisegundos;
    QByteArray datos(muestras * 2, '\0');
    for (int i = 0; i < muestras; ++i)
        qToLittleEndian<qint16>(static_cast<qint16>(6000 * std::sin(2 * M_PI * 440 * i / 8000.0)),
                                datos.data() + 2 * i);
    QByteArray wav;
    auto palabra = [&](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        wav.append(b, 4);
    };
    auto media = [&](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        wav.append(b, 2);
    };
    wav.append("RIFF");
    palabra(36 + static_cast<quint32>(datos.size()));
    wav.append("WAVEfmt ");
    palabra(16);
    media(1);        // PCM
    media(1);        // mono
    palabra(8000);   // samples a second
    palabra(16000);  // bytes a second
    media(2);        // bytes a sample
    media(16);       // bits a sample
    wav.append("data");
    palabra(static_cast<quint32>(datos.size()));
    return wav + datos;
}

bool haySalidaDeSonido() {
#ifdef QUILMARO_CON_MULTIMEDIA
    return !QMediaDevices::defaultAudioOutput().isNull();
#else
    return false;
#endif
}

class Sonido : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        wav = dir.filePath("aviso.wav");
        ASSERT_TRUE(prueba::escribeBytes(wav, tono(400)));
    }
    void TearDown() override { t.PlaySonido("", 0); }
    QTemporaryDir dir;
    QString wav;
    prueba::PlataformaPrueba plataforma;
    libTESK& t = tesk();
};

}  // namespace

#ifdef QUILMARO_CON_MULTIMEDIA

TEST_F(Sonido, ArchivosQueNoSuenan) {
    // What cannot be played gives the default sound (a beep), unless flag 2 asks for silence.
    t.PlaySonido(dir.filePath("no-existe.wav"), 0);
    EXPECT_EQ(plataforma.pitidos(), 1);
    t.PlaySonido(dir.filePath("no-existe.wav"), 2);
    t.PlaySonido(dir.filePath("no-existe.wav"), 3);
    EXPECT_EQ(plataforma.pitidos(), 1);
    const QString texto = dir.filePath("nota.wav");
    ASSERT_TRUE(prueba::escribeBytes(texto, "esto no es un sonido"));
    t.PlaySonido(texto, 1);
    t.PlaySonido(dir.path(), 0);
    EXPECT_EQ(plataforma.pitidos(), 3);
    QByteArray vacio = tono(0);
    ASSERT_TRUE(prueba::escribeBytes(texto, vacio));
    t.PlaySonido(texto, 0);
    EXPECT_EQ(plataforma.pitidos(), 4);
    // An empty name only stops what is playing.
    t.PlaySonido("", 0);
    EXPECT_EQ(plataforma.pitidos(), 4);
}

TEST_F(Sonido, EsperaONo) {
    QElapsedTimer reloj;
    reloj.start();
    t.PlaySonido(wav, 0);  // to the end before returning (when there is where to play it)
    const qint64 sincrono = reloj.elapsed();
    EXPECT_EQ(plataforma.pitidos(), 0);
    EXPECT_LT(sincrono, 400 + 2500);
    if (haySalidaDeSonido()) {
        EXPECT_GE(sincrono, 350);
    }

    reloj.restart();
    t.PlaySonido(wav, 1);      // returns while it plays
    t.PlaySonido(wav, 1 | 8);  // loops until stopped
    EXPECT_LT(reloj.elapsed(), 300);
    t.PlaySonido("", 0);
    EXPECT_EQ(plataforma.pitidos(), 0);
}

#else

TEST_F(Sonido, SinMultimediaNoHaceNada) {
    t.PlaySonido(dir.filePath("no-existe.wav"), 0);
    t.PlaySonido(wav, 0);
    EXPECT_EQ(plataforma.pitidos(), 0);
}

#endif
