#pragma once
// What the benchmark programs share: the median of a series, a bare Connector/C connection for
// the floors (over MYSQL_UNIX_PORT), a statement that ends the program when it fails, a saved
// list written from invoices of the server, and the platform seam with the real window system
// but message boxes answered and counted.

#include <mysql.h>

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/ListaFacturas.h"
#include "core/Regional.h"
#include "gui/PlataformaQt.h"
#include "platform/Plataforma.h"

namespace quilmaro::banco {

inline double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline MYSQL* conectaPiso(const QString& base) {
    MYSQL* m = mysql_init(nullptr);
    const QByteArray socket = qgetenv("MYSQL_UNIX_PORT");
    if (!mysql_real_connect(m, nullptr, "root", "", base.toUtf8().constData(), 0,
                            socket.isEmpty() ? nullptr : socket.constData(), 0)) {
        std::fprintf(stderr, "%s\n", mysql_error(m));
        std::exit(1);
    }
    mysql_set_character_set(m, "utf8mb4");
    return m;
}

inline void consulta(MYSQL* m, const QByteArray& sql) {
    if (mysql_query(m, sql.constData()) != 0) {
        std::fprintf(stderr, "%s\n", mysql_error(m));
        std::exit(1);
    }
}

// Writes the saved list `archivo` with the invoices a query returns (Serie, Factura, Fecha,
// Cliente, Nombre, total, ID, in this order), their texts as the window shows them; returns how
// many there are.
inline qsizetype escribeLista(MYSQL* m, const QByteArray& sql, const QString& archivo) {
    consulta(m, sql);
    MYSQL_RES* r = mysql_store_result(m);
    QList<QStringList> registros;
    while (MYSQL_ROW fila = mysql_fetch_row(r)) {
        const QDate fecha = QDate::fromString(QString::fromUtf8(fila[2]), Qt::ISODate);
        registros.append({QString::fromUtf8(fila[0]), QString::fromUtf8(fila[1]),
                          formateaFecha(fecha, QStringLiteral("dd/mmm/yy")),
                          QString::fromUtf8(fila[3]), QString::fromUtf8(fila[4]),
                          formateaImporte(std::atof(fila[5])), QString::fromUtf8(fila[6])});
    }
    mysql_free_result(r);
    QFile f(archivo);
    if (!f.open(QIODevice::WriteOnly) || f.write(lista::escribe(registros)) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(archivo));
        std::exit(1);
    }
    return registros.size();
}

// Questions get `siNo`, other boxes Aceptar; every box is printed and counted. A routine that
// ends the process ends the benchmark with an error.
class PlataformaBanco final : public Plataforma {
  public:
    explicit PlataformaBanco(Respuesta siNo) : siNo_(siNo) {}
    Respuesta mensaje(const Mensaje& m) override {
        ++mensajes;
        std::fprintf(stderr, "message: %s\n", qUtf8Printable(m.texto));
        return m.botones == Botones::SiNo ? siNo_ : Respuesta::Aceptar;
    }
    void beep() override {}
    void cursorOcupado(bool activo) override { real.cursorOcupado(activo); }
    void procesaEventos() override { real.procesaEventos(); }
    [[noreturn]] void terminaProceso(int codigo) override {
        std::fprintf(stderr, "the window ended the process (code %d)\n", codigo);
        std::exit(1);
    }
    void enviaTab(bool atras) override { real.enviaTab(atras); }

    PlataformaQt real;
    int mensajes = 0;

  private:
    Respuesta siNo_;
};

}  // namespace quilmaro::banco
