// AgregaRegistro, ActualizaRegistro, CreaTabla and LastId against the test server: the statements
// as sent, what the server holds afterwards, and the messages of each failure.

#include <gtest/gtest.h>

#include "PlataformaPrueba.h"
#include "ServidorPrueba.h"
#include "lib/libTESK.h"

using namespace quilmaro;
using prueba::PlataformaPrueba;

namespace {

// The text as hexadecimal UTF-8, to compare a column's bytes on the server.
QString hex(const QString& s) {
    return QString::fromLatin1(s.toUtf8().toHex());
}

class Constructores : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        cnn_ = prueba::basePropia(QStringLiteral("prueba_constructores"));
        cnn_->ejecuta(QStringLiteral(
            "CREATE TABLE notas (Llave char(4) NOT NULL, Registro int NOT NULL, Contenido "
            "varchar(60), PRIMARY KEY (Llave, Registro)) CHARSET utf8mb4"));
        cnn_->ejecuta(QStringLiteral(
            "CREATE TABLE eventos (Id int NOT NULL AUTO_INCREMENT PRIMARY KEY, Nombre varchar(80) "
            "NOT NULL DEFAULT '', Fecha date, Captura datetime, Nota text, Cantidad int NOT NULL "
            "DEFAULT 0) CHARSET utf8mb4"));
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
        return v ? QString::fromUtf8(*v) : QStringLiteral("<NULL>");
    }

    static inline std::shared_ptr<Conexion> cnn_;
    PlataformaPrueba plataforma_;
};

TEST_F(Constructores, LosTresEjemplosTalCualYEjecutados) {
    // CreaTabla: types and defaults upper-cased, the key clause alone, the name in lower case.
    const QList<QStringList> matriz{{"Id", "int not null auto_increment", ""},
                                    {"Nombre", "varchar(40)", "''"},
                                    {"PRIMARY KEY (Id)", "", ""}};
    EXPECT_EQ(tesk().CreaTabla(cnn_, QStringLiteral("Clientes"), matriz),
              "Create table clientes (Id INT NOT NULL AUTO_INCREMENT,Nombre VARCHAR(40) default "
              "'',PRIMARY KEY (Id));");
    EXPECT_EQ(valor("SELECT COLUMN_KEY FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = "
                    "'prueba_constructores' AND TABLE_NAME = 'clientes' AND COLUMN_NAME = 'Id'"),
              "PRI");
    EXPECT_EQ(plataforma_.pasesDeEventos(), 3);
    cnn_->ejecuta(QStringLiteral("ALTER TABLE clientes ADD Saldo double"));
    cnn_->ejecuta(QStringLiteral("INSERT INTO clientes (Id, Nombre, Saldo) VALUES (7, 'EVA', 0)"));

    // AgregaRegistro on a record set that is empty before: it is re-queried afterwards.
    auto notas = abre(QStringLiteral("Select * from notas"));
    ASSERT_TRUE(notas->eof());
    QStringList valores{"A1", "1", "hola"};
    EXPECT_EQ(tesk().AgregaRegistro(cnn_, notas, QStringLiteral("Notas"),
                                    {"Llave", "Registro", "Contenido"}, valores),
              "Insert into notas (Llave,Registro,Contenido) values ('A1',1,'hola');");
    ASSERT_FALSE(notas->eof());
    EXPECT_EQ(notas->campo(QStringLiteral("Contenido")).valor().texto(), "hola");
    EXPECT_EQ(valores, QStringList({"A1", "1", "hola"}));

    // ActualizaRegistro: a double bare, the condition after " where ".
    auto clientes = abre(QStringLiteral("Select * from clientes"));
    QStringList cambios{"ANA", "10.5"};
    EXPECT_EQ(tesk().ActualizaRegistro(cnn_, clientes, QStringLiteral("clientes"),
                                       {"Nombre", "Saldo"}, cambios, QStringLiteral("Id=7")),
              "Update clientes set Nombre='ANA',Saldo=10.5 where Id=7;");
    EXPECT_EQ(valor("SELECT CONCAT(Nombre, '|', Saldo) FROM clientes WHERE Id = 7"), "ANA|10.5");
    EXPECT_EQ(clientes->campo(QStringLiteral("Nombre")).valor().texto(), "ANA");
    EXPECT_TRUE(plataforma_.mensajes().isEmpty()) << plataforma_.textos().join('\n').toStdString();
}

