// Record sets over every column kind, the statement builders (InsertaRegistro and libTESK's
// AgregaRegistro, ActualizaRegistro, CreaTabla, LastId) and the copies of rows (CopiaRegistros,
// and PasaCampos as the row-by-row measure of it): values, statements, messages, and copies
// compared on the server.

#include <gtest/gtest.h>

#include "AyudaPruebas.h"
#include "PlataformaPrueba.h"
#include "ServidorPrueba.h"
#include "core/Regional.h"
#include "core/libTESK.h"
#include "db/TempDeODBC.h"

using namespace quilmaro;
using prueba::PlataformaPrueba;

namespace {

const char* const kTodos = R"(
CREATE TABLE %1 (
  Id int NOT NULL PRIMARY KEY,
  Ti tinyint, TiU tinyint unsigned, Si smallint, SiU smallint unsigned, An year,
  Mi mediumint, MiU mediumint unsigned, En int, EnU int unsigned, Bi bigint, BiU bigint unsigned,
  Fl float, Db double, De decimal(14,4), B1 bit(1), B8 bit(8),
  Ch char(4), Enm enum('uno','dos'), Co set('a','b'), Vc varchar(60),
  Vcb varchar(10) COLLATE utf8mb4_bin, Tx text, Lb longblob, Bn binary(4), Vb varbinary(8),
  Fe date, Ho time, Fh datetime, Fh6 datetime(6), Ts timestamp NULL DEFAULT NULL
) CHARSET utf8mb4)";

const char* const kFilaCompleta = R"(
INSERT INTO todos VALUES (1, -128, 255, -32768, 65535, 2024, -8388608, 16777215, -2147483648,
  4294967295, -9223372036854775808, 18446744073709551615, 1.5, 0.1e0 + 0.2e0, -1234.5,
  b'1', b'10100101', 'ab', 'dos', 'b,a', 'O''Higgins "Güero" \\ 🌹 ñÑ',
  'Ünï\\''"', 'texto largo', X'00FF', X'00270AFF', X'5C2700', '2024-02-29', '-12:30:05',
  '2024-03-05 09:41:07', '2024-03-05 09:41:07.123456', '2024-03-05 10:00:00'))";

// Columns whose bytes (or NULL) differ between two rows joined on their key.
QStringList diferencias(Conexion& cnn, const QString& origen, const QString& destino,
                        const QString& llave, const QVariant& id, const QStringList& cols) {
    QStringList distintas;
    for (const QString& c : cols) {
        const QString sql =
            QStringLiteral(
                "SELECT CAST(o.`%1` AS BINARY) <=> CAST(d.`%1` AS BINARY) FROM %2 o "
                "JOIN %3 d ON o.%4 = d.%4 WHERE o.%4 = %5")
                .arg(c, origen, destino, llave, id.toString());
        if (prueba::valorSQL(cnn, sql) != "1")
            distintas.append(c);
    }
    return distintas;
}

const QString kRechazo = "Uno de los valores enviados para grabarse en la tabla '";

class Copias : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        cnn_ = prueba::basePropia("prueba_copias");
        cnn_->ejecuta("CREATE TABLE facturas LIKE datos1.facturas");
        cnn_->ejecuta(QString::fromUtf8(kTodos).arg("todos"));
        cnn_->ejecuta(QString::fromUtf8(kFilaCompleta));
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

    static std::shared_ptr<Recordset> abre(QString tabla) {
        std::shared_ptr<Recordset> rs;
        QString campos;
        AbreTabla(rs, cnn_, tabla, campos);
        return rs;
    }
    static long long cuenta(const QString& sql) { return prueba::cuentaSQL(*cnn_, sql); }
    static QString inserta(std::shared_ptr<Recordset>& tipos, const QString& tabla,
                           const QStringList& campos, QStringList& valores) {
        return InsertaRegistro(cnn_, tipos, tabla, campos, valores);
    }

    static inline std::shared_ptr<Conexion> cnn_;
    PlataformaPrueba plataforma_;
};

class RecordsetPrueba : public Copias {
  protected:
    static std::shared_ptr<Recordset> consulta(const QString& sql) {
        auto rs = Recordset::crea();
        rs->abre(sql, cnn_);
        return rs;
    }
};

