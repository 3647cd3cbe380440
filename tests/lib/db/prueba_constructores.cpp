// AgregaRegistro, ActualizaRegistro, CreaTabla and LastId against the test server: the statements
// as sent, what the server holds afterwards, and the messages of each failure.

#include <gtest/gtest.h>

#include "AyudaPruebas.h"
#include "PlataformaPrueba.h"
#include "ServidorPrueba.h"
#include "core/libTESK.h"

using namespace quilmaro;
using prueba::PlataformaPrueba;

namespace {

const QString kRechazo = "Uno de los valores enviados para grabarse en la tabla '";

class Constructores : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        cnn_ = prueba::basePropia("prueba_constructores");
        cnn_->ejecuta(QStringLiteral(
            "CREATE TABLE notas (Llave char(4) NOT NULL, Registro int NOT NULL, Contenido "
            "varchar(60), PRIMARY KEY (Llave, Registro)) CHARSET utf8mb4"));
        cnn_->ejecuta(QStringLiteral(
            "CREATE TABLE eventos (Id int NOT NULL AUTO_INCREMENT PRIMARY KEY, Nombre varchar(80) "
            "NOT NULL DEFAULT 'x', Fecha date, Captura datetime, Nota text) CHARSET utf8mb4"));
    }
    static void TearDownTestSuite() { cnn_.reset(); }

    static std::shared_ptr<Recordset> abre(const QString& sql) {
        auto rs = Recordset::crea();
        rs->abre(sql, cnn_);
        return rs;
    }
    static long long cuenta(const QString& sql) { return prueba::cuentaSQL(*cnn_, sql); }
    static QString valor(const QString& sql) {
        const auto v = prueba::valorSQL(*cnn_, sql);
        return v ? QString::fromUtf8(*v) : "<NULL>";
    }

    // The builders with the value list taken by copy, on the suite's connection unless told.
    static QString agrega(std::shared_ptr<Recordset>& rs, const QString& tabla,
                          const QStringList& campos, QStringList valores,
                          const std::shared_ptr<Conexion>& cnn = cnn_) {
        return tesk().AgregaRegistro(cnn, rs, tabla, campos, valores);
    }
    static QString actualiza(std::shared_ptr<Recordset>& rs, const QString& tabla,
                             const QStringList& campos, QStringList valores,
                             const QString& condicion = QString(),
                             const std::shared_ptr<Conexion>& cnn = cnn_) {
        return tesk().ActualizaRegistro(cnn, rs, tabla, campos, valores, condicion);
    }

    static inline std::shared_ptr<Conexion> cnn_;
    PlataformaPrueba plataforma_;
};

TEST_F(Constructores, LosTresEjemplosTalCualYEjecutados) {
    const QList<QStringList> matriz{{"Id", "int not null auto_increment", ""},
                                    {"Nombre", "varchar(40)", "''"},
                                    {"PRIMARY KEY (Id)", "", ""}};
    EXPECT_EQ(tesk().CreaTabla(cnn_, "Clientes", matriz),
              "Create table clientes (Id INT NOT NULL AUTO_INCREMENT,Nombre VARCHAR(40) default "
              "'',PRIMARY KEY (Id));");
    cnn_->ejecuta("ALTER TABLE clientes ADD Saldo double");
    cnn_->ejecuta("INSERT INTO clientes (Id, Nombre, Saldo) VALUES (7, 'EVA', 0)");

    // The record set is empty before the insert and shows the row after it.
    auto notas = abre("Select * from notas");
    EXPECT_EQ(agrega(notas, "Notas", {"Llave", "Registro", "Contenido"}, {"A1", "1", "hola"}),
              "Insert into notas (Llave,Registro,Contenido) values ('A1',1,'hola');");
    ASSERT_FALSE(notas->eof());
    EXPECT_EQ(notas->campo("Contenido").valor().texto(), "hola");

    auto clientes = abre("Select * from clientes");
    EXPECT_EQ(actualiza(clientes, "clientes", {"Nombre", "Saldo"}, {"ANA", "10.5"}, "Id=7"),
              "Update clientes set Nombre='ANA',Saldo=10.5 where Id=7;");
    EXPECT_EQ(clientes->campo("Nombre").valor().texto(), "ANA");
    EXPECT_EQ(valor("SELECT Saldo FROM clientes WHERE Id = 7"), "10.5");
    EXPECT_EQ(plataforma_.textos(), QStringList());
}

