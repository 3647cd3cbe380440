#include "core/Archivos.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>

#include "core/ArchivosTexto.h"
#include "platform/Sistema.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quilmaro::archivos {

namespace {

#ifndef Q_OS_WIN
// Writes datos to the open descriptor, flushes it to the disk and renames the file over destino;
// on any failure the temporary is removed. Closes fd.
std::optional<Error> escribeYRenombra(int fd, const QByteArray& rutaTemporal,
                                      const QString& destino, const QByteArray& datos) {
    const QByteArray rutaDestino = QFile::encodeName(destino);
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
}
#else
std::optional<Error> escribeYRenombra(QFile& f, const QString& temporal, const QString& destino,
                                      const QByteArray& datos) {
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
}
#endif

}  // namespace

std::optional<Error> reemplazaAtomico(const QString& destino, const QByteArray& datos,
                                      const QString& temporal) {
#ifdef Q_OS_WIN
    QFile f(temporal);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return errores::deNumero(errores::PermisoDenegado);
    return escribeYRenombra(f, temporal, destino, datos);
#else
    const QByteArray rutaTemporal = QFile::encodeName(temporal);
    const int fd = ::open(rutaTemporal.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return texto::errorDeSistema(errno);
    return escribeYRenombra(fd, rutaTemporal, destino, datos);
#endif
}

std::optional<Error> reemplazaConTemporalUnico(const QString& destino, const QByteArray& datos) {
    // A name that is taken (by another copy's temporary, or by anything planted there) is
    // passed over for another.
    for (int intento = 0; intento < 100; ++intento) {
        const QString temporal =
            destino + QStringLiteral(".%1.tmp").arg(QRandomGenerator::system()->generate64(), 16,
                                                    16, QLatin1Char('0'));
#ifdef Q_OS_WIN
        QFile f(temporal);
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(temporal) || QFileInfo(temporal).isSymLink())
                continue;
            return errores::deNumero(errores::PermisoDenegado);
        }
        return escribeYRenombra(f, temporal, destino, datos);
#else
        const QByteArray rutaTemporal = QFile::encodeName(temporal);
        const int fd = ::open(rutaTemporal.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return texto::errorDeSistema(errno);
        }
        return escribeYRenombra(fd, rutaTemporal, destino, datos);
#endif
    }
    return errores::deNumero(errores::AccesoRuta);
}

QStringList nombresQueEmpiezan(const QString& carpeta, const QString& prefijo) {
    QStringList nombres;
#ifdef Q_OS_WIN
    const QString patron = prefijo + QLatin1Char('*');
    nombres =
        QDir(carpeta).entryList({patron}, QDir::Files | QDir::System | QDir::Hidden, QDir::NoSort);
#else
    const QByteArray ruta = QFile::encodeName(carpeta.isEmpty() ? QStringLiteral(".") : carpeta);
    DIR* d = ::opendir(ruta.constData());
    if (!d)
        return nombres;
    const QByteArray inicio = prefijo.toUtf8();
    while (const dirent* e = ::readdir(d)) {
        // The prefix is ASCII: comparing the bytes without regard to case is enough to pass
        // over every other name before decoding it.
        if (::strncasecmp(e->d_name, inicio.constData(), static_cast<size_t>(inicio.size())) == 0)
            nombres.append(QFile::decodeName(e->d_name));
    }
    ::closedir(d);
#endif
    return nombres;
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

#ifdef Q_OS_WIN

ArchivoEnUso::ArchivoEnUso(const QString& ruta)
    : ruta_(ruta),
      manejador_(reinterpret_cast<std::intptr_t>(CreateFileW(
          reinterpret_cast<LPCWSTR>(ruta.utf16()), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))) {}

ArchivoEnUso::~ArchivoEnUso() {
    if (tomado())
        CloseHandle(reinterpret_cast<HANDLE>(manejador_));
}

bool ArchivoEnUso::tomado() const {
    return reinterpret_cast<HANDLE>(manejador_) != INVALID_HANDLE_VALUE;
}

bool ArchivoEnUso::borra() {
    // Closed first: this handle itself refuses deletion.
    if (tomado())
        CloseHandle(reinterpret_cast<HANDLE>(manejador_));
    manejador_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
    return QFile::remove(ruta_) || !QFile::exists(ruta_);
}

bool borraSiNoEstaEnUso(const QString& ruta) {
    // An open file without delete sharing cannot be deleted: the system keeps it.
    return QFile::remove(ruta) || !QFile::exists(ruta);
}

#else

ArchivoEnUso::ArchivoEnUso(const QString& ruta) : ruta_(ruta), manejador_(-1) {
    const QByteArray nombre = QFile::encodeName(ruta);
    // A cleaner may delete the file between the opening and the lock: the lock then holds a file
    // no longer in the folder, and the name is opened again.
    for (int intento = 0; intento < 5; ++intento) {
        const int fd = ::open(nombre.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return;
        int r;
        do
            r = ::flock(fd, LOCK_SH);
        while (r != 0 && errno == EINTR);
        struct stat abierto {
        }, enCarpeta{};
        if (r == 0 && ::fstat(fd, &abierto) == 0 && ::stat(nombre.constData(), &enCarpeta) == 0 &&
            abierto.st_dev == enCarpeta.st_dev && abierto.st_ino == enCarpeta.st_ino) {
            manejador_ = fd;
            return;
        }
        ::close(fd);
        if (r != 0)
            return;
    }
}

ArchivoEnUso::~ArchivoEnUso() {
    if (tomado())
        ::close(static_cast<int>(manejador_));  // the lock goes with the descriptor
}

bool ArchivoEnUso::tomado() const {
    return manejador_ >= 0;
}

bool ArchivoEnUso::borra() {
    // Deleted while still marked, so that no cleaner gets there first and makes this fail.
    const bool borrado = ::unlink(QFile::encodeName(ruta_).constData()) == 0 || errno == ENOENT;
    if (tomado())
        ::close(static_cast<int>(manejador_));
    manejador_ = -1;
    return borrado;
}

bool borraSiNoEstaEnUso(const QString& ruta) {
    const QByteArray nombre = QFile::encodeName(ruta);
    const int fd = ::open(nombre.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QFile::remove(ruta) || !QFile::exists(ruta);
    // Deleted while this lock is held: a run that marks the file after this point finds it gone
    // and makes it anew.
    const bool libre = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    const bool borrado = libre && (::unlink(nombre.constData()) == 0 || errno == ENOENT);
    ::close(fd);
    return borrado;
}

#endif

}  // namespace quilmaro::archivos