using prueba::numeroDeError;

}  // namespace

TEST_F(Copias, InsertaRegistroEscribeCadaValorSegunSuColumna) {
    auto tipos = abre("todos where Id=-9");
    // The column, the value, the value as written, as rewritten in the caller's list, and as
    // stored. A date as the user's settings write it, "now" in any capitals, a day that does not
    // exist; a date-time or time the caller quoted keeps its quotes; a value written as SQL
    // (NULL) stays as written; quotes and backslashes reach the server intact.
    const QString hoy = QDate::currentDate().toString(Qt::ISODate);
    const QString nombre = "PANADERÍA L'ESPIGA \"LA FINA\" \\ 🌹";
    using C = std::tuple<QString, QString, QString, QString, QString>;
    int id = 10;
    for (const auto& [columna, valor, sql, reescrito, guardado] :
         {C{"Fe", Variante(QDate(2024, 3, 5)).aTexto(), "'2024-3-5'", "2024-3-5", "2024-03-05"},
          C{"Fe", " Now ", "NOW()", "NOW()", hoy}, C{"Fe", "NOWHERE", "NOW()", "NOW()", hoy},
          C{"Fe", "31/02/2024", "'0000-00-00'", "0000-00-00", ""},
          C{"Fe", "abc", "'0000-00-00'", "0000-00-00", ""},
          C{"Fh", "'2024-03-05 09:41:07'", "'2024-03-05 09:41:07'", "'2024-03-05 09:41:07'",
            "2024-03-05 09:41:07"},
          C{"Ho", " '-12:30:05' ", "'-12:30:05'", " '-12:30:05' ", "-12:30:05"},
          C{"Fh", "NULL", "NULL", "NULL", "N"},
          C{"Vc", nombre, "'PANADERÍA L\\'ESPIGA \\\"LA FINA\\\" \\\\ 🌹'", nombre, nombre}}) {
        QStringList valores{QString::number(++id), valor};
        EXPECT_EQ(inserta(tipos, "TODOS", {"Id", columna}, valores),
                  QStringLiteral("Insert into todos (Id,%1) values (%2,%3);")
                      .arg(columna)
                      .arg(id)
                      .arg(sql));
        EXPECT_EQ(valores[1], reescrito);
        // A server in a strict mode refuses the zero date, and says so in a message.
        const QString leido = QStringLiteral(
                                  "SELECT IFNULL(CAST(%1 AS CHAR), 'N') FROM todos "
                                  "WHERE Id=%2")
                                  .arg(columna)
                                  .arg(id);
        if (!guardado.isEmpty()) {
            EXPECT_EQ(prueba::valorSQL(*cnn_, leido), guardado.toUtf8());
        }
    }
    EXPECT_EQ(plataforma_.pasesDeEventos(), 18);  // one per value
    const auto estricto = prueba::valorSQL(*cnn_,
                                           "SELECT @@sql_mode LIKE '%STRICT%' AND "
                                           "@@sql_mode LIKE '%NO_ZERO_DATE%'");
    EXPECT_EQ(plataforma_.textos().size(), estricto == "1" ? 2 : 0)
        << qPrintable(plataforma_.textos().join('|'));
}

