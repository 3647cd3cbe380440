// InsertaRegistro, PasaCampos and NoNull: statements, messages, and copies compared on the server.

#include <gtest/gtest.h>

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
  4294967295, -9223372036854775808, 18446744073709551615, 1.1, 0.1e0 + 0.2e0, -1234.5,
  b'1', b'10100101', 'ab', 'dos', 'b,a', 'O''Higgins "Güero" \\ 🌹 ñÑ',
  'Ünï\\''"', 'texto largo', X'00FF', X'00270AFF', X'5C2700', '2024-02-29', '-12:30:05',
  '2024-03-05 09:41:07', '2024-03-05 09:41:07.123456', '2024-03-05 10:00:00'))";

// Columns of a table, in order.
QStringList columnas(Conexion& cnn, const QString& base, const QString& tabla) {
    auto rs = cnn.ejecuta(QStringLiteral("SELECT COLUMN_NAME FROM information_schema.COLUMNS WHERE "
                                         "TABLE_SCHEMA='%1' AND TABLE_NAME='%2' ORDER BY "
                                         "ORDINAL_POSITION")
                              .arg(base, tabla));
    QStringList r;
    for (; rs && !rs->eof(); rs->siguiente())
        r.append(rs->campo(0).valor().texto());
    return r;
}

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

class RegionalFijo {
  public:
    explicit RegionalFijo(const QLocale& loc) { fijaRegional(loc); }
    ~RegionalFijo() { fijaRegional(QLocale(QLocale::Spanish, QLocale::Mexico)); }
};

class Copias : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        cnn_ = prueba::basePropia("prueba_copias");
        for (const char* t : {"facturas", "trabajo"})
            cnn_->ejecuta(QStringLiteral("CREATE TABLE %1 LIKE datos1.facturas").arg(t));
        cnn_->ejecuta(QString::fromUtf8(kTodos).arg("todos"));
        cnn_->ejecuta(QString::fromUtf8(kFilaCompleta));
        cnn_->ejecuta("INSERT INTO todos (Id) VALUES (2)");
        cnn_->ejecuta(QStringLiteral(
            "CREATE TABLE parcial (ID int PRIMARY KEY, Serie varchar(5), Nombre varchar(120), "
            "Observaciones text, Extra int) CHARSET utf8mb4"));
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

}  // namespace

TEST_F(Copias, InsertaRegistroEscribeCadaValorSegunSuColumna) {
    auto tipos = abre("facturas where ID=-9");
    const QStringList campos{"Serie", "Factura", "Fecha"};
    // A date as the user's settings write it, "now" in any capitals, a day that does not exist:
    // the statement, and the date as rewritten in the caller's list.
    using C = std::tuple<QString, QString, QString>;
    int factura = 125;
    // A server in a strict mode refuses the zero date, and says so in a message.
    const bool estricto = prueba::valorSQL(*cnn_,
                                           "SELECT @@sql_mode LIKE '%STRICT%' AND @@sql_mode LIKE "
                                           "'%NO_ZERO_DATE%'") == "1";
    for (const auto& [fecha, sql, reescrita] :
         {C{Variante(QDate(2024, 3, 5)).aTexto(), "'2024-3-5'", "2024-3-5"},
          C{" Now ", "NOW()", "NOW()"}, C{"31/02/2024", "'0000-00-00'", "0000-00-00"}}) {
        const QString numero = QString::number(factura++);
        QStringList valores{"A", numero, fecha};
        EXPECT_EQ(inserta(tipos, "FACTURAS", campos, valores),
                  QStringLiteral("Insert into facturas (Serie,Factura,Fecha) values ('A',%1,%2);")
                      .arg(numero)
                      .arg(sql));
        EXPECT_EQ(valores, QStringList({"A", numero, reescrita}));
    }
    EXPECT_EQ(plataforma_.pasesDeEventos(), 9);  // one per value
    EXPECT_EQ(plataforma_.textos().size(), estricto ? 1 : 0)
        << qPrintable(plataforma_.textos().join('|'));
    plataforma_.limpia();
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM facturas WHERE Serie='A' AND Factura=125 AND "
                     "Fecha='2024-03-05'"),
              1);
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM facturas WHERE Factura=126 AND Fecha=CURDATE()"), 1);

    // Quotes and backslashes reach the server intact.
    const QString nombre = "PANADERÍA L'ESPIGA \"LA FINA\" \\ 🌹";
    QStringList valores{"B'", "300", nombre};
    EXPECT_EQ(inserta(tipos, "facturas", {"Serie", "Factura", "Nombre"}, valores),
              "Insert into facturas (Serie,Factura,Nombre) values ('B\\'',300,'PANADERÍA "
              "L\\'ESPIGA \\\"LA FINA\\\" \\\\ 🌹');");
    EXPECT_EQ(plataforma_.textos(), QStringList());
    EXPECT_EQ(cuenta(QStringLiteral("SELECT COUNT(*) FROM facturas WHERE Factura=300 AND "
                                    "CAST(Nombre AS BINARY)=X'%1' AND Serie=X'%2'")
                         .arg(QString::fromLatin1(nombre.toUtf8().toHex()),
                              QString::fromLatin1(QByteArray("B'").toHex()))),
              1);
}