TEST_F(Constructores, ColumnaDeFechaAhoraOTextoQueNoEsFecha) {
    auto eventos = abre(QStringLiteral("Select * from eventos where Id = -1"));
    const QStringList campos{"Nombre", "Fecha"};
    const auto agrega = [&](const QString& nombre, const QString& fecha) {
        QStringList valores{nombre, fecha};
        const QString s =
            tesk().AgregaRegistro(cnn_, eventos, QStringLiteral("eventos"), campos, valores);
        return std::pair{s, valores[1]};
    };

    for (const QString& ahora :
         {QStringLiteral("now"), QStringLiteral(" Now() "), QStringLiteral("NOWHERE")}) {
        const auto [s, entrada] = agrega(QStringLiteral("ahora"), ahora);
        EXPECT_EQ(s, "Insert into eventos (Nombre,Fecha) values ('ahora',NOW());")
            << ahora.toStdString();
        EXPECT_EQ(entrada, "NOW()") << ahora.toStdString();
    }
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM eventos WHERE Nombre = 'ahora' AND Fecha = CURDATE()"),
              3);

    // es_MX reads day first; "31/02/2024" does not exist.
    auto [s, entrada] = agrega(QStringLiteral("marzo"), QStringLiteral("05/03/2009"));
    EXPECT_EQ(s, "Insert into eventos (Nombre,Fecha) values ('marzo','2009-3-5');");
    EXPECT_EQ(entrada, "2009-3-5");
    EXPECT_EQ(valor("SELECT Fecha FROM eventos WHERE Nombre = 'marzo'"), "2009-03-05");
    for (const QString& mala : {QStringLiteral("abc"), QStringLiteral("31/02/2024")}) {
        std::tie(s, entrada) = agrega(QStringLiteral("nada"), mala);
        EXPECT_EQ(s, "Insert into eventos (Nombre,Fecha) values ('nada','0000-00-00');");
        EXPECT_EQ(entrada, "0000-00-00");
    }

    // A date-time and a long text get no delimiter, as the caller writes them.
    QStringList otros{"NOW()", "42", "7"};
    EXPECT_EQ(tesk().ActualizaRegistro(cnn_, eventos, QStringLiteral("eventos"),
                                       {"Captura", "Nota", "Cantidad"}, otros,
                                       QStringLiteral("Nombre = 'marzo'")),
              "Update eventos set Captura=NOW(),Nota=42,Cantidad=7 where Nombre = 'marzo';");
    EXPECT_EQ(valor("SELECT CONCAT(Nota, '|', Cantidad, '|', DATE(Captura) = CURDATE()) FROM "
                    "eventos WHERE Nombre = 'marzo'"),
              "42|7|1");
    EXPECT_TRUE(plataforma_.mensajes().isEmpty()) << plataforma_.textos().join('\n').toStdString();
}