TEST_F(Copias, FallosDejanMensajeYLaSentenciaSigue) {
    auto tipos = abre("facturas where ID=-9");
    const long long antes = cuenta("SELECT COUNT(*) FROM facturas");
    // The fields, the values, and the messages shown ("%1": the statement sent).
    using C = std::tuple<QStringList, QStringList, QStringList>;
    for (const auto& [campos, valores, textos] :
         {C{{"Serie", "Factura"},
            {"A"},
            {"La lista de campos y la lista de valores tienen diferentes elementos"}},
          C{{"Serie", "Factura"}, {"A", ""}, {kRechazo + "FACTURAS' es incorrecto: %1"}},
          C{{"Serie", "Nope"},
            {"A", "x"},
            {"No existe el campo 'Nope' en la tabla 'FACTURAS'",
             kRechazo + "FACTURAS' es incorrecto: %1"}}}) {
        QStringList v = valores;
        const QString s = inserta(tipos, "FACTURAS", campos, v);
        QStringList esperados;
        for (const QString& t : textos)
            esperados.append(QString(t).replace("%1", s));
        EXPECT_EQ(plataforma_.textos(), esperados) << qPrintable(s);
        for (const Mensaje& m : plataforma_.mensajes())
            EXPECT_TRUE(m.titulo == "ERROR" && m.icono == Icono::Critico);
        plataforma_.limpia();
    }
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM facturas"), antes);

    // Any other failure (a closed connection) has a text for each builder.
    auto cerrada = prueba::conecta("prueba_copias");
    cerrada->cierra();
    QStringList valores{"z"};
    tesk().AgregaRegistro(cerrada, tipos, "Notas", {"Serie"}, valores);
    EXPECT_EQ(tesk().ActualizaRegistro(cerrada, tipos, "Notas", {"Serie"}, valores, "ID=1"),
              "Update notas set Serie='z' where ID=1;");
    EXPECT_EQ(plataforma_.textos(),
              QStringList({"Sucedió un error al tratar de agregar el registro en 'Notas'. Favor de "
                           "revisar los valores enviados",
                           "Sucedió un error al tratar de actualizar registros en la tabla "
                           "'Notas'. Favor de revisar los valores enviados"}));
}

TEST_F(Copias, ConstructoresDeLibTESK) {
    const QList<QStringList> matriz{{"Id", "int not null auto_increment", ""},
                                    {"Nombre", "varchar(40)", "''"},
                                    {"Saldo", "double", ""},
                                    {"Nota", "text", ""},
                                    {"Captura", "datetime", ""},
                                    {"PRIMARY KEY (Id)", "", ""}};
    EXPECT_EQ(tesk().CreaTabla(cnn_, "Clientes", matriz),
              "Create table clientes (Id INT NOT NULL AUTO_INCREMENT,Nombre VARCHAR(40) default "
              "'',Saldo DOUBLE,Nota TEXT,Captura DATETIME,PRIMARY KEY (Id));");
    // The record set is empty before the insert and shows the row after it.
    auto clientes = abre("clientes");
    const QString nombre = "TALLER \"EL GÜERO\" L'ESPIGA \\ 100% _ 🌹";
    QStringList valores{nombre, "0"};
    EXPECT_EQ(tesk().AgregaRegistro(cnn_, clientes, "Clientes", {"Nombre", "Saldo"}, valores),
              "Insert into clientes (Nombre,Saldo) values ('TALLER \\\"EL GÜERO\\\" "
              "L\\'ESPIGA \\\\ 100% _ 🌹',0);");
    ASSERT_FALSE(clientes->eof());
    EXPECT_EQ(clientes->campo("Nombre").valor().texto(), nombre);
    const QString id = QString::number(tesk().LastId(cnn_, "clientes", "Id"));

    // Texts escaped; a date-time and a long text get no delimiter: the caller writes them as SQL.
    const QString otro = "O'Higgins \\' OR 1=1 -- \"";
    valores = QStringList{otro, "10.5", "NOW()", "42"};
    EXPECT_EQ(tesk().ActualizaRegistro(cnn_, clientes, "clientes",
                                       {"Nombre", "Saldo", "Captura", "Nota"}, valores, "Id=" + id),
              "Update clientes set Nombre='O\\'Higgins \\\\\\' OR 1=1 -- \\\"',Saldo=10.5,"
              "Captura=NOW(),Nota=42 where Id=" +
                  id + ";");
    EXPECT_EQ(clientes->campo("Nombre").valor().texto(), otro);
    EXPECT_EQ(prueba::valorSQL(*cnn_,
                               "SELECT CONCAT(Saldo, Nota, DATE(Captura) = CURDATE()) "
                               "FROM clientes WHERE Id = " +
                                   id),
              "10.5421");
    EXPECT_EQ(plataforma_.textos(), QStringList());

    // A quote in a value written bare cannot open a text: unescaped, this "number" would make
    // the statement insert a second row.
    valores = QStringList{"H", "1,'a'),('I',2"};
    EXPECT_EQ(tesk().AgregaRegistro(cnn_, clientes, "clientes", {"Nombre", "Saldo"}, valores),
              "Insert into clientes (Nombre,Saldo) values ('H',1,\\'a\\'),(\\'I\\',2);");
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM clientes WHERE Nombre IN ('H', 'I')"), 0);
    EXPECT_TRUE(plataforma_.textos().last().startsWith(kRechazo + "clientes' es incorrecto: "));
}

