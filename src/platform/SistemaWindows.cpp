// Windows side of the system services: the communication-error word of a port, volume
// information, disk space and file attributes, straight from the system's calls.

#include <QtGlobal>

#ifdef Q_OS_WIN

#include <QDir>
#include <string>

// winsock2.h first: windows.h alone pulls in the old winsock.h, whose declarations clash with it.
#include <winsock2.h>

#include <windows.h>

#include "platform/Sistema.h"

namespace quilmaro::sistema {

namespace {

std::wstring ancho(const QString& s) {
    return s.toStdWString();
}

}  // namespace

QString rutaDePuerto(const QString& nombre) {
    return nombre;
}

EstadoPuerto consultaPuerto(const QString& nombre) {
    EstadoPuerto e;
    const HANDLE h = CreateFileW(ancho(nombre).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return e;
    e.abierto = true;
    // Fails, leaving no flag, for anything that is not a communication device.
    DWORD errores = 0;
    COMSTAT estado{};
    if (ClearCommError(h, &errores, &estado))
        e.banderas = errores;
    CloseHandle(h);
    return e;
}

std::optional<Volumen> leeVolumen(const QString& unidad) {
    const std::wstring raiz = ancho(unidad + QStringLiteral(":\\"));
    wchar_t etiqueta[MAX_PATH + 1] = {};
    wchar_t sistemaDeArchivos[MAX_PATH + 1] = {};
    DWORD serie = 0, largoMaximo = 0, banderas = 0;
    if (!GetVolumeInformationW(raiz.c_str(), etiqueta, MAX_PATH + 1, &serie, &largoMaximo,
                               &banderas, sistemaDeArchivos, MAX_PATH + 1))
        return std::nullopt;
    Volumen v;
    v.serie = serie;
    v.etiqueta = QString::fromWCharArray(etiqueta);
    return v;
}

std::optional<Espacio> espacioDeDisco(const QString& unidadDada) {
    QString unidad = unidadDada;
    if (unidad.isEmpty())
        unidad = QDir::toNativeSeparators(QDir::currentPath()).left(2);
    if (!unidad.contains(QLatin1Char(':')))
        unidad = unidad.left(1) + QLatin1Char(':');
    ULARGE_INTEGER libreParaElUsuario{}, total{}, libre{};
    if (!GetDiskFreeSpaceExW(ancho(unidad).c_str(), &libreParaElUsuario, &total, &libre))
        return std::nullopt;
    Espacio e;
    e.libre = libre.QuadPart;
    e.total = total.QuadPart;
    return e;
}

std::optional<std::uint32_t> leeAtributos(const QString& ruta) {
    const DWORD a = GetFileAttributesW(ancho(ruta).c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    return static_cast<std::uint32_t>(a);
}

bool fijaAtributos(const QString& ruta, std::uint32_t palabra) {
    return SetFileAttributesW(ancho(ruta).c_str(), palabra) != 0;
}

bool socketEnCalma(std::intptr_t socket) {
    WSAPOLLFD p{};
    p.fd = static_cast<SOCKET>(socket);
    p.events = POLLRDNORM;
    return WSAPoll(&p, 1, 0) == 0;
}

bool esProcesoDelPrograma(std::int64_t pid) {
    if (pid <= 0 || pid > 0xFFFFFFFFLL)
        return false;
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!h)
        return GetLastError() == ERROR_ACCESS_DENIED;  // running, but not to be looked at
    DWORD salida = 0;
    const bool vivo = GetExitCodeProcess(h, &salida) && salida == STILL_ACTIVE;
    wchar_t suyo[MAX_PATH * 4];
    DWORD largo = MAX_PATH * 4;
    const bool conNombre = QueryFullProcessImageNameW(h, 0, suyo, &largo) != 0;
    CloseHandle(h);
    if (!vivo || !conNombre)
        return vivo;
    // Another installation of the program counts as the program: the file names are compared.
    wchar_t propio[MAX_PATH * 4];
    const DWORD largoPropio = GetModuleFileNameW(nullptr, propio, MAX_PATH * 4);
    if (largoPropio == 0)
        return true;
    const auto nombre = [](const std::wstring& ruta) {
        const size_t barra = ruta.find_last_of(L"\\/");
        return barra == std::wstring::npos ? ruta : ruta.substr(barra + 1);
    };
    return _wcsicmp(nombre(std::wstring(suyo, largo)).c_str(),
                    nombre(std::wstring(propio, largoPropio)).c_str()) == 0;
}

}  // namespace quilmaro::sistema

#endif  // Q_OS_WIN
