// Linux side of the system services: the parallel-port driver's status, file-system ids and
// labels, statvfs, and DOS attributes kept beside the permissions.

#include <QtGlobal>

#ifdef Q_OS_LINUX

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/lp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>

#include "platform/Sistema.h"

namespace quilmaro::sistema {

namespace {

QByteArray ruta8(const QString& s) {
    return QFile::encodeName(s);
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd() const { return fd_; }
    bool valido() const { return fd_ >= 0; }

  private:
    int fd_;
};

// "\x20" and the like, as udev writes characters a link name cannot hold.
QString desescapaUdev(const QString& s) {
    QByteArray salida;
    const QByteArray b = s.toUtf8();
    for (qsizetype i = 0; i < b.size(); ++i) {
        if (b.at(i) == '\\' && i + 3 < b.size() && b.at(i + 1) == 'x') {
            bool ok = false;
            const int v = b.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                salida.append(static_cast<char>(v));
                i += 3;
                continue;
            }
        }
        salida.append(b.at(i));
    }
    return QString::fromUtf8(salida);
}

// The name of the entry of `carpeta` that links to the block device `dispositivo`.
std::optional<QString> enlaceADispositivo(const QString& carpeta, dev_t dispositivo) {
    const QDir d(carpeta);
    if (!d.exists())
        return std::nullopt;
    const QStringList nombres = d.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& n : nombres) {
        struct stat st {};
        if (::stat(ruta8(d.filePath(n)).constData(), &st) == 0 && S_ISBLK(st.st_mode) &&
            st.st_rdev == dispositivo)
            return n;
    }
    return std::nullopt;
}

// What the attribute word keeps in the extended attribute: archive, system and hidden, and the
// system's higher bits. Read-only lives in the permissions; directory and volume come from
// the file itself.
constexpr std::uint32_t kGuardados = ~std::uint32_t{1 | 8 | 16};
// Samba and Wine keep a file's DOS attributes in this extended attribute, opening with the word
// in hexadecimal ("0x22"); Samba may follow it with a NUL and more data.
constexpr const char* kAtributoDos = "user.DOSATTRIB";

std::optional<std::uint32_t> leeAtributoDos(const QByteArray& ruta) {
    char valor[256];
    const ssize_t n = ::getxattr(ruta.constData(), kAtributoDos, valor, sizeof valor);
    if (n <= 0)
        return std::nullopt;
    QByteArray texto(valor, static_cast<qsizetype>(n));
    const qsizetype fin = texto.indexOf('\0');
    if (fin >= 0)
        texto.truncate(fin);
    texto = texto.trimmed();
    if (!texto.startsWith("0x") && !texto.startsWith("0X"))
        return std::nullopt;
    bool ok = false;
    const uint v = texto.mid(2).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

}  // namespace

// --- Printer ports -------------------------------------------------------------------------------

QString rutaDePuerto(const QString& nombre) {
    const int n = puerto::numeroDeImpresora(nombre);
    return n ? QStringLiteral("/dev/lp%1").arg(n - 1) : nombre;
}

std::uint32_t banderasDeEstadoLp(int estado) {
    std::uint32_t b = 0;
    if (estado & LP_POUTPA)
        b |= puerto::kSinPapel;
    if (!(estado & LP_PSELECD))
        b |= puerto::kNoSeleccionado;
    if (!(estado & LP_PERRORP))
        b |= puerto::kErrorES;
    return b;
}

EstadoPuerto consultaPuerto(const QString& nombre) {
    EstadoPuerto e;
    // A printer device is never created: when the port is missing the check fails. A plain path
    // is created, as the port is about to be written.
    int banderas = O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    if (puerto::numeroDeImpresora(nombre) == 0)
        banderas |= O_CREAT;
    const Descriptor fd(::open(ruta8(rutaDePuerto(nombre)).constData(), banderas, 0666));
    if (!fd.valido())
        return e;
    e.abierto = true;
    // Parallel and USB printers answer with their status byte; files and other devices do not.
    int estado = 0;
    if (::ioctl(fd.fd(), LPGETSTATUS, &estado) == 0)
        e.banderas = banderasDeEstadoLp(estado);
    return e;
}

// --- Volumes -------------------------------------------------------------------------------------