TEST_F(Copias, CopiaRegistrosEscribeLoMismoQuePasaCamposYElRenglonDeLaLista) {
    for (const char* t : {"porfila", "conjunto"}) {
        cnn_->ejecuta(QString::fromUtf8(kTodos).arg(QLatin1String(t)));
        cnn_->ejecuta(QStringLiteral("ALTER TABLE %1 ADD COLUMN RenglonLista int NULL").arg(t));
    }
    // Row by row, as the user's regional settings may be: every value the same.
    QStringList cols;
    for (auto todos = abre("todos where Id=-9"); cols.size() < todos->cuentaCampos();)
        cols.append(todos->campo(static_cast<int>(cols.size())).nombre());
    QStringList sinLargas = cols;
    sinLargas.removeAll("Tx");
    sinLargas.removeAll("Lb");
    for (const QLocale& region :
         {QLocale(QLocale::English, QLocale::UnitedStates),
          QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Spanish, QLocale::Mexico)}) {
        prueba::RegionalFijo fijo(region);
        cnn_->ejecuta("DELETE FROM porfila");
        auto porFila = abre("porfila where Id=-9");
        for (const char* fila : {"todos where Id=2", "todos where Id=1"})
            PasaCampos(abre(QLatin1String(fila)), porFila, cnn_, "porfila");
        EXPECT_EQ(diferencias(*cnn_, "todos", "porfila", "Id", 1, sinLargas), QStringList())
            << qPrintable(region.name());
    }
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM porfila WHERE Tx IS NULL AND Lb IS NULL"), 2);

    auto conjunto = abre("conjunto where Id=-9");
    // The full row listed last, an ID with no row in between; the list in either form (this
    // server takes a table value constructor).
    EXPECT_TRUE(cnn_->tieneValores());
    for (FormaLista forma : {FormaLista::Uniones, FormaLista::DelServidor}) {
        cnn_->ejecuta("DELETE FROM conjunto");
        EXPECT_EQ(CopiaRegistros(*cnn_, *conjunto, "todos", "conjunto", "RenglonLista",
                                 {{1, 2}, {2, 99}, {3, 1}}, forma),
                  2u);
        EXPECT_EQ(plataforma_.textos(), QStringList());

        for (int id : {1, 2})
            EXPECT_EQ(diferencias(*cnn_, "porfila", "conjunto", "Id", id, cols), QStringList())
                << "Id " << id;
        EXPECT_EQ(prueba::valorSQL(*cnn_,
                                   "SELECT GROUP_CONCAT(Id, ':', RenglonLista ORDER BY "
                                   "RenglonLista) FROM conjunto"),
                  "2:1,1:3");
        // The row of NULLs: numbers of the classic kinds become 0, texts ''; whatever has no
        // such blank stays NULL, dates included (strict servers refuse the zero date).
        QStringList partes;
        for (const QString& c : cols)
            if (c != "Id")
                partes.append(
                    QStringLiteral("CONCAT('%1=', IFNULL(CAST(`%1` AS CHAR), 'N'))").arg(c));
        EXPECT_EQ(
            prueba::valorSQL(*cnn_,
                             QStringLiteral("SELECT CONCAT_WS(' ', %1) FROM conjunto WHERE Id=2")
                                 .arg(partes.join(','))),
            "Ti=0 TiU=N Si=0 SiU=0 An=0000 Mi=0 MiU=0 En=0 EnU=0 Bi=N BiU=N Fl=0 Db=0 De=N "
            "B1=N B8=N Ch= Enm=N Co=N Vc= Vcb= Tx=N Lb=N Bn=N Vb=N Fe=N Ho=N Fh=N Fh6=N Ts=N");
    }

    // Nothing listed sends nothing; a statement the server refuses is thrown, not shown.
    EXPECT_EQ(CopiaRegistros(*cnn_, *conjunto, "todos", "conjunto", "RenglonLista", {}), 0u);
    EXPECT_THROW(CopiaRegistros(*cnn_, *conjunto, "todos", "conjunto", "RenglonLista", {{1, 1}}),
                 ErrorTESK);
    EXPECT_EQ(plataforma_.textos(), QStringList());
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM conjunto"), 2);
}

