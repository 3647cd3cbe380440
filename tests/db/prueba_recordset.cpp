// Record sets and fields: type codes and values of every column kind, moving, finding,
// re-querying, updating, closed sets.

#include <gtest/gtest.h>

#include <QTimeZone>

#include "AyudaPruebas.h"
#include "PlataformaPrueba.h"
#include "ServidorPrueba.h"
#include "core/libTESK.h"

using namespace quilmaro;

namespace {

using prueba::numeroDeError;

class RecordsetPrueba : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        cnn_ = prueba::basePropia("prueba_recordset");
        cnn_->ejecuta(QStringLiteral(R"(
CREATE TABLE todos (
  Id int NOT NULL AUTO_INCREMENT PRIMARY KEY,
  Ti tinyint, TiU tinyint unsigned, Si smallint, SiU smallint unsigned, An year,
  Mi mediumint, MiU mediumint unsigned, En int, EnU int unsigned, Bi bigint, BiU bigint unsigned,
  Fl float, Db double, De decimal(14,4), B1 bit(1), B8 bit(8),
  Ch char(4), Enm enum('uno','dos'), Co set('a','b'), Vc varchar(60),
  Vcb varchar(10) COLLATE utf8mb4_bin, Tx text, Mt mediumtext, Lt longtext, Tb tinyblob,
  Bl blob, Bn binary(4), Vb varbinary(8), Fe date, Ho time, Fh datetime, Fh6 datetime(6),
  Ts timestamp NULL DEFAULT NULL
) CHARSET utf8mb4)"));
        cnn_->ejecuta(QStringLiteral(R"(
INSERT INTO todos VALUES (1, -128, 255, -32768, 65535, 2024, -8388608, 16777215, -2147483648,
  4294967295, -9223372036854775808, 18446744073709551615, 1.5, 0.1e0 + 0.2e0, -1234.5,
  b'1', b'10100101', 'ab', 'dos', 'b,a', 'O''Higgins "Güero" \\ 🌹', 'x', 'texto', 'largo', 'muy largo',
  X'00FF', X'0102', X'00270AFF', X'5C00', '2024-02-29', '13:05:09', '2024-03-05 09:41:07',
  '2024-03-05 09:41:07.123456', '2024-03-05 10:00:00'))"));
        cnn_->ejecuta("INSERT INTO todos (Id) VALUES (2)");
        // Zero dates, as a lax server (or an older one) keeps them; read on any server.
        cnn_->ejecuta("SET SESSION sql_mode = ''");
        cnn_->ejecuta(
            QStringLiteral("INSERT INTO todos (Id, Fe, Fh) VALUES (3, '0000-00-00', "
                           "'0000-00-00 00:00:00')"));
        cnn_->ejecuta("SET SESSION sql_mode = @@GLOBAL.sql_mode");
        cnn_->ejecuta("CREATE TABLE conf LIKE datos1.configuracion");
        cnn_->ejecuta("INSERT INTO conf SELECT * FROM datos1.configuracion");
    }
    static void TearDownTestSuite() { cnn_.reset(); }

    static std::shared_ptr<Recordset> abre(const QString& sql) {
        auto rs = Recordset::crea();
        rs->abre(sql, cnn_);
        return rs;
    }

    static inline std::shared_ptr<Conexion> cnn_;
};

}  // namespace

TEST_F(RecordsetPrueba, CodigoDeTipoDeCadaClaseDeColumna) {
    const std::vector<std::pair<const char*, int>> esperado = {
        {"Id", 3},    {"Ti", 16},  {"TiU", 17}, {"Si", 2},   {"SiU", 18},  {"An", 2},   {"Mi", 3},
        {"MiU", 19},  {"En", 3},   {"EnU", 19}, {"Bi", 20},  {"BiU", 21},  {"Fl", 4},   {"Db", 5},
        {"De", 131},  {"B1", 11},  {"B8", 128}, {"Ch", 129}, {"Enm", 129}, {"Co", 129}, {"Vc", 200},
        {"Vcb", 200}, {"Tx", 201}, {"Mt", 201}, {"Lt", 201}, {"Tb", 205},  {"Bl", 205}, {"Bn", 128},
        {"Vb", 204},  {"Fe", 133}, {"Ho", 134}, {"Fh", 135}, {"Fh6", 135}, {"Ts", 135}};
    auto rs = abre("Select * from todos order by Id");
    ASSERT_EQ(rs->cuentaCampos(), static_cast<int>(esperado.size()));
    for (size_t i = 0; i < esperado.size(); ++i) {
        const CampoBdD& c = rs->campo(static_cast<int>(i));
        EXPECT_EQ(c.nombre(), esperado[i].first);
        EXPECT_EQ(c.tipo(), esperado[i].second) << esperado[i].first;
    }
}