std::optional<std::uint32_t> serieDeIdentificador(const QString& identificador) {
    QString hex;
    for (QChar c : identificador) {
        if (c == QLatin1Char('-'))
            continue;
        const bool hexadecimal =
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
            (c.toUpper() >= QLatin1Char('A') && c.toUpper() <= QLatin1Char('F'));
        if (!hexadecimal)
            return std::nullopt;
        hex += c;
    }
    if (hex.isEmpty() || hex.count(QLatin1Char('0')) == hex.size())
        return std::nullopt;
    QString digitos;
    if (hex.size() <= 8)
        digitos = hex;
    else if (hex.size() == 16)
        digitos = hex.right(8);  // NTFS: the low half is the serial the system shows
    else
        digitos = hex.left(8);
    bool ok = false;
    const uint v = digitos.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

std::optional<Volumen> leeVolumenDeRuta(const QString& ruta, const QString& carpetaDiscos) {
    const QByteArray r = ruta8(ruta);
    struct statfs sf {};
    struct stat st {};
    if (::statfs(r.constData(), &sf) != 0 || ::stat(r.constData(), &st) != 0)
        return std::nullopt;
    Volumen v;
    const QDir discos(carpetaDiscos);
    std::optional<std::uint32_t> serie;
    if (auto id = enlaceADispositivo(discos.filePath(QStringLiteral("by-uuid")), st.st_dev))
        serie = serieDeIdentificador(*id);
    if (!serie) {
        // The kernel's id of the file system, as "stat -f" shows it: its first word.
        std::uint32_t palabra;
        static_assert(sizeof sf.f_fsid >= sizeof palabra);
        std::memcpy(&palabra, &sf.f_fsid, sizeof palabra);
        serie = palabra;
    }
    v.serie = *serie;
    if (auto etiqueta =
            enlaceADispositivo(discos.filePath(QStringLiteral("by-label")), st.st_dev)) {
        v.etiqueta = desescapaUdev(*etiqueta);
    } else {
        const Descriptor fd(::open(r.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        char etiquetaFs[FSLABEL_MAX + 1] = {};
        if (fd.valido() && ::ioctl(fd.fd(), FS_IOC_GETFSLABEL, etiquetaFs) == 0)
            v.etiqueta = QString::fromUtf8(
                etiquetaFs, static_cast<qsizetype>(qstrnlen(etiquetaFs, FSLABEL_MAX)));
    }
    return v;
}

std::optional<Volumen> leeVolumen(const QString& unidad) {
    // There are no drive letters: C (the system drive) is the root file system.
    if (unidad == QLatin1String("C") || unidad == QLatin1String("/"))
        return leeVolumenDeRuta(QStringLiteral("/"));
    return std::nullopt;
}

// --- Disk space ----------------------------------------------------------------------------------

std::optional<Espacio> espacioDeDisco(const QString& unidad) {
    QString ruta;
    if (unidad.isEmpty())
        ruta = QDir::currentPath();
    else if (unidad.startsWith(QLatin1Char('/')))
        ruta = unidad;
    else if (unidad.at(0).toUpper() == QLatin1Char('C'))  // "C", "C:", "C:\"
        ruta = QStringLiteral("/");
    else
        return std::nullopt;
    struct statvfs s {};
    if (::statvfs(ruta8(ruta).constData(), &s) != 0)
        return std::nullopt;
    Espacio e;
    e.libre = static_cast<std::uint64_t>(s.f_bfree) * s.f_frsize;
    e.total = static_cast<std::uint64_t>(s.f_blocks) * s.f_frsize;
    return e;
}

// --- File attributes -----------------------------------------------------------------------------
// Read-only is the permissions (no write bit for anyone). Hidden is a name that starts with a
// dot, or the hidden bit stored with the file. Archive and system, and a hidden bit on a name
// without a dot, are kept in the user.DOSATTRIB extended attribute, so they persist only on file
// systems with user extended attributes (ext4, XFS, Btrfs, tmpfs since Linux 6.6); elsewhere
// setting them fails and reading finds none.

std::optional<std::uint32_t> leeAtributos(const QString& ruta) {
    const QByteArray r = ruta8(ruta);
    struct stat st {};
    if (::stat(r.constData(), &st) != 0)
        return std::nullopt;
    std::uint32_t palabra = 0;
    if (auto guardados = leeAtributoDos(r))
        palabra = *guardados & kGuardados;
    if (S_ISDIR(st.st_mode))
        palabra |= 16;
    const QString nombre = QFileInfo(ruta).fileName();
    if (nombre.startsWith(QLatin1Char('.')) && nombre != QLatin1String(".") &&
        nombre != QLatin1String(".."))
        palabra |= 2;
    if ((st.st_mode & 0222) == 0)
        palabra |= 1;
    return palabra;
}

bool fijaAtributos(const QString& ruta, std::uint32_t palabra) {
    const QByteArray r = ruta8(ruta);
    struct stat st {};
    if (::stat(r.constData(), &st) != 0)
        return false;
    bool bien = true;
    mode_t modo = st.st_mode & 07777;
    if (palabra & 1)
        modo &= ~mode_t{0222};
    else if ((modo & 0222) == 0)
        modo |= S_IWUSR;  // writable again, for the owner
    if (modo != (st.st_mode & 07777) && ::chmod(r.constData(), modo) != 0)
        bien = false;

    const std::uint32_t guardados = palabra & (32 | 4 | 2);
    if (guardados != 0) {
        const QByteArray valor = "0x" + QByteArray::number(guardados, 16);
        if (::setxattr(r.constData(), kAtributoDos, valor.constData(),
                       static_cast<size_t>(valor.size()), 0) != 0)
            bien = false;
    } else if (::removexattr(r.constData(), kAtributoDos) != 0 && errno != ENODATA) {
        // Nothing to clear where the file system keeps no extended attributes.
        if (errno != ENOTSUP)
            bien = false;
    }
    return bien;
}

bool socketEnCalma(std::intptr_t socket) {
    pollfd p{};
    p.fd = static_cast<int>(socket);
    p.events = POLLIN | POLLRDHUP;
    int r;
    do
        r = ::poll(&p, 1, 0);
    while (r < 0 && errno == EINTR);
    return r == 0;
}

bool esProcesoDelPrograma(std::int64_t pid) {
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM)
        return false;  // no such process
    // The program file's name, without the mark the kernel adds once the file is replaced (an
    // update while the program runs); another installation of the program counts as the program.
    const auto programa = [](const QString& enlace) {
        QString r = QFileInfo(QFile::symLinkTarget(enlace)).fileName();
        if (r.endsWith(QLatin1String(" (deleted)")))
            r.chop(10);
        return r;
    };
    const QString suyo = programa(QStringLiteral("/proc/%1/exe").arg(pid));
    return suyo.isEmpty() || suyo == programa(QStringLiteral("/proc/self/exe"));
}

}  // namespace quilmaro::sistema

#endif  // Q_OS_LINUX