TEST_F(RecordsetPrueba, ValoresDeCadaClaseDeColumna) {
    using T = Variante::Tipo;
    auto rs = consulta("Select * from todos order by Id");
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
            P{"Vc", Variante("O'Higgins \"Güero\" \\ 🌹 ñÑ")}, P{"Tx", Variante("texto largo")},
            P{"Lb", Variante::binario(QByteArray("\x00\xFF", 2))},
            P{"Bn", Variante::binario(QByteArray("\x00\x27\x0A\xFF", 4))},
            P{"Vb", Variante::binario(QByteArray("\x5C\x27\x00", 3))},
            P{"Fe", Variante(QDate(2024, 2, 29))}, P{"Ho", Variante("-12:30:05")},
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
    auto rs = consulta("Select * from datos1.sistema order by Dato");
    const auto dato = [&] { return rs->campo("dato").valor().texto(); };
    // From the first row: names and texts in any capitals, numbers, accents, LIKE with "*".
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
    // The current row counts; only forward: past it, not found.
    rs->primero();
    rs->busca("Dato = 'FA-B'");
    rs->busca("Dato = 'FA-B'");
    EXPECT_EQ(dato(), "FA-B");
    rs->siguiente();
    rs->busca("Dato = 'FA-A'");
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(numeroDeError([&] { rs->siguiente(); }), errores::SinRegistroActual);
}

TEST_F(RecordsetPrueba, SinFilasYCerrado) {
    auto rs = consulta("Select * from conf where 1=0");
    EXPECT_TRUE(rs->eof() && rs->bof() && rs->cuentaRegistros() == 0);
    EXPECT_EQ(rs->campo("DATO").tipo(), 200);
    CampoBdD& dato = rs->campo(0);
    EXPECT_EQ(numeroDeError([&] { dato.valor(); }), errores::SinRegistroActual);
    EXPECT_EQ(numeroDeError([&] { rs->campo(4); }), errores::CampoInexistente);
    rs->cierra();
    EXPECT_EQ(numeroDeError([&] { dato.valor(); }), errores::RecordsetCerrado);
    EXPECT_EQ(numeroDeError([&] { rs->cierra(); }), errores::RecordsetCerrado);
}

TEST_F(RecordsetPrueba, ActualizarPorLaLlavePrimaria) {
    cnn_->ejecuta("CREATE TABLE conf2 LIKE conf");
    cnn_->ejecuta("INSERT INTO conf2 SELECT * FROM conf");
    auto rs = consulta("Select * from conf2 order by Dato");
    CampoBdD& contenido = rs->campo("Contenido");
    // Moving writes what was assigned; a NULL too.
    contenido.asigna(Variante::nulo());
    rs->siguiente();
    EXPECT_EQ(prueba::cuentaSQL(*cnn_, "SELECT COUNT(*) FROM conf2 WHERE Contenido IS NULL"), 1);
    // The row is gone, the key is not among the columns, a column is computed: nothing to update.
    cnn_->ejecuta("DELETE FROM conf2 WHERE Dato='EMPRESA'");
    rs->primero();
    contenido.asigna(Variante("x"));
    EXPECT_EQ(numeroDeError([&] { rs->actualiza(); }), errores::FilaNoLocalizada);
    for (const char* sql : {"Select Contenido, Tipo from conf2",
                            "Select concat(Contenido, '') as C, Dato from conf2"}) {
        auto otro = consulta(QString::fromLatin1(sql));
        otro->campo(0).asigna(Variante("y"));
        EXPECT_EQ(numeroDeError([&] { otro->actualiza(); }), errores::NoActualizable) << sql;
    }
}