TEST_F(Constructores, ColumnaDeFechaAhoraOTextoQueNoEsFecha) {
    auto eventos = abre("Select * from eventos where Id = -1");
    // The statement and the date entry as rewritten in the list.
    const auto agrega = [&](const QString& nombre, const QString& fecha) {
        QStringList valores{nombre, fecha};
        const QString s =
            tesk().AgregaRegistro(cnn_, eventos, "eventos", {"Nombre", "Fecha"}, valores);
        return s + QLatin1Char('|') + valores[1];
    };
    for (const char* ahora : {"now", " Now() ", "NOWHERE"})
        EXPECT_EQ(agrega("ahora", ahora),
                  "Insert into eventos (Nombre,Fecha) values ('ahora',NOW());|NOW()");
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM eventos WHERE Nombre = 'ahora' AND Fecha = CURDATE()"),
              3);
    // Day first in es_MX; 31/02 does not exist.
    EXPECT_EQ(agrega("marzo", "05/03/2009"),
              "Insert into eventos (Nombre,Fecha) values ('marzo','2009-3-5');|2009-3-5");
    EXPECT_EQ(valor("SELECT Fecha FROM eventos WHERE Nombre = 'marzo'"), "2009-03-05");
    for (const char* mala : {"abc", "31/02/2024"})
        EXPECT_EQ(agrega("nada", mala),
                  "Insert into eventos (Nombre,Fecha) values ('nada','0000-00-00');|0000-00-00");
    // A strict server refuses the zero date, and the refusal is shown.
    const bool estricto = valor(
                              "SELECT @@sql_mode LIKE '%STRICT%' AND @@sql_mode LIKE "
                              "'%NO_ZERO_DATE%'") == "1";
    EXPECT_EQ(plataforma_.textos().size(), estricto ? 2 : 0);
    plataforma_.limpia();

    // A date-time and a long text get no delimiter: the caller writes them as SQL.
    EXPECT_EQ(
        actualiza(eventos, "eventos", {"Captura", "Nota"}, {"NOW()", "42"}, "Nombre = 'marzo'"),
        "Update eventos set Captura=NOW(),Nota=42 where Nombre = 'marzo';");
    EXPECT_EQ(valor("SELECT CONCAT(Nota, DATE(Captura) = CURDATE()) FROM eventos WHERE Nombre = "
                    "'marzo'"),
              "421");
    EXPECT_EQ(plataforma_.textos(), QStringList());
}

TEST_F(Constructores, FallosDejanMensajeYLaSentenciaSigue) {
    auto notas = abre("Select * from notas where Llave = 'F'");
    // An empty value for an integer column; then a column the record set lacks.
    const QString rechazada =
        agrega(notas, "Notas", {"Llave", "Registro", "Contenido"}, {"F", "", "x"});
    EXPECT_EQ(rechazada, "Insert into notas (Llave,Registro,Contenido) values ('F',,'x');");
    const QString sinCampo = agrega(notas, "Notas", {"Llave", "Registro", "Nada"}, {"F", "2", "x"});
    EXPECT_EQ(sinCampo, "Insert into notas (Llave,Registro,Nada) values ('F',2,'x');");
    EXPECT_EQ(plataforma_.textos(), QStringList({kRechazo + "Notas' es incorrecto: " + rechazada,
                                                 "No existe el campo 'Nada' en la tabla 'Notas'",
                                                 kRechazo + "Notas' es incorrecto: " + sinCampo}));

    // Any other failure (a closed connection) has a text for each builder.
    plataforma_.limpia();
    auto cerrada = prueba::conecta("prueba_constructores");
    cerrada->cierra();
    agrega(notas, "Notas", {"Contenido"}, {"z"}, cerrada);
    EXPECT_EQ(actualiza(notas, "Notas", {"Contenido"}, {"z"}, "Llave='G'", cerrada),
              "Update notas set Contenido='z' where Llave='G';");
    EXPECT_EQ(plataforma_.textos(),
              QStringList({"Sucedió un error al tratar de agregar el registro en 'Notas'. Favor de "
                           "revisar los valores enviados",
                           "Sucedió un error al tratar de actualizar registros en la tabla "
                           "'Notas'. Favor de revisar los valores enviados"}));
}

TEST_F(Constructores, ComillasYDiagonalesNoRompenLaSentencia) {
    auto eventos = abre("Select * from eventos where Id = -1");
    const QString nombre = "TALLER \"EL GÜERO\" L'ESPIGA \\ 100% _ 🌹";
    EXPECT_EQ(agrega(eventos, "eventos", {"Nombre"}, {nombre}),
              "Insert into eventos (Nombre) values ('TALLER \\\"EL GÜERO\\\" L\\'ESPIGA \\\\ 100% "
              "_ 🌹');");
    const QString id = QString::number(tesk().LastId(cnn_, "eventos", "Id"));
    EXPECT_EQ(valor("SELECT Nombre FROM eventos WHERE Id = " + id), nombre);

    const QString otro = "O'Higgins \\' OR 1=1 -- \"";
    actualiza(eventos, "eventos", {"Nombre"}, {otro}, "Id=" + id);
    EXPECT_EQ(valor("SELECT Nombre FROM eventos WHERE Id = " + id), otro);
    EXPECT_EQ(plataforma_.textos(), QStringList());

    // A quote in a value written bare cannot open a text: unescaped, this "number" would make
    // the statement insert a second row.
    auto notas = abre("Select * from notas where Llave = 'H'");
    EXPECT_EQ(
        agrega(notas, "notas", {"Llave", "Registro", "Contenido"}, {"H", "1,'a'),('I',2", "c"}),
        "Insert into notas (Llave,Registro,Contenido) values "
        "('H',1,\\'a\\'),(\\'I\\',2,'c');");
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM notas WHERE Llave IN ('H', 'I')"), 0);
    EXPECT_TRUE(plataforma_.textos().last().startsWith(kRechazo + "notas' es incorrecto: "));
}

}  // namespace