TEST_F(Copias, FechaHoraYHoraYaEntreComillasNoSeRompen) {
    // The caller's quotes stay quotes; a value written as SQL (NULL) stays as written.
    auto tipos = abre("todos where Id=-9");
    using C = std::tuple<QString, QString, QString, QString>;
    int id = 10;
    for (const auto& [fh, ho, sql, guardado] :
         {C{"'2024-03-05 09:41:07'", " '-12:30:05' ", "'2024-03-05 09:41:07','-12:30:05'",
            "2024-03-05 09:41:07|-12:30:05"},
          C{"NULL", "NULL", "NULL,NULL", "N|N"}}) {
        QStringList valores{QString::number(++id), fh, ho};
        const QString s = inserta(tipos, "todos", {"Id", "Fh", "Ho"}, valores);
        EXPECT_EQ(s,
                  QStringLiteral("Insert into todos (Id,Fh,Ho) values (%1,%2);").arg(id).arg(sql));
        const auto fila = prueba::valorSQL(
            *cnn_, QStringLiteral("SELECT CONCAT(IFNULL(Fh, 'N'), '|', IFNULL(Ho, 'N')) FROM todos "
                                  "WHERE Id=%1")
                       .arg(id));
        EXPECT_EQ(fila.value_or(""), guardado.toUtf8()) << qPrintable(s);
        plataforma_.limpia();
    }
}

TEST_F(Copias, SentenciaRechazadaYListasDesiguales) {
    auto tipos = abre("facturas where ID=-9");
    const long long antes = cuenta("SELECT COUNT(*) FROM facturas");

    const QStringList campos{"Serie", "Factura"};
    QStringList corta{"A"};
    EXPECT_EQ(inserta(tipos, "facturas", campos, corta), "");
    EXPECT_EQ(
        plataforma_.textos(),
        QStringList({"La lista de campos y la lista de valores tienen diferentes elementos"}));
    EXPECT_EQ(plataforma_.mensajes()[0].titulo, "ERROR");
    EXPECT_EQ(plataforma_.pasesDeEventos(), 0);

    plataforma_.limpia();
    QStringList sinNumero{"A", ""};
    const QString s = inserta(tipos, "FACTURAS", campos, sinNumero);
    EXPECT_EQ(s, "Insert into facturas (Serie,Factura) values ('A',);");
    ASSERT_EQ(plataforma_.textos(),
              QStringList({"Uno de los valores enviados para grabarse en la tabla 'FACTURAS' es "
                           "incorrecto: " +
                           s}));
    EXPECT_TRUE(plataforma_.mensajes()[0].titulo == "ERROR" &&
                plataforma_.mensajes()[0].icono == Icono::Critico);

    plataforma_.limpia();
    QStringList valores{"A", "x"};
    const QString t = inserta(tipos, "facturas", {"Serie", "Nope"}, valores);
    EXPECT_EQ(t, "Insert into facturas (Serie,Nope) values ('A','x');");
    ASSERT_EQ(plataforma_.mensajes().size(), 2);
    EXPECT_EQ(plataforma_.mensajes()[0].texto, "No existe el campo 'Nope' en la tabla 'facturas'");
    EXPECT_TRUE(plataforma_.mensajes()[1].texto.startsWith("Uno de los valores enviados"));
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM facturas"), antes);
}