TEST_F(RecordsetPrueba, ValoresDeCadaClaseDeColumna) {
    using T = Variante::Tipo;
    auto rs = abre("Select * from todos order by Id");
    const auto v = [&](const char* n) { return rs->campo(QString::fromLatin1(n)).valor(); };
    using P = std::pair<const char*, Variante>;
    const auto revisa = [&](std::initializer_list<P> casos) {
        for (const auto& [nombre, valor] : casos)
            EXPECT_EQ(v(nombre), valor) << nombre;
    };
    revisa({P{"Ti", Variante(std::int16_t{-128})}, P{"TiU", Variante(std::int16_t{255})},
            P{"Si", Variante(std::int16_t{-32768})}, P{"SiU", Variante(std::int32_t{65535})},
            P{"An", Variante(std::int16_t{2024})}, P{"Mi", Variante(std::int32_t{-8388608})},
            P{"MiU", Variante::largo64(16777215)}, P{"En", Variante(std::int32_t{-2147483647 - 1})},
            P{"EnU", Variante::largo64(4294967295LL)},
            P{"Bi", Variante::largo64(std::numeric_limits<std::int64_t>::min())},
            P{"BiU", Variante::decimal("18446744073709551615")}, P{"Fl", Variante(1.5)},
            P{"Db", Variante(0.1 + 0.2)}});
    revisa({P{"De", Variante::decimal("-1234.5000")}, P{"B1", Variante(true)},
            P{"B8", Variante::binario(QByteArray("\xA5"))}, P{"Ch", Variante("ab")},
            P{"Enm", Variante("dos")}, P{"Co", Variante("a,b")},
            P{"Vc", Variante("O'Higgins \"Güero\" \\ 🌹")}, P{"Lt", Variante("muy largo")},
            P{"Tb", Variante::binario(QByteArray("\x00\xFF", 2))},
            P{"Bn", Variante::binario(QByteArray("\x00\x27\x0A\xFF", 4))},
            P{"Vb", Variante::binario(QByteArray("\x5C\x00", 2))},
            P{"Fe", Variante(QDate(2024, 2, 29))}, P{"Ho", Variante("13:05:09")},
            P{"Fh", Variante(QDateTime(QDate(2024, 3, 5), QTime(9, 41, 7)))},
            P{"Fh6", Variante(QDateTime(QDate(2024, 3, 5), QTime(9, 41, 7, 123)))}});
    EXPECT_EQ(rs->campo("Fh6").textoServidor(), "2024-03-05 09:41:07.123456");
    EXPECT_EQ(v("Ts").tipo(), T::Fecha);

    rs->siguiente();  // every column NULL but the key
    for (int i = 1; i < rs->cuentaCampos(); ++i)
        EXPECT_TRUE(rs->campo(i).esNulo()) << qPrintable(rs->campo(i).nombre());

    rs->siguiente();  // dates the calendar cannot hold stay the server's text
    EXPECT_EQ(v("Fe"), Variante("0000-00-00"));
    EXPECT_EQ(v("Fh"), Variante("0000-00-00 00:00:00"));
}

