// The settings and memo store against the test server: each type read and written, new settings,
// folios drawn from two connections at once, long texts cut and glued back, and the transaction
// guard they use.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <numeric>
#include <thread>
#include <vector>

#include "AyudaPruebas.h"
#include "PlataformaPrueba.h"
#include "ServidorPrueba.h"
#include "core/libTESK.h"
#include "db/Transaccion.h"

using namespace quilmaro;
using prueba::PlataformaPrueba;

namespace {

const QString kBase = "prueba_almacen";

class Almacen : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        cnn_ = prueba::basePropia(kBase);
        cnn_->ejecuta("CREATE TABLE configuracion LIKE datos1.configuracion");
        cnn_->ejecuta("CREATE TABLE memos LIKE datos1.memos");
    }
    static void TearDownTestSuite() { cnn_.reset(); }

    void SetUp() override {
        cnn_->ejecuta("DELETE FROM configuracion");
        cnn_->ejecuta(QStringLiteral(
            "INSERT INTO configuracion (Dato, Contenido, Tipo) VALUES ('TEXTO', 'hola', 'C'), "
            "('CADENA', ' dos  blancos ', 'S'), ('NULO', NULL, 'T'), ('NUMERO', '1,250.5', 'N'), "
            "('FECHA', '05/mar/2024', 'F'), ('FECHAV', '  ', 'D'), ('FECHAN', NULL, 'F'), "
            "('BANDERA', '1', 'B'), ('BANDERA0', '0', 'L'), ('BANDERAV', '', 'B'), "
            "('RARO', 'x', 'Z'), ('FOLIO', '41', 'N'), ('CERO', '0', 'N'), "
            "('MALO', 'abc', 'C')"));
        tabla_ = Recordset::crea();
        tabla_->abre("Select * from configuracion", cnn_);
    }

    static QString guardado(const QString& dato) {
        const auto v = prueba::valorSQL(
            *cnn_,
            QStringLiteral("SELECT Contenido FROM configuracion WHERE Dato = '%1'").arg(dato));
        return v ? QString::fromUtf8(*v) : "<NULL>";
    }
    static long long cuenta(const QString& sql) { return prueba::cuentaSQL(*cnn_, sql); }

    Variante lee(const QString& dato) {
        QString d = dato;
        return tesk().LeeDato(d, tabla_);
    }
    QString graba(const QString& dato, const Variante& v) {
        QString d = dato;
        return tesk().GrabaDato(d, v, tabla_);
    }

    static inline std::shared_ptr<Conexion> cnn_;
    std::shared_ptr<Recordset> tabla_;
    PlataformaPrueba plataforma_;
};

TEST_F(Almacen, LeeDatoConvierteCadaTipo) {
    QString clave = "texto";
    EXPECT_EQ(tesk().LeeDato(clave, tabla_), Variante("hola"));
    EXPECT_EQ(clave, "TEXTO");
    // Blank or NULL dates, an unknown type, a missing key, a closed record set: empty text.
    using P = std::pair<const char*, Variante>;
    for (const auto& [dato, valor] :
         {P{"Cadena", Variante(" dos  blancos ")}, P{"NULO", Variante::nulo()},
          P{"NUMERO", Variante(1250.5)}, P{"FECHA", Variante(QDate(2024, 3, 5))},
          P{"BANDERA", Variante(true)}, P{"BANDERA0", Variante(false)},
          P{"BANDERAV", Variante(false)}, P{"FECHAV", Variante(QString())},
          P{"FECHAN", Variante(QString())}, P{"RARO", Variante(QString())},
          P{"NOEXISTE", Variante(QString())}, P{"O'NEIL", Variante(QString())}})
        EXPECT_EQ(lee(dato), valor) << dato;
    tabla_->cierra();
    EXPECT_EQ(lee("TEXTO"), Variante(QString()));
}