TEST_F(Constructores, ListasVaciasYListasDeDistintoLargo) {
    cnn_->ejecuta(
        QStringLiteral("CREATE TABLE vacias (Id int AUTO_INCREMENT PRIMARY KEY, "
                       "Nombre varchar(10) DEFAULT 'x')"));
    auto rs = abre(QStringLiteral("Select * from vacias"));
    QStringList ninguno;
    EXPECT_EQ(tesk().AgregaRegistro(cnn_, rs, QStringLiteral("Vacias"), {}, ninguno),
              "Insert into vacias () values ();");
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM vacias WHERE Nombre = 'x'"), 1);
    EXPECT_EQ(rs->cuentaRegistros(), 1);
    EXPECT_TRUE(plataforma_.mensajes().isEmpty());

    // An update without assignments is executed too, and the server refuses it.
    EXPECT_EQ(tesk().ActualizaRegistro(cnn_, rs, QStringLiteral("Vacias"), {}, ninguno),
              "Update vacias set ;");
    EXPECT_EQ(tesk().ActualizaRegistro(cnn_, rs, QStringLiteral("Vacias"), {}, ninguno,
                                       QStringLiteral("Id=1")),
              "Update vacias set  where Id=1;");
    EXPECT_EQ(plataforma_.textos(),
              QStringList({"Uno de los valores enviados para grabarse en la tabla 'Vacias' es "
                           "incorrecto: Update vacias set ;",
                           "Uno de los valores enviados para grabarse en la tabla 'Vacias' es "
                           "incorrecto: Update vacias set  where Id=1;"}));

    // Different lengths: one message, nothing executed, the record set not re-read.
    plataforma_.limpia();
    cnn_->ejecuta(QStringLiteral("INSERT INTO vacias () VALUES ()"));
    QStringList uno{"y"};
    EXPECT_EQ(tesk().AgregaRegistro(cnn_, rs, QStringLiteral("vacias"), {"Id", "Nombre"}, uno), "");
    EXPECT_EQ(tesk().ActualizaRegistro(cnn_, rs, QStringLiteral("vacias"), {}, uno), "");
    EXPECT_EQ(rs->cuentaRegistros(), 1);
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM vacias"), 2);
    EXPECT_EQ(uno, QStringList({"y"}));
    ASSERT_EQ(plataforma_.mensajes().size(), 2);
    for (const Mensaje& m : plataforma_.mensajes()) {
        EXPECT_EQ(m.texto, "La lista de campos y la lista de valores tienen diferentes elementos");
        EXPECT_EQ(m.titulo, "ERROR");
        EXPECT_EQ(m.icono, Icono::Critico);
        EXPECT_EQ(m.botones, Botones::Aceptar);
    }
    EXPECT_EQ(plataforma_.pasesDeEventos(), 0);
}

TEST_F(Constructores, FallosDejanMensajeYLaSentenciaSigue) {
    auto notas = abre(QStringLiteral("Select * from notas where Llave = 'F'"));

    // An empty value for an integer column: the server refuses the statement as built.
    QStringList vacio{"F", "", "x"};
    const QString rechazada = tesk().AgregaRegistro(cnn_, notas, QStringLiteral("Notas"),
                                                    {"Llave", "Registro", "Contenido"}, vacio);
    EXPECT_EQ(rechazada, "Insert into notas (Llave,Registro,Contenido) values ('F',,'x');");

    // A column the record set lacks: its own message, then the server's refusal.
    QStringList sinColumna{"F", "2", "x"};
    const QString sinCampo = tesk().AgregaRegistro(cnn_, notas, QStringLiteral("Notas"),
                                                   {"Llave", "Registro", "Nada"}, sinColumna);
    EXPECT_EQ(sinCampo, "Insert into notas (Llave,Registro,Nada) values ('F',2,'x');");
    EXPECT_EQ(plataforma_.textos(),
              QStringList({"Uno de los valores enviados para grabarse en la tabla 'Notas' es "
                           "incorrecto: " +
                               rechazada,
                           "No existe el campo 'Nada' en la tabla 'Notas'",
                           "Uno de los valores enviados para grabarse en la tabla 'Notas' es "
                           "incorrecto: " +
                               sinCampo}));
    for (const Mensaje& m : plataforma_.mensajes()) {
        EXPECT_EQ(m.titulo, "ERROR");
        EXPECT_EQ(m.icono, Icono::Critico);
    }
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM notas WHERE Llave = 'F'"), 0);

    // The rest (a closed connection here) has a message of its own for each operation; the
    // statement is still built and returned.
    plataforma_.limpia();
    auto cerrada = prueba::conecta(QStringLiteral("prueba_constructores"));
    cerrada->cierra();
    QStringList una{"G", "1", "y"};
    EXPECT_EQ(tesk().AgregaRegistro(cerrada, notas, QStringLiteral("Notas"),
                                    {"Llave", "Registro", "Contenido"}, una),
              "Insert into notas (Llave,Registro,Contenido) values ('G',1,'y');");
    EXPECT_EQ(tesk().ActualizaRegistro(cerrada, notas, QStringLiteral("Notas"), {"Contenido"}, una,
                                       QStringLiteral("Llave='G'")),
              "");  // lists of different lengths
    QStringList otra{"z"};
    EXPECT_EQ(tesk().ActualizaRegistro(cerrada, notas, QStringLiteral("Notas"), {"Contenido"}, otra,
                                       QStringLiteral("Llave='G'")),
              "Update notas set Contenido='z' where Llave='G';");
    EXPECT_EQ(plataforma_.textos(),
              QStringList({"Sucedió un error al tratar de agregar el registro en 'Notas'. Favor de "
                           "revisar los valores enviados",
                           "La lista de campos y la lista de valores tienen diferentes elementos",
                           "Sucedió un error al tratar de actualizar registros en la tabla "
                           "'Notas'. Favor de revisar los valores enviados"}));
}