TEST_F(RecordsetPrueba, MoverseYBuscarHaciaAdelante) {
    auto rs = abre("Select * from datos1.sistema order by Dato");
    EXPECT_EQ(rs->cuentaRegistros(), 5);
    EXPECT_FALSE(rs->bof());
    const auto dato = [&] { return rs->campo("dato").valor().texto(); };
    EXPECT_EQ(dato(), "FA-");

    rs->busca("Dato = 'FA-B'");
    EXPECT_EQ(dato(), "FA-B");
    rs->busca("Dato = 'FA-B'");  // the current row counts
    EXPECT_EQ(dato(), "FA-B");
    rs->siguiente();
    rs->busca("Dato = 'FA-A'");  // only forward: not found
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(numeroDeError([&] { rs->busca("Dato = 'FA-A'"); }), errores::SinRegistroActual);
    EXPECT_EQ(numeroDeError([&] { rs->siguiente(); }), errores::SinRegistroActual);
    EXPECT_EQ(numeroDeError([&] { rs->campo(0).valor(); }), errores::SinRegistroActual);

    // Names and texts in any capitals, numbers, accents, LIKE with "*".
    using P = std::pair<QString, QString>;
    for (const auto& [criterio, encontrado] :
         {P{"dato='fa-c'", "FA-C"}, P{"Contenido = 8", "FA-B"},
          P{"Comentario = 'Último folio de la serie C'", "FA-C"}, P{"Dato LIKE 'NC*'", "NC-A"}}) {
        rs->primero();
        rs->busca(criterio);
        EXPECT_EQ(dato(), encontrado) << qPrintable(criterio);
    }
    EXPECT_EQ(numeroDeError([&] { rs->busca("Dato"); }), errores::ArgumentoIncorrecto);
    EXPECT_EQ(numeroDeError([&] { rs->busca("Nada = 'x'"); }), errores::CampoInexistente);

    rs->ultimo();
    EXPECT_EQ(dato(), "NC-A");
    rs->primero();
    rs->anterior();
    EXPECT_TRUE(rs->bof());
    EXPECT_EQ(numeroDeError([&] { rs->anterior(); }), errores::SinRegistroActual);
}

TEST_F(RecordsetPrueba, SinFilasYCerrado) {
    auto rs = abre("Select * from conf where 1=0");
    EXPECT_TRUE(rs->eof());
    EXPECT_TRUE(rs->bof());
    EXPECT_EQ(rs->cuentaRegistros(), 0);
    EXPECT_EQ(numeroDeError([&] { rs->primero(); }), errores::SinRegistroActual);
    EXPECT_EQ(numeroDeError([&] { rs->campo("Dato").valor(); }), errores::SinRegistroActual);
    EXPECT_EQ(rs->campo("DATO").tipo(), 200);
    EXPECT_EQ(numeroDeError([&] { rs->campo("NoHay"); }), errores::CampoInexistente);
    for (int fuera : {4, -1})
        EXPECT_EQ(numeroDeError([&] { rs->campo(fuera); }), errores::CampoInexistente) << fuera;

    CampoBdD& dato = rs->campo(0);
    rs->cierra();
    EXPECT_EQ(numeroDeError([&] { rs->eof(); }), errores::RecordsetCerrado);
    EXPECT_EQ(numeroDeError([&] { rs->cuentaRegistros(); }), errores::RecordsetCerrado);
    EXPECT_EQ(numeroDeError([&] { dato.valor(); }), errores::RecordsetCerrado);
    EXPECT_EQ(numeroDeError([&] { rs->cierra(); }), errores::RecordsetCerrado);

    auto sinConexion = Recordset::crea();
    EXPECT_EQ(numeroDeError([&] { sinConexion->abre("Select 1", nullptr); }),
              errores::ConexionCerrada);
}