TEST_F(Almacen, GrabaDatoEscribeSegunElTipoYRelee) {
    // The key, the value, the text stored and the value read back.
    using C = std::tuple<QString, Variante, QString, Variante>;
    const QString nombre = "PANADERÍA L'ESPIGA \"X\" \\";
    for (const auto& [dato, valor, texto, leido] :
         {C{"texto", Variante(nombre), nombre, Variante(nombre)},
          C{"NUMERO", Variante(1250.5), "1250.5", Variante(1250.5)},
          C{"NUMERO", Variante(std::int32_t{-7}), "-7", Variante(-7.0)},
          C{"BANDERA", Variante(false), "0", Variante(false)},
          C{"BANDERA0", Variante(std::int16_t{5}), "1", Variante(true)},
          C{"FECHAV", Variante(QDate(2009, 12, 1)), "01/dic/2009", Variante(QDate(2009, 12, 1))},
          C{"FECHA", Variante::nulo(), "", Variante(QString())},
          C{"RARO", Variante("y"), "", Variante(QString())}}) {
        QString clave = dato;
        EXPECT_EQ(tesk().GrabaDato(clave, valor, tabla_), texto) << qPrintable(dato);
        EXPECT_EQ(clave, dato.toUpper());
        EXPECT_EQ(guardado(clave), texto) << qPrintable(dato);
        // The record set is re-read: the new value is there.
        EXPECT_EQ(lee(clave), leido) << qPrintable(dato);
    }

    // A missing key stores nothing; values the type cannot take fail and store nothing.
    EXPECT_EQ(graba("NOEXISTE", Variante("z")), "");
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM configuracion"), 14);
    using P = std::pair<const char*, Variante>;
    for (const auto& [dato, valor] : {P{"BANDERA", Variante("abc")}, P{"CADENA", Variante::nulo()},
                                      P{"FECHA", Variante("no es fecha")}}) {
        const QString antes = guardado(dato);
        EXPECT_THROW(graba(dato, valor), ErrorTESK);
        EXPECT_EQ(guardado(dato), antes);
    }
}

TEST_F(Almacen, IniciaDatoSoloInsertaLoQueFalta) {
    QString tabla;
    QString clave = "texto";
    EXPECT_EQ(tesk().IniciaDato(clave, "otro", "c", "x", tabla_, cnn_, tabla), "");
    EXPECT_EQ(guardado("TEXTO"), "hola");
    EXPECT_EQ(tabla, "configuracion");

    // 150 characters of accented comment: the first 100 are stored. An empty table holds no
    // setting yet: the first one goes in; its name is written back in lower case.
    const QString comentario = QStringLiteral("Número de séptima ").repeated(9).left(150);
    cnn_->ejecuta("CREATE OR REPLACE TABLE vacia LIKE configuracion");
    auto vacia = Recordset::crea();
    vacia->abre("Select * from vacia", cnn_);
    QString otraTabla = "Vacia";
    for (auto* t : {&tabla_, &vacia}) {
        QString nueva = "serie-b";
        QString& nombre = t == &tabla_ ? tabla : otraTabla;
        const QString sentencia = tesk().IniciaDato(nueva, "17", "n", comentario, *t, cnn_, nombre);
        EXPECT_EQ(sentencia,
                  "Insert into " + nombre +
                      " (Dato, Contenido, Tipo, Comentario) values ('SERIE-B', '17', 'N', '" +
                      comentario.left(100) + "');");
        EXPECT_EQ(prueba::valorSQL(*cnn_, "SELECT CONCAT(Contenido, Tipo, Comentario) FROM " +
                                              nombre + " WHERE Dato = 'SERIE-B'"),
                  ("17N" + comentario.left(100)).toUtf8());
    }
    EXPECT_EQ(otraTabla, "vacia");
    EXPECT_TRUE(plataforma_.mensajes().isEmpty());
}

TEST_F(Almacen, ObtenFolioSumaUnoYGuarda) {
    using C = std::pair<QString, std::int32_t>;
    for (const auto& [dato, folio] : {C{"folio", 42}, C{"FOLIO", 43}, C{"Cero", 1}}) {
        QString d = dato;
        EXPECT_EQ(tesk().ObtenFolio(d, tabla_), folio);
        EXPECT_EQ(guardado(dato.toUpper()), QString::number(folio));
    }
    // A missing counter, or one that is no number, fails: nothing is stored and the row is not
    // left locked.
    for (QString dato : {"no-hay", "malo"})
        EXPECT_THROW(tesk().ObtenFolio(dato, tabla_), ErrorTESK);
    EXPECT_EQ(guardado("MALO"), "abc");
    auto otra = prueba::conecta(kBase);
    otra->ejecuta("SET innodb_lock_wait_timeout = 1");
    otra->ejecuta("START TRANSACTION");
    EXPECT_NO_THROW(otra->ejecuta("SELECT * FROM configuracion WHERE Dato = 'MALO' FOR UPDATE"));
    otra->ejecuta("ROLLBACK");
}

