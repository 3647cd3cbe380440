// PlaySonido: WAV files through Qt Multimedia. Built without it, the method does nothing.

#include "core/libTESK.h"

#ifdef QUILMARO_CON_MULTIMEDIA

#include <QAudioDevice>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <QtEndian>
#include <memory>

#include "platform/Plataforma.h"

namespace quilmaro {

namespace {

// Flags of the call, as the system the program comes from numbers them.
constexpr std::int32_t kAsincrono = 0x1;            // return while it plays
constexpr std::int32_t kSinSonidoPorOmision = 0x2;  // no beep when the file cannot be played
constexpr std::int32_t kRepite = 0x8;               // loop (only while playing asynchronously)

// The sound left playing by an asynchronous call; a new call or an empty name stops it. It
// belongs to the application, which removes it at the end at the latest.
QPointer<QSoundEffect> sonidoEnCurso;

// Length of a WAV file in milliseconds from its header; 0 when it cannot be told.
qint64 duracionWav(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray cabecera = f.read(4096);
    if (cabecera.size() < 12 || !cabecera.startsWith("RIFF") || cabecera.mid(8, 4) != "WAVE")
        return 0;
    quint32 bytesPorSegundo = 0, datos = 0;
    for (qsizetype i = 12; i + 8 <= cabecera.size();) {
        const QByteArray id = cabecera.mid(i, 4);
        const quint32 largo = qFromLittleEndian<quint32>(cabecera.constData() + i + 4);
        if (id == "fmt " && i + 16 <= cabecera.size())
            bytesPorSegundo = qFromLittleEndian<quint32>(cabecera.constData() + i + 16);
        if (id == "data") {
            datos = largo;
            break;
        }
        i += 8 + static_cast<qsizetype>(largo) + (largo & 1);
    }
    if (bytesPorSegundo == 0 || datos == 0)
        return 0;
    return static_cast<qint64>(datos) * 1000 / bytesPorSegundo;
}

}  // namespace

void libTESK::PlaySonido(const QString& Archivo, std::int32_t Bandera_0_1) {
    delete sonidoEnCurso.data();
    if (Archivo.isEmpty())
        return;
    const bool avisar = !(Bandera_0_1 & kSinSonidoPorOmision);
    const QFileInfo info(Archivo);
    const qint64 duracion = info.isFile() ? duracionWav(Archivo) : 0;
    if (duracion <= 0) {
        // Not a sound file it can play: the default sound instead.
        if (avisar)
            plataforma().beep();
        return;
    }
    // Without a sound output there is nothing to play it on, nor a default sound.
    if (QMediaDevices::defaultAudioOutput().isNull())
        return;
    auto efecto = std::make_unique<QSoundEffect>();
    efecto->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    const bool asincrono = Bandera_0_1 & kAsincrono;
    efecto->setLoopCount(asincrono && (Bandera_0_1 & kRepite) ? QSoundEffect::Infinite : 1);
    if (asincrono) {
        efecto->setParent(QCoreApplication::instance());
        efecto->play();
        sonidoEnCurso = efecto.release();
        return;
    }
    // Plays to the end before returning. The windows keep painting meanwhile, but the user's
    // keys and clicks wait; the wait is bounded by the file's length.
    QEventLoop espera;
    bool empezo = false, fallo = false;
    QObject::connect(efecto.get(), &QSoundEffect::playingChanged, &espera, [&] {
        if (efecto->isPlaying())
            empezo = true;
        else if (empezo)
            espera.quit();
    });
    QObject::connect(efecto.get(), &QSoundEffect::statusChanged, &espera, [&] {
        if (efecto->status() == QSoundEffect::Error) {
            fallo = true;
            espera.quit();
        }
    });
    QTimer::singleShot(duracion + 2000, &espera, &QEventLoop::quit);
    efecto->play();
    if (efecto->status() != QSoundEffect::Error)
        espera.exec(QEventLoop::ExcludeUserInputEvents);
    else
        fallo = true;
    if (fallo && avisar)
        plataforma().beep();
}

}  // namespace quilmaro

#else

namespace quilmaro {

void libTESK::PlaySonido(const QString&, std::int32_t) {}

}  // namespace quilmaro

#endif