TEST_F(RecordsetPrueba, ActualizarPorLaLlavePrimaria) {
    cnn_->ejecuta("CREATE TABLE conf2 LIKE conf");
    cnn_->ejecuta("INSERT INTO conf2 SELECT * FROM conf");
    auto rs = abre("Select * from conf2 order by Dato");
    const auto enServidor = [&](const char* dato) {
        return prueba::valorSQL(
            *cnn_, QStringLiteral("SELECT HEX(Contenido) FROM conf2 WHERE Dato='%1'").arg(dato));
    };

    rs->busca("Dato = 'FOLIOREPARTO'");
    CampoBdD& contenido = rs->campo("Contenido");
    contenido.asigna(Variante(std::int32_t{42}));
    EXPECT_EQ(contenido.valor(), Variante(std::int32_t{42}));  // visible before it is written
    EXPECT_EQ(enServidor("FOLIOREPARTO"), QByteArray("41").toHex().toUpper());
    rs->actualiza();
    EXPECT_EQ(enServidor("FOLIOREPARTO"), QByteArray("42").toHex().toUpper());
    EXPECT_EQ(contenido.valor(), Variante("42"));

    const QString dificil = "l'a \"b\" \\ 🌹";
    rs->primero();
    contenido.asigna(Variante(dificil));
    rs->siguiente();  // moving writes what was assigned
    EXPECT_EQ(enServidor("EMPRESA"), dificil.toUtf8().toHex().toUpper());
    rs->primero();
    EXPECT_EQ(contenido.valor().texto(), dificil);

    rs->busca("Dato = 'TASAIVA'");
    contenido.asigna(Variante::nulo());
    rs->actualiza();
    EXPECT_EQ(prueba::cuentaSQL(*cnn_, "SELECT COUNT(*) FROM conf2 WHERE Contenido IS NULL"), 1);

    rs->reconsulta();
    EXPECT_EQ(rs->campo("Dato").valor().texto(), "EMPRESA");
    EXPECT_EQ(contenido.valor().texto(), dificil);

    // The row is gone: the update finds nothing.
    cnn_->ejecuta("DELETE FROM conf2 WHERE Dato='EMPRESA'");
    contenido.asigna(Variante("x"));
    EXPECT_EQ(numeroDeError([&] { rs->actualiza(); }), errores::FilaNoLocalizada);
    rs->reconsulta();
    EXPECT_EQ(rs->cuentaRegistros(), 4);

    // Without the key among the columns there is nothing to key the update by.
    auto sinLlave = abre("Select Contenido, Tipo from conf2");
    sinLlave->campo(0).asigna(Variante("y"));
    EXPECT_EQ(numeroDeError([&] { sinLlave->actualiza(); }), errores::NoActualizable);
    auto calculado = abre("Select Dato, concat(Contenido, '') as C from conf2");
    calculado->campo(1).asigna(Variante("y"));
    EXPECT_EQ(numeroDeError([&] { calculado->actualiza(); }), errores::NoActualizable);
}

TEST_F(RecordsetPrueba, ActualizarFechasYNumeros) {
    auto rs = abre("Select Id, Fe, Fh, De, B1, Bn from todos where Id=2");
    rs->campo("Fe").asigna(Variante(QDate(2001, 2, 3)));
    rs->campo("Fh").asigna(Variante(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6))));
    rs->campo("De").asigna(Variante::decimal("12.3456"));
    rs->campo("B1").asigna(Variante(true));
    rs->campo("Bn").asigna(Variante::binario(QByteArray("\x27\x5C\x00\x01", 4)));
    rs->actualiza();
    EXPECT_EQ(prueba::valorSQL(
                  *cnn_, QStringLiteral("SELECT CONCAT_WS('|', Fe, Fh, De, B1+0, HEX(Bn)) FROM "
                                        "todos WHERE Id=2")),
              "2001-02-03|2001-02-03 04:05:06|12.3456|1|275C0001");
    EXPECT_EQ(rs->campo("Fh").valor(), Variante(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6))));
    cnn_->ejecuta(
        QStringLiteral("UPDATE todos SET Fe=NULL, Fh=NULL, De=NULL, B1=NULL, Bn=NULL "
                       "WHERE Id=2"));
}

TEST_F(RecordsetPrueba, EjecutarSentenciasQueDevuelvenFilas) {
    auto tablas = cnn_->ejecuta("Show tables");
    ASSERT_TRUE(tablas);
    QStringList nombres;
    for (tablas->primero(); !tablas->eof(); tablas->siguiente())
        nombres.append(tablas->campo(0).valor().texto());
    EXPECT_TRUE(nombres.contains("todos"));
    EXPECT_TRUE(nombres.contains("conf"));
    EXPECT_EQ(tablas->campo(0).tipo(), 200);
    auto creacion = cnn_->ejecuta("Show create table conf");
    ASSERT_TRUE(creacion);
    EXPECT_TRUE(creacion->campo(1).valor().texto().startsWith("CREATE TABLE `conf`"));
    EXPECT_EQ(cnn_->ejecuta("UPDATE conf SET Tipo=Tipo WHERE 1=0"), nullptr);
}
