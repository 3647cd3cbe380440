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
constexpr bool kMultimedia = true;
#else
constexpr bool kMultimedia = false;
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

}  // namespace

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