TEST_F(Copias, CadaFacturaSeCopiaEnteraByteAByte) {
    const QStringList cols = columnas(*cnn_, "datos1", "facturas");
    auto trabajo = abre("trabajo where Id=-9");
    for (int id = 1; id <= 5; ++id) {
        auto factura = abre(QStringLiteral("datos1.facturas where Id=%1").arg(id));
        ASSERT_FALSE(factura->eof());
        PasaCampos(factura, trabajo, cnn_, "trabajo");
    }
    EXPECT_EQ(plataforma_.textos(), QStringList());
    QStringList sinTexto = cols;
    sinTexto.removeAll("Observaciones");
    for (int id = 1; id <= 5; ++id)
        EXPECT_EQ(diferencias(*cnn_, "datos1.facturas", "trabajo", "ID", id, sinTexto),
                  QStringList())
            << "ID " << id;
    // Long texts are left out.
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM trabajo WHERE Observaciones IS NULL"), 5);

    // A copy the server refuses (the key is taken) is reported with its statement: that of the row
    // with ', " and \ in its name and NULL decimals and date-time.
    auto otra = abre("datos1.facturas where Id=3");
    PasaCampos(otra, trabajo, cnn_, "trabajo");
    ASSERT_EQ(plataforma_.mensajes().size(), 1);
    EXPECT_TRUE(plataforma_.mensajes()[0].texto.startsWith(
        "Uno de los valores enviados para grabarse en la tabla 'trabajo' es incorrecto: Insert "
        "into trabajo (ID,Serie,Factura,Fecha,Cliente,Nombre,Subtotal,IVA,ImpuestoAd,Descuento,"
        "Moneda,TipoCambio,Captura,Vencimiento,Vendedor,Cancelada) values (3,'B',7,'2024-3-6',"
        "'C0003','REFACCIONARIA O\\'HIGGINS \\\"EL GÜERO\\\" \\\\ NORTE',12500.75,2000.12,1000.06,"
        "NULL,'MXN',NULL,NULL,'2024-4-5',2,0);"))
        << qPrintable(plataforma_.mensajes()[0].texto);
}

