// PlaySonido: what it does with files it cannot play, and how long a sound holds the caller.

#include <gtest/gtest.h>

#include <QDataStream>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cmath>

#include "CarpetaTemporal.h"
#include "PlataformaPrueba.h"
#include "core/libTESK.h"

#ifdef QUILMARO_CON_MULTIMEDIA
#include <QAudioDevice>
#include <QMediaDevices>
#endif

using namespace quilmaro;

namespace {

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