TEST_F(Almacen, ObtenFolioDentroDeLaTransaccionDelLlamador) {
    // The caller's transaction has read the table (its snapshot) before another workstation drew
    // folio 100: the folio is the latest plus one, its row stays locked until the caller ends,
    // and the caller's rollback takes it back.
    auto otra = prueba::conecta(kBase);
    otra->ejecuta("SET innodb_lock_wait_timeout = 1");
    QString folio = "FOLIO";
    for (const char* fin : {"ROLLBACK", "COMMIT"}) {
        cnn_->ejecuta("START TRANSACTION");
        EXPECT_EQ(guardado("FOLIO"), "41");
        otra->ejecuta("UPDATE configuracion SET Contenido = '100' WHERE Dato = 'FOLIO'");
        EXPECT_EQ(tesk().ObtenFolio(folio, tabla_), 101) << fin;
        EXPECT_EQ(prueba::numeroDeError([&] {
                      otra->ejecuta("SELECT * FROM configuracion WHERE Dato = 'FOLIO' FOR UPDATE");
                  }),
                  errores::SentenciaRechazada);  // lock wait timeout
        cnn_->ejecuta(fin);
        EXPECT_EQ(guardado("FOLIO"), QString(fin) == "COMMIT" ? "101" : "100");
        otra->ejecuta("UPDATE configuracion SET Contenido = '41' WHERE Dato = 'FOLIO'");
    }
}

TEST_F(Almacen, DosConexionesNuncaObtienenElMismoFolio) {
    constexpr int kPorConexion = 200;
    std::vector<std::int32_t> folios[2];
    const auto saca = [&](int n) {
        EXPECT_NO_THROW({
            auto cnn = prueba::conecta(kBase);
            auto tabla = Recordset::crea();
            tabla->abre("Select * from configuracion", cnn);
            for (int i = 0; i < kPorConexion; ++i) {
                QString dato = "FOLIO";
                folios[n].push_back(tesk().ObtenFolio(dato, tabla));
            }
        });
    };
    std::thread a(saca, 0), b(saca, 1);
    a.join();
    b.join();
    // Each connection's folios rise, and together they are 42 to 441, each once.
    std::vector<std::int32_t> todos;
    for (const auto& f : folios) {
        EXPECT_TRUE(std::is_sorted(f.begin(), f.end()));
        todos.insert(todos.end(), f.begin(), f.end());
    }
    std::sort(todos.begin(), todos.end());
    std::vector<std::int32_t> esperados(2 * kPorConexion);
    std::iota(esperados.begin(), esperados.end(), 42);
    EXPECT_EQ(todos, esperados);
    EXPECT_EQ(guardado("FOLIO"), QString::number(41 + 2 * kPorConexion));
}

class Memos : public Almacen {
  protected:
    void SetUp() override {
        Almacen::SetUp();
        cnn_->ejecuta("DELETE FROM memos");
        rst_ = Recordset::crea();
        rst_->abre("Select * from memos where Llave = ''", cnn_);
    }

    // Lengths of the stored pieces of a key, in order.
    static QByteArray piezas(const QString& llave) {
        return prueba::valorSQL(*cnn_, QStringLiteral("SELECT GROUP_CONCAT(CHAR_LENGTH(Contenido) "
                                                      "ORDER BY Registro) FROM memos WHERE Llave "
                                                      "= '%1'")
                                           .arg(cnn_->escapa(llave)))
            .value_or("");
    }

    QString roundTrip(const QString& llave, const QString& texto) {
        tesk().GrabaMemo(llave, texto, cnn_, "memos", rst_);
        return tesk().LeerMemo(llave, cnn_, "MEMOS", rst_);
    }

    std::shared_ptr<Recordset> rst_;
};

// Text where every piece differs from every other, with accents and other letters.
QString textoLargo(int largo) {
    QString t;
    for (int i = 0; t.size() < largo; ++i)
        t += QString::number(i) + QStringLiteral(" áéíóú ÁÉÍÓÚ ñÑ üÜ ¿¡ «» € ");
    t.truncate(largo);
    return t;
}

TEST_F(Memos, TextosDeTodosLosLargosVuelvenIguales) {
    // The key, the text, and the lengths of its pieces. A rose (two UTF-16 units) across the
    // 250th place goes whole into the second piece.
    const QString rosa = QString(249, QLatin1Char('a')) + QStringLiteral("🌹") + "fin";
    using C = std::tuple<QString, QString, QByteArray>;
    for (const auto& [llave, texto, largos] :
         {C{"LARGO", textoLargo(10000), QList<QByteArray>(40, "250").join(',')},
          C{"A", textoLargo(250), "250"}, C{"B", textoLargo(251), "250,1"},
          C{"O'Brien \"x\" \\", "Dijo: 'no' \"sí\" \\n \\' " + textoLargo(300), "250,72"},
          C{"ROSA", rosa, "249,4"}}) {
        EXPECT_EQ(roundTrip(llave, texto), texto) << qPrintable(llave);
        EXPECT_EQ(piezas(llave), largos) << qPrintable(llave);
    }
    EXPECT_TRUE(rst_->estaAbierto());
    EXPECT_TRUE(rst_->eof());

    // Writing again replaces: an empty text leaves no rows under the key, the others stay.
    EXPECT_EQ(roundTrip("B", QString()), "");
    EXPECT_EQ(piezas("B"), "");
    EXPECT_EQ(piezas("A"), "250");
    EXPECT_EQ(tesk().LeerMemo("LARGO", cnn_, "memos", rst_), textoLargo(10000));
    EXPECT_EQ(tesk().LeerMemo("NADA", cnn_, "memos", rst_), "");

    EXPECT_EQ(plataforma_.textos(), QStringList());
    EXPECT_FALSE(plataforma_.ocupado());
    EXPECT_EQ(plataforma_.vecesOcupado(), 6);
}