TEST_F(Constructores, ComillasYDiagonalesNoRompenLaSentencia) {
    auto eventos = abre(QStringLiteral("Select * from eventos where Id = -1"));
    const QString nombre = QStringLiteral("TALLER \"EL GÜERO\" L'ESPIGA \\ 100% _ 🌹");
    QStringList valores{nombre, "07/08/2021"};
    const QString s = tesk().AgregaRegistro(cnn_, eventos, QStringLiteral("eventos"),
                                            {"Nombre", "Fecha"}, valores);
    EXPECT_EQ(s,
              "Insert into eventos (Nombre,Fecha) values ('TALLER \\\"EL GÜERO\\\" L\\'ESPIGA "
              "\\\\ 100% _ 🌹','2021-8-7');");
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM eventos WHERE CAST(Nombre AS BINARY) = X'" +
                     hex(nombre) + "'"),
              1);
    const int id = tesk().LastId(cnn_, QStringLiteral("eventos"), QStringLiteral("Id"));

    const QString otro = QStringLiteral("O'Higgins \\' OR 1=1 -- \"");
    QStringList cambio{otro};
    tesk().ActualizaRegistro(cnn_, eventos, QStringLiteral("eventos"), {"Nombre"}, cambio,
                             QStringLiteral("Id=") + QString::number(id));
    EXPECT_EQ(valor("SELECT Nombre FROM eventos WHERE Id = " + QString::number(id)), otro);
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM eventos WHERE Nombre = 'O''Higgins \\\\'' OR 1=1 -- "
                     "\"'"),
              1);  // only that row changed
    EXPECT_TRUE(plataforma_.mensajes().isEmpty()) << plataforma_.textos().join('\n').toStdString();

    // A quote in a value written bare cannot open a text of its own: unescaped, this number
    // would make the statement insert a second row.
    auto notas = abre(QStringLiteral("Select * from notas where Llave = 'H'"));
    QStringList intruso{"H", "1,'a'),('I',2", "c"};
    EXPECT_EQ(
        tesk().AgregaRegistro(cnn_, notas, QStringLiteral("notas"),
                              {"Llave", "Registro", "Contenido"}, intruso),
        "Insert into notas (Llave,Registro,Contenido) values ('H',1,\\'a\\'),(\\'I\\',2,'c');");
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM notas WHERE Llave IN ('H', 'I')"), 0);
    ASSERT_FALSE(plataforma_.textos().isEmpty());
    EXPECT_TRUE(plataforma_.textos().last().startsWith(
        "Uno de los valores enviados para grabarse en la tabla 'notas' es incorrecto: "));
}