TEST_F(Copias, FilaConCadaClaseDeColumnaEnVariasRegiones) {
    QStringList copiadas = columnas(*cnn_, "prueba_copias", "todos");
    copiadas.removeAll("Tx");
    copiadas.removeAll("Lb");
    int n = 0;
    for (const QLocale& region : {QLocale(QLocale::Spanish, QLocale::Mexico),
                                  QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        RegionalFijo fijo(region);
        const QString destino = QStringLiteral("copia%1").arg(++n);
        cnn_->ejecuta(QString::fromUtf8(kTodos).arg(destino));
        auto origen = abre("todos where Id=1");
        auto tipos = abre(destino + QStringLiteral(" where Id=-9"));
        PasaCampos(origen, tipos, cnn_, destino);
        EXPECT_EQ(plataforma_.textos(), QStringList());
        EXPECT_EQ(diferencias(*cnn_, "todos", destino, "Id", 1, copiadas), QStringList())
            << qPrintable(region.name());
        EXPECT_EQ(cuenta(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Tx IS NULL AND Lb IS NULL")
                             .arg(destino)),
                  1);
        plataforma_.limpia();
    }
}

TEST_F(Copias, ColumnasQueElDestinoNoTieneSeDejanFuera) {
    auto origen = abre("datos1.facturas where Id=1");
    auto tipos = abre("parcial where ID=-9");
    PasaCampos(origen, tipos, cnn_, "Parcial");
    EXPECT_EQ(plataforma_.textos(), QStringList());
    EXPECT_EQ(prueba::valorSQL(*cnn_, QStringLiteral("SELECT CONCAT_WS('|', ID, Serie, Nombre, "
                                                     "IFNULL(Observaciones, 'N'), IFNULL(Extra, "
                                                     "'N')) FROM parcial")),
              "1|A|ABARROTES LA ESPERANZA|N|N");
}

TEST_F(Copias, SinFilaQueCopiarSeAvisaYNoSeInsertaNada) {
    auto origen = abre("datos1.facturas where Id=-1");
    auto tipos = abre("parcial where ID=-9");
    const long long antes = cuenta("SELECT COUNT(*) FROM parcial");
    PasaCampos(origen, tipos, cnn_, "parcial");
    ASSERT_EQ(plataforma_.mensajes().size(), 1);
    const Mensaje& m = plataforma_.mensajes()[0];
    EXPECT_TRUE(m.texto.startsWith("Error al intentar pasar campos: 3021, "))
        << qPrintable(m.texto);
    EXPECT_TRUE(m.titulo == "Quilmaro" && m.icono == Icono::Ninguno &&
                m.botones == Botones::Aceptar);
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM parcial"), antes);
}

TEST_F(Copias, NoNullDeCadaClase) {
    auto nulos = abre("todos where Id=2");
    auto llenos = abre("todos where Id=1");
    const QString vacia = tesk().FechaVacia();
    EXPECT_TRUE(!vacia.isEmpty() &&
                QString(vacia).remove('/').remove('-').remove('.').trimmed().isEmpty())
        << qPrintable(vacia);
    const QSet<int> enteros{2, 3, 4, 5, 16, 18, 19};
    // The kinds the table holds, so that every branch below runs.
    QSet<int> faltan{2, 3, 4, 5, 16, 18, 19, 133, 135, 131, 200, 17, 20};
    for (int i = 1; i < nulos->cuentaCampos(); ++i) {
        const CampoBdD& c = nulos->campo(i);
        ASSERT_TRUE(c.esNulo());
        // Numbers are a 16-bit 0, dates the blank date, anything else an empty text.
        const Variante esperado = enteros.contains(c.tipo()) ? Variante(std::int16_t{0})
                                  : c.tipo() == 133          ? Variante(vacia)
                                                             : Variante(QString());
        EXPECT_EQ(tesk().NoNull(c), esperado) << qPrintable(c.nombre());
        // A value is handed back unchanged, kind and all.
        EXPECT_EQ(tesk().NoNull(llenos->campo(i)), llenos->campo(i).valor())
            << qPrintable(c.nombre());
        faltan.remove(c.tipo());
    }
    EXPECT_EQ(faltan, QSet<int>());
}

TEST_F(Copias, CopiaRegistrosEscribeLoMismoQuePasaCamposYElRenglonDeLaLista) {
    for (const char* t : {"porfila", "conjunto"}) {
        cnn_->ejecuta(QString::fromUtf8(kTodos).arg(QLatin1String(t)));
        cnn_->ejecuta(QStringLiteral("ALTER TABLE %1 ADD COLUMN RenglonLista int NULL").arg(t));
    }
    auto porFila = abre("porfila where Id=-9");
    for (const char* fila : {"todos where Id=2", "todos where Id=1"})
        PasaCampos(abre(QLatin1String(fila)), porFila, cnn_, "porfila");

    auto conjunto = abre("conjunto where Id=-9");
    // The full row listed last, an ID with no row in between.
    const std::uint64_t copiadas = CopiaRegistros(*cnn_, *conjunto, "todos", "conjunto",
                                                  "RenglonLista", {{1, 2}, {2, 99}, {3, 1}});
    EXPECT_EQ(copiadas, 2u);
    EXPECT_EQ(plataforma_.textos(), QStringList());

    QStringList cols = columnas(*cnn_, "prueba_copias", "todos");
    for (int id : {1, 2})
        EXPECT_EQ(diferencias(*cnn_, "porfila", "conjunto", "Id", id, cols), QStringList())
            << "Id " << id;
    EXPECT_EQ(prueba::valorSQL(*cnn_, QStringLiteral("SELECT GROUP_CONCAT(Id, ':', RenglonLista "
                                                     "ORDER BY RenglonLista) FROM conjunto")),
              "2:1,1:3");
    // The row of NULLs: numbers of the classic kinds become 0, texts ''; whatever has no such
    // blank stays NULL, dates included (strict servers refuse the zero date).
    QStringList partes;
    for (const QString& c : cols)
        if (c != "Id")
            partes.append(QStringLiteral("CONCAT('%1=', IFNULL(CAST(`%1` AS CHAR), 'N'))").arg(c));
    EXPECT_EQ(
        prueba::valorSQL(*cnn_, QStringLiteral("SELECT CONCAT_WS(' ', %1) FROM conjunto WHERE Id=2")
                                    .arg(partes.join(','))),
        "Ti=0 TiU=N Si=0 SiU=0 An=0000 Mi=0 MiU=0 En=0 EnU=0 Bi=N BiU=N Fl=0 Db=0 De=N B1=N "
        "B8=N Ch= Enm=N Co=N Vc= Vcb= Tx=N Lb=N Bn=N Vb=N Fe=N Ho=N Fh=N Fh6=N Ts=N");

    // Nothing listed sends nothing; a statement the server refuses is thrown, not shown.
    EXPECT_EQ(CopiaRegistros(*cnn_, *conjunto, "todos", "conjunto", "RenglonLista", {}), 0u);
    EXPECT_THROW(CopiaRegistros(*cnn_, *conjunto, "todos", "conjunto", "RenglonLista", {{1, 1}}),
                 ErrorTESK);
    EXPECT_EQ(plataforma_.textos(), QStringList());
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM conjunto"), 2);
}