TEST_F(Memos, FallosLleganAlLlamador) {
    // A piece that the table refuses is reported by the insert, and the memo stays as it was:
    // the old text whole, none of the new pieces (the second one fits).
    cnn_->ejecuta(
        QStringLiteral("CREATE TABLE IF NOT EXISTS memos_cortos (Llave varchar(30), "
                       "Registro int, Contenido varchar(10), PRIMARY KEY (Llave, "
                       "Registro)) CHARSET utf8mb4"));
    auto cortos = Recordset::crea();
    cortos->abre("Select * from memos_cortos", cnn_);
    tesk().GrabaMemo("K", "VIEJO", cnn_, "memos_cortos", cortos);
    tesk().GrabaMemo("K", textoLargo(260), cnn_, "memos_cortos", cortos);
    ASSERT_EQ(plataforma_.mensajes().size(), 1);
    EXPECT_TRUE(plataforma_.textos().first().startsWith(
        "Uno de los valores enviados para grabarse en la tabla 'memos_cortos' es incorrecto: "));
    EXPECT_EQ(tesk().LeerMemo("K", cnn_, "memos_cortos", cortos), "VIEJO");
    EXPECT_FALSE(plataforma_.ocupado());

    // Inside the caller's transaction the memo never commits the caller's work: a failed memo
    // undoes only its own, a good one joins the caller's, and the caller's rollback takes
    // everything back.
    plataforma_.limpia();
    cnn_->ejecuta("START TRANSACTION");
    cnn_->ejecuta("INSERT INTO memos_cortos VALUES ('OTRA', 1, 'del que')");
    tesk().GrabaMemo("K", textoLargo(260), cnn_, "memos_cortos", cortos);
    tesk().GrabaMemo("L", "corto", cnn_, "memos_cortos", cortos);
    EXPECT_EQ(plataforma_.mensajes().size(), 1);
    EXPECT_EQ(prueba::cuentaSQL(*cnn_, "SELECT COUNT(*) FROM memos_cortos"), 3);
    cnn_->ejecuta("ROLLBACK");
    EXPECT_EQ(prueba::cuentaSQL(*cnn_, "SELECT COUNT(*) FROM memos_cortos"), 1);
    EXPECT_EQ(tesk().LeerMemo("K", cnn_, "memos_cortos", cortos), "VIEJO");

    // A table that does not exist fails at the deletion, with the pointer restored.
    EXPECT_THROW(tesk().GrabaMemo("K", "x", cnn_, "no_hay", cortos), ErrorTESK);
    EXPECT_FALSE(plataforma_.ocupado());

    // A NULL piece cannot be glued; a record set that is not open cannot be read again.
    cnn_->ejecuta("INSERT INTO memos VALUES ('N', 1, 'a'), ('N', 2, NULL)");
    EXPECT_THROW(tesk().LeerMemo("N", cnn_, "memos", rst_), ErrorTESK);
    rst_->cierra();
    EXPECT_EQ(prueba::numeroDeError([&] { tesk().LeerMemo("A", cnn_, "memos", rst_); }),
              errores::RecordsetCerrado);
}

TEST_F(Memos, TransaccionesAnidadasDeshacenSoloLoSuyo) {
    // Three guards, each inside the one before, each adding a row, confirmed or not: a row stays
    // when its guard and every guard around it were confirmed.
    using C = std::tuple<std::array<bool, 3>, long long>;
    for (const auto& [confirma, quedan] : {C{{true, true, true}, 3}, C{{true, true, false}, 2},
                                           C{{true, false, true}, 1}, C{{false, true, true}, 0}}) {
        cnn_->ejecuta("DELETE FROM memos");
        std::function<void(int)> nivel = [&](int i) {
            Transaccion t(*cnn_);
            EXPECT_EQ(t.propia(), i == 0);
            cnn_->ejecuta(QStringLiteral("INSERT INTO memos VALUES ('N', %1, '')").arg(i));
            if (i < 2)
                nivel(i + 1);
            if (confirma[static_cast<size_t>(i)])
                t.confirma();
        };
        nivel(0);
        EXPECT_EQ(cuenta("SELECT COUNT(*) FROM memos"), quedan);
    }
}

}  // namespace