TEST_F(Constructores, LastIdTrasInsertarYSinFila) {
    // A connection that has inserted nothing: last_insert_id() is 0 and no row has that key.
    auto nueva = prueba::conecta(QStringLiteral("prueba_constructores"));
    EXPECT_EQ(tesk().LastId(nueva, QStringLiteral("eventos"), QStringLiteral("Id")), 0);

    auto eventos = abre(QStringLiteral("Select * from eventos where Id = -1"));
    QStringList a{"primero"};
    tesk().AgregaRegistro(nueva, eventos, QStringLiteral("eventos"), {"Nombre"}, a);
    QStringList b{"segundo"};
    tesk().AgregaRegistro(nueva, eventos, QStringLiteral("eventos"), {"Nombre"}, b);
    const std::int32_t id = tesk().LastId(nueva, QStringLiteral("eventos"), QStringLiteral("Id"));
    EXPECT_EQ(valor("SELECT Nombre FROM eventos WHERE Id = " + QString::number(id)), "segundo");
    EXPECT_EQ(id, cuenta("SELECT MAX(Id) FROM eventos WHERE Nombre = 'segundo'"));
    // Another connection's inserts do not move it.
    QStringList c{"tercero"};
    tesk().AgregaRegistro(cnn_, eventos, QStringLiteral("eventos"), {"Nombre"}, c);
    EXPECT_EQ(tesk().LastId(nueva, QStringLiteral("eventos"), QStringLiteral("Id")), id);

    // The layer's failures reach the caller.
    try {
        tesk().LastId(nueva, QStringLiteral("noexiste"), QStringLiteral("Id"));
        ADD_FAILURE() << "no failure";
    } catch (const ErrorTESK& e) {
        EXPECT_EQ(e.numero(), errores::SentenciaRechazada);
    }
    nueva->cierra();
    try {
        tesk().LastId(nueva, QStringLiteral("eventos"), QStringLiteral("Id"));
        ADD_FAILURE() << "no failure";
    } catch (const ErrorTESK& e) {
        EXPECT_EQ(e.numero(), errores::ConexionCerrada);
    }
    EXPECT_TRUE(plataforma_.mensajes().isEmpty());
}

TEST_F(Constructores, CreaTablaLlavesOmisionesYFallo) {
    // Blanks only as a default write no default clause; a quoted default is upper-cased.
    const QList<QStringList> matriz{{" Codigo ", " char(3) ", "'abc'"},
                                    {"Nombre", "varchar(20)", "   "},
                                    {"Cuenta", "int"},
                                    {"unique key (Nombre)", "ignorado", "ignorado"}};
    EXPECT_EQ(tesk().CreaTabla(cnn_, QStringLiteral("CATALOGO"), matriz),
              "Create table catalogo (Codigo CHAR(3) default 'ABC',Nombre VARCHAR(20),Cuenta "
              "INT,unique key (Nombre));");
    EXPECT_TRUE(plataforma_.mensajes().isEmpty());
    cnn_->ejecuta(QStringLiteral("INSERT INTO catalogo (Nombre) VALUES ('n')"));
    EXPECT_EQ(valor("SELECT CONCAT(Codigo, '|', COALESCE(Cuenta, 'nulo')) FROM catalogo"),
              "ABC|nulo");

    // A column named with the letters "key" is taken for a key clause: the server refuses it.
    const QString s = tesk().CreaTabla(cnn_, QStringLiteral("monos"),
                                       {{"Id", "int", ""}, {"Monkey", "varchar(5)", ""}});
    EXPECT_EQ(s, "Create table monos (Id INT,Monkey);");
    ASSERT_EQ(plataforma_.mensajes().size(), 1);
    const Mensaje& m = plataforma_.mensajes().first();
    EXPECT_EQ(m.titulo, "Error al crear la tabla");
    EXPECT_EQ(m.icono, Icono::Critico);
    EXPECT_TRUE(m.texto.startsWith("Error -2147217900: ")) << m.texto.toStdString();
    EXPECT_GT(m.texto.size(), QStringLiteral("Error -2147217900: ").size());
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = "
                     "'prueba_constructores' AND TABLE_NAME = 'monos'"),
              0);
}

}  // namespace
