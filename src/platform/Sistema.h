#pragma once
// System services that differ between operating systems: printer ports, volumes, disk space and
// file attributes. Each system has its own source (SistemaLinux.cpp, SistemaWindows.cpp).

#include <QString>
#include <cstdint>
#include <optional>

namespace quilmaro::puerto {

// The error word of a port, with the bits that the system's communication-error query uses.
inline constexpr std::uint32_t kInterrupcion = 0x0010;    // CE_BREAK
inline constexpr std::uint32_t kTiempoAgotado = 0x0200;   // CE_PTO
inline constexpr std::uint32_t kErrorES = 0x0400;         // CE_IOE
inline constexpr std::uint32_t kNoSeleccionado = 0x0800;  // CE_DNS
inline constexpr std::uint32_t kSinPapel = 0x1000;        // CE_OOP

// The printer number of LPT1..LPT9 (1 to 9) and PRN (1), with blanks around them and in any
// letter case; 0 for any other name.
int numeroDeImpresora(const QString& nombre);

}  // namespace quilmaro::puerto

namespace quilmaro::sistema {

// --- Printer ports -------------------------------------------------------------------------------

// What to open for a port name: the system's device for a printer name (on Linux LPT1 is
// /dev/lp0, LPT2 /dev/lp1, ..., PRN /dev/lp0), the name itself for anything else.
QString rutaDePuerto(const QString& nombre);

struct EstadoPuerto {
    bool abierto = false;        // the port could be opened for reading and writing
    std::uint32_t banderas = 0;  // the error word (bits of quilmaro::puerto)
};

// Opens the port for reading and writing (a plain path is created when missing), reads its error
// word and closes it. A regular file has no flags.
EstadoPuerto consultaPuerto(const QString& nombre);

#ifdef Q_OS_LINUX
// The error word for a status byte of the Linux printer driver (LPGETSTATUS): paper out, not
// selected and the error line.
std::uint32_t banderasDeEstadoLp(int estado);
#endif

// --- Volumes -------------------------------------------------------------------------------------

struct Volumen {
    std::uint32_t serie = 0;
    QString etiqueta;
};

// Serial and label of a drive named by one upper-case character. On Linux "C" and "/" are the
// root file system and other letters do not exist.
std::optional<Volumen> leeVolumen(const QString& unidad);

#ifdef Q_OS_LINUX
// Serial and label of the file system holding `ruta`. The serial comes from the file system's
// identifier as the system lists it under `carpetaDiscos`/by-uuid, else from the kernel's file
// system id; the label from `carpetaDiscos`/by-label, else from the file system itself.
std::optional<Volumen> leeVolumenDeRuta(const QString& ruta,
                                        const QString& carpetaDiscos = QStringLiteral("/dev/disk"));

// The 32-bit serial that a file-system identifier stands for: the eight digits of "ABCD-1234"
// (FAT), the last eight of sixteen (NTFS), the first eight of a longer UUID; nothing when it
// holds no hexadecimal digits or only zeros.
std::optional<std::uint32_t> serieDeIdentificador(const QString& identificador);
#endif

// --- Disk space ----------------------------------------------------------------------------------

struct Espacio {
    std::uint64_t libre =
        0;  // free bytes of the whole file system, not only those the user may use
    std::uint64_t total = 0;
};

// Space of a drive as the program names it: "C", "C:", "C:\" or empty (the current folder's
// drive). On Linux a text starting with "/" is a path whose file system is measured, "C" stands
// for the root file system, empty for the current folder's file system, other letters fail.
std::optional<Espacio> espacioDeDisco(const QString& unidad);

// --- File attributes -----------------------------------------------------------------------------

// The attribute word of a file with the bits 32 archive, 16 directory, 8 volume label, 4 system,
// 2 hidden, 1 read-only (and the system's higher bits); nothing when the file cannot be read.
std::optional<std::uint32_t> leeAtributos(const QString& ruta);

// Sets archive, system, hidden and read-only of a file to those of `palabra`. False when any of
// them could not be stored.
bool fijaAtributos(const QString& ruta, std::uint32_t palabra);

// --- Network connections -------------------------------------------------------------------------

// Whether a connected socket is quiet: nothing arrived to read, no hang-up, no error. A connection
// the other end closed or dropped shows up here without a round trip over the network.
bool socketEnCalma(std::intptr_t socket);

// --- Processes -----------------------------------------------------------------------------------

// Whether process `pid` of this computer is running and runs this program (a program file of the
// same name as this process's). When that cannot be told (a process of another user) a running
// one counts as this program.
bool esProcesoDelPrograma(std::int64_t pid);

}  // namespace quilmaro::sistema
