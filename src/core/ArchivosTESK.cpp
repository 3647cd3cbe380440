// Settings files and plain-file helpers of libTESK.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <cerrno>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "core/Archivos.h"
#include "core/ArchivosTexto.h"
#include "core/libTESK.h"
#include "platform/Plataforma.h"

namespace quilmaro {

namespace {

const QString kArchivoPredeterminado = QStringLiteral("INICIO.INI");
const QString kCopiaIni = QStringLiteral("COPIA.INI");

bool esBlanco(const QString& s) {
    for (QChar c : s)
        if (c != QLatin1Char(' '))
            return false;
    return true;
}

// Creates the file empty when it does not exist; throws the file error when it cannot.
void aseguraArchivo(const QString& ruta) {
    if (QFileInfo::exists(ruta))
        return;
    QFile f(ruta);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly))
        throw ErrorTESK(texto::errorDeSistema(errno ? errno : EACCES));
}

QStringList leeOLanza(const QString& ruta) {
    QStringList lineas;
    if (auto e = texto::leeLineas(ruta, lineas))
        throw ErrorTESK(*e);
    return lineas;
}

// The ordinary (not hidden, not a folder) file that a name stands for. Names match without
// regard to letter case, as on the file systems the program came from.
std::optional<QString> buscaArchivo(const QString& Archivo) {
    if (Archivo.isEmpty())
        return std::nullopt;
    auto ordinario = [](const QFileInfo& fi) {
        return fi.exists() && fi.isFile() && !archivos::esOculto(fi.absoluteFilePath());
    };
    const QFileInfo fi(Archivo);
    if (ordinario(fi))
        return Archivo;
    if (fi.exists())
        return std::nullopt;
    const QDir carpeta = fi.absoluteDir();
    if (!carpeta.exists())
        return std::nullopt;
    const QString nombre = fi.fileName();
    const QStringList entradas = carpeta.entryList(QDir::Files | QDir::System);
    for (const QString& e : entradas) {
        const QFileInfo candidato(carpeta, e);
        if (e.compare(nombre, Qt::CaseInsensitive) == 0 && ordinario(candidato))
            return candidato.filePath();
    }
    return std::nullopt;
}

// The file a settings routine works on: the existing one whatever its letter case, or a new
// empty one under the name given.
QString preparaArchivo(const QString& ruta) {
    if (auto real = buscaArchivo(ruta))
        return *real;
    aseguraArchivo(ruta);
    return ruta;
}

void muestraErrorCopia(const Error& e) {
    muestraMensaje(QStringLiteral("Error al copiar: No. %1, %2").arg(e.numero).arg(e.descripcion),
                   QStringLiteral("ERROR"), Botones::Aceptar, Icono::Critico);
}

// Index of the last path separator of the platform (and of "\" where it is one).
qsizetype finDeCarpeta(const QString& ruta) {
    qsizetype i = ruta.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    i = std::max(i, ruta.lastIndexOf(QLatin1Char('\\')));
#endif
    return i;
}

}  // namespace

QString libTESK::ObtenINI(const QString& cDato, QString& sArchivo) {
    if (esBlanco(sArchivo))
        sArchivo = kArchivoPredeterminado;
    QString resultado;
    const QStringList lineas = leeOLanza(preparaArchivo(sArchivo));
    for (qsizetype i = 0; i < lineas.size(); ++i) {
        plataforma().procesaEventos();
        if (lineas.at(i).compare(cDato, Qt::CaseInsensitive) == 0) {
            // A key on the last line has an empty value.
            if (i + 1 < lineas.size())
                resultado = lineas.at(i + 1);
            break;
        }
    }
    return resultado;
}

void libTESK::CambiaIni(const QString& cDato, const QString& cNuevoValor, QString& sArchivo) {
    if (esBlanco(sArchivo))
        sArchivo = kArchivoPredeterminado;
    const QString ruta = preparaArchivo(sArchivo);
    const QStringList lineas = leeOLanza(ruta);
    QStringList nuevas;
    nuevas.reserve(lineas.size() + 2);
    bool encontrada = false;
    for (qsizetype i = 0; i < lineas.size(); ++i) {
        plataforma().procesaEventos();
        nuevas.append(lineas.at(i));
        if (lineas.at(i).compare(cDato, Qt::CaseInsensitive) == 0) {
            encontrada = true;
            ++i;  // the old value, if there is one, is replaced
            nuevas.append(cNuevoValor);
        }
    }
    if (!encontrada) {
        nuevas.append(cDato);
        nuevas.append(cNuevoValor);
    }
    // The new content goes to COPIA.INI beside the file and then takes its place in one step, so
    // a failure leaves the old content whole.
    const QFileInfo info(ruta);
    const QString temporal = info.absoluteDir().filePath(kCopiaIni);
    const QString destino = info.absoluteFilePath();
    if (auto e = archivos::reemplazaAtomico(destino, texto::codificaLineas(nuevas), temporal))
        throw ErrorTESK(*e);
}

bool libTESK::HayArchivo(const QString& Archivo) {
    return buscaArchivo(Archivo).has_value();
}

