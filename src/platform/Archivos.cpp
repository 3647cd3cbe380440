#include "platform/Archivos.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

#include "lib/ArchivosTexto.h"
#include "platform/Sistema.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quilmaro::archivos {

std::optional<Error> reemplazaAtomico(const QString& destino, const QByteArray& datos,
                                      const QString& temporal) {
#ifdef Q_OS_WIN
    QFile f(temporal);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return errores::deNumero(errores::PermisoDenegado);
    if (f.write(datos) != datos.size() || !f.flush()) {
        f.close();
        QFile::remove(temporal);
        return errores::deNumero(errores::DiscoLleno);
    }
    f.close();
    if (!MoveFileExW(reinterpret_cast<LPCWSTR>(temporal.utf16()),
                     reinterpret_cast<LPCWSTR>(destino.utf16()),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        QFile::remove(temporal);
        return errores::deNumero(errores::AccesoRuta);
    }
    return std::nullopt;
#else
    const QByteArray rutaTemporal = QFile::encodeName(temporal);
    const QByteArray rutaDestino = QFile::encodeName(destino);
    const int fd = ::open(rutaTemporal.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return texto::errorDeSistema(errno);
    auto falla = [&](int e) -> std::optional<Error> {
        ::close(fd);
        ::unlink(rutaTemporal.constData());
        return texto::errorDeSistema(e);
    };
    qsizetype escritos = 0;
    while (escritos < datos.size()) {
        const ssize_t n =
            ::write(fd, datos.constData() + escritos, static_cast<size_t>(datos.size() - escritos));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return falla(errno);
        }
        escritos += n;
    }
    if (::fsync(fd) != 0 && errno != EINVAL)
        return falla(errno);
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(rutaTemporal.constData());
        return texto::errorDeSistema(e);
    }
    if (::rename(rutaTemporal.constData(), rutaDestino.constData()) != 0) {
        const int e = errno;
        ::unlink(rutaTemporal.constData());
        return texto::errorDeSistema(e);
    }
    // Make the new name itself durable.
    const QByteArray carpeta = QFile::encodeName(QFileInfo(destino).absolutePath());
    const int dfd = ::open(carpeta.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return std::nullopt;
#endif
}

bool esOculto(const QString& ruta) {
#ifdef Q_OS_WIN
    const DWORD a = GetFileAttributesW(reinterpret_cast<LPCWSTR>(ruta.utf16()));
    return a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
#else
    if (QFileInfo(ruta).fileName().startsWith(QLatin1Char('.')))
        return true;
    // The hidden and system marks a file may carry from another system (or from Atributo).
    const auto marcas = sistema::leeAtributos(ruta);
    constexpr std::uint32_t kOcultoOSistema = 2 | 4;
    return marcas && (*marcas & kOcultoOSistema);
#endif
}

}  // namespace quilmaro::archivos