namespace {

// Moves `total` bytes from origen to destino a block at a time, letting pending events run before
// each; `avance` gets the bytes copied so far after each block. The first failure is shown and
// ends the copy. A side that could not be opened was shown already: nothing is read or written.
void copiaPorBloques(QFile& origen, bool origenAbierto, QFile& destino, bool destinoAbierto,
                     qint64 total, const std::function<void(qint64)>& avance) {
    std::vector<char> bufer(static_cast<std::size_t>(libTESK::kBloqueCopia));
    qint64 restante = total;
    while (restante > 0) {
        plataforma().procesaEventos();
        const qint64 bloque = std::min(restante, libTESK::kBloqueCopia);
        errno = 0;
        const qint64 leidos = origenAbierto ? origen.read(bufer.data(), bloque) : -1;
        if (leidos != bloque) {
            muestraErrorCopia(texto::errorDeSistema(errno ? errno : EIO));
            return;
        }
        if (!destinoAbierto)
            return;
        errno = 0;
        if (destino.write(bufer.data(), bloque) != bloque) {
            muestraErrorCopia(texto::errorDeSistema(errno ? errno : EIO));
            return;
        }
        restante -= bloque;
        avance(total - restante);
    }
}

}  // namespace

void libTESK::Copia(const QString& Origen, const QString& Destino, bool blGraficar,
                    CajaImagen* pctPorc) {
    const bool graficar = blGraficar && pctPorc;
    std::int16_t porcentaje = 0;
    if (graficar)
        BarraPorcentaje(*pctPorc, porcentaje);

    // Copying a file onto itself would empty it before reading it: it is already in place.
    const QFileInfo fo(Origen), fd(Destino);
    if (fo.exists() && fd.exists() && fo.canonicalFilePath() == fd.canonicalFilePath()) {
        if (graficar) {
            porcentaje = 100;
            BarraPorcentaje(*pctPorc, porcentaje);
        }
        return;
    }

    QFile origen(Origen);
    errno = 0;
    const bool origenAbierto = origen.open(QIODevice::ReadOnly);
    if (!origenAbierto)
        muestraErrorCopia(texto::errorDeSistema(errno ? errno : ENOENT));
    if (!fo.exists())
        muestraErrorCopia(errores::deNumero(errores::ArchivoNoEncontrado));
    const qint64 total = fo.exists() ? fo.size() : 0;

    QFile destino(Destino);
    errno = 0;
    const bool destinoAbierto = destino.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!destinoAbierto)
        muestraErrorCopia(texto::errorDeSistema(errno ? errno : EACCES));

    copiaPorBloques(origen, origenAbierto, destino, destinoAbierto, total, [&](qint64 copiados) {
        if (!graficar)
            return;
        const double p =
            std::nearbyint(static_cast<double>(copiados) * 100.0 / static_cast<double>(total));
        porcentaje = static_cast<std::int16_t>(std::min(p, 100.0));
        BarraPorcentaje(*pctPorc, porcentaje);
    });
    origen.close();
    if (destinoAbierto) {
        errno = 0;
        if (!destino.flush())
            muestraErrorCopia(texto::errorDeSistema(errno ? errno : EIO));
        destino.close();
    }
    if (graficar) {
        porcentaje = 100;
        BarraPorcentaje(*pctPorc, porcentaje);
    }
}

void libTESK::BarraPorcentaje(CajaImagen& PictureBox, std::int16_t& Porcentaje) {
    plataforma().procesaEventos();
    if (Porcentaje < 0)
        Porcentaje = 0;
    if (Porcentaje > 100)
        Porcentaje = 100;
    PictureBox.colorFrente = QColor(0, 0, 255);
    if (!PictureBox.autoRedibujo)
        PictureBox.autoRedibujo = true;
    PictureBox.limpia();

    QImage& img = PictureBox.imagen();
    const double escalaX = img.width() / 100.0;  // 100 units across
    const int alto = img.height();
    QPainter p(&img);
    p.setFont(PictureBox.fuente);
    // "###" shows nothing for 0, so 0 gives "%" alone.
    const QString texto =
        (Porcentaje == 0 ? QString() : QString::number(Porcentaje)) + QLatin1Char('%');
    const QFontMetrics fm(PictureBox.fuente);
    const int anchoTexto = fm.horizontalAdvance(texto);
    const int x = static_cast<int>(std::lround(50 * escalaX - anchoTexto / 2.0));
    const int y = (alto - fm.height()) / 2;
    p.setPen(PictureBox.colorFrente);
    p.drawText(QRect(x, y, anchoTexto, fm.height()), Qt::AlignLeft | Qt::AlignTop, texto);
    // The bar inverts what it covers: the text under it shows in the background colour.
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    const int anchoBarra = static_cast<int>(std::lround(Porcentaje * escalaX));
    p.fillRect(QRect(0, 0, anchoBarra, alto), PictureBox.colorFrente);
    p.end();
    PictureBox.refresca();
}

QString libTESK::ArchivoTemporal(QString& sMascara, QString& sDeterminante) {
    if (sMascara.isEmpty())
        sMascara = QStringLiteral("TEMPORAL");
    if (sDeterminante.isEmpty())
        sDeterminante = QStringLiteral("TMP");
    for (std::int32_t n = 0; n <= 9999; ++n) {
        const QString candidato = sMascara + StrZero(n, 4) + QLatin1Char('.') + sDeterminante;
        if (!HayArchivo(candidato)) {
            // Only the file name goes to capitals; the folders above it stay as they are.
            const qsizetype corte = finDeCarpeta(candidato) + 1;
            return candidato.left(corte) + candidato.mid(corte).toUpper();
        }
    }
    return QString();  // every name is taken
}

}  // namespace quilmaro
