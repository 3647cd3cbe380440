// Expressions of report fields: arithmetic, joining texts, NULLs, dates, formats, amounts in
// words, and the messages for what cannot be understood.

#include <gtest/gtest.h>

#include <cmath>

#include "AyudaMotor.h"
#include "lib/Regional.h"
#include "reportengine/ErrorReporte.h"
#include "reportengine/Formatos.h"

using namespace quilmaro;
using namespace quilmaro::prueba;
using namespace quilmaro::reporte;

namespace {

QString escapaXml(QString s) {
    return s.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
}

// One row: A 10, B 4, T "texto", N NULL, F 5 March 2009, D "12.5" (a number kept as text),
// Total 99.5.
TablaPrueba filaPrueba() {
    return {1,
            {"A", "B", "T", "N", "F", "D", "Total"},
            {{Variante(std::int32_t{10}), Variante(4.0), Variante("texto"), Variante::nulo(),
              Variante(QDate(2009, 3, 5)), Variante("12.5"), Variante(99.5)}}};
}

// The text a field shows for one row; formato as the item's attribute.
QString muestra(const QString& expresion, const QString& formato = {}) {
    const QString f =
        formato.isEmpty() ? QString() : QStringLiteral(" formato=\"%1\"").arg(formato);
    const QByteArray xml = QStringLiteral(R"(<reporte ancho="200" alto="100">
  <fuente numero="1" nombre="movs" detalle="si"/>
  <detalle alto="5"><campo x="0" y="0" ancho="180" alto="5"%1>%2</campo></detalle>
</reporte>)")
                               .arg(f, escapaXml(expresion))
                               .toUtf8();
    const auto doc = generaDesdeTexto(xml, {filaPrueba()});
    const QStringList t = todosLosTextos(*doc);
    return t.isEmpty() ? QString() : t.front();
}

// The message of a layout whose field (on line 3) holds the expression.
QString falla(const QString& expresion) {
    try {
        muestra(expresion);
    } catch (const ErrorReporte& e) {
        return e.mensaje();
    }
    return QStringLiteral("(no error)");
}

}  // namespace

TEST(Expresiones, Aritmetica) {
    EXPECT_EQ(muestra("A + B * 2"), "18");
    EXPECT_EQ(muestra("(A + B) * 2"), "28");
    EXPECT_EQ(muestra("A - B - 1"), "5");
    EXPECT_EQ(muestra("10 / 4 * 2"), "5");
    EXPECT_EQ(muestra("A / B"), "2.5");
    EXPECT_EQ(muestra("-A + 3"), "-7");
    EXPECT_EQ(muestra("-(A - 12)"), "2");
    EXPECT_EQ(muestra("D * 2"), "25");  // a text that is a number counts as one
    EXPECT_EQ(muestra("A / 0"), "");    // no infinity on paper
    EXPECT_EQ(muestra("0.16 * Total", "#,##0.00"), "15.92");
}

TEST(Expresiones, TextosYValoresVacios) {
    EXPECT_EQ(muestra(R"("x" & A)"), "x10");
    EXPECT_EQ(muestra(R"(T + "!")"), "texto!");
    EXPECT_EQ(muestra(R"("dice ""hola""")"), "dice \"hola\"");
    EXPECT_EQ(muestra("N"), "");
    EXPECT_EQ(muestra(R"("N=" & N & ".")"), "N=.");
    EXPECT_EQ(muestra(R"(T + N)"), "texto");
    EXPECT_EQ(muestra("A + N"), "");
    EXPECT_EQ(muestra("N * 2"), "");
    EXPECT_EQ(muestra("N", "#,##0.00"), "");
    EXPECT_EQ(muestra("NoNulo(N)"), "0");
    EXPECT_EQ(muestra(R"(NoNulo(N, "sin dato"))"), "sin dato");
    EXPECT_EQ(muestra("NoNulo(A)"), "10");
    EXPECT_EQ(muestra(R"(Mayusculas("ñandú " & T))"), "ÑANDÚ TEXTO");
}

TEST(Expresiones, CamposPorNombre) {
    EXPECT_EQ(muestra("movs.A"), "10");
    EXPECT_EQ(muestra("MOVS.a"), "10");
    EXPECT_EQ(muestra("[T]"), "texto");
    EXPECT_EQ(muestra("página() & Paginas()"), "11");
}

TEST(Expresiones, Fechas) {
    EXPECT_EQ(muestra("F", "dd/mmm/yy"), "05/mar/09");
    EXPECT_EQ(muestra(R"(Formato(F, "dd/mmm/yyyy"))"), "05/mar/2009");
    EXPECT_EQ(muestra(R"(Formato(F + 30, "dd/mmm/yyyy"))"), "04/abr/2009");
    EXPECT_EQ(muestra(R"(F - (F - 7))"), "7");
    EXPECT_EQ(muestra(R"(Formato(Hoy(), "d/m/yyyy"))"), "5/3/2024");
    EXPECT_EQ(muestra("F"), "05/03/2009");  // the regional short date
    // A date kept as text, as SQLite files keep them.
    EXPECT_EQ(muestra(R"(Formato("2009-12-25", "dd/mmm/yy"))"), "25/dic/09");
}

TEST(Expresiones, Moneda) {
    EXPECT_EQ(muestra("Moneda(1234.56)"), "UN MIL DOSCIENTOS TREINTA Y CUATRO PESOS 56/100 M. N.");
    EXPECT_EQ(muestra("Moneda(Total)"), "NOVENTA Y NUEVE PESOS 50/100 M. N.");
    EXPECT_EQ(muestra("Moneda(N)"), "");
    EXPECT_EQ(muestra("Numeros(A + 11)"), "VEINTIUN ");  // words end in a blank
    EXPECT_TRUE(falla("Moneda(T)").contains("no se puede escribir con letra el texto «texto»"));
    EXPECT_TRUE(falla("Moneda(1000000000000)").contains("demasiado grande"));
}

// Calculations past the range of numbers: no "inf" or "nan" on paper (an empty value, as for a
// division by zero), and an infinity or NaN kept in the data is refused in words with a message
// (Numeros used to turn NaN into an int: undefined behaviour).
TEST(Expresiones, FueraDelRangoDeLosNumeros) {
    const QString enorme = "(" + QStringLiteral("10000000000 * ").repeated(31) + "1)";  // 1e310
    EXPECT_EQ(muestra(enorme), "");
    EXPECT_EQ(muestra(enorme + " - " + enorme), "");
    EXPECT_EQ(muestra("-" + enorme + " + A"), "");
    EXPECT_EQ(muestra("A / (1 / " + enorme + ")"), "");
    EXPECT_EQ(muestra("Numeros(" + enorme + " - " + enorme + ")"), "");
    EXPECT_EQ(muestra("Moneda(" + enorme + " * 0)"), "");
    EXPECT_EQ(muestra("NoNulo(" + enorme + ", \"sin valor\")"), "sin valor");
    EXPECT_EQ(muestra("Numeros(4 * 2.5)"), "DIEZ ");

    const QByteArray xml = R"(<reporte ancho="200" alto="100">
  <fuente numero="1" nombre="movs" detalle="si"/>
  <detalle alto="5"><campo x="0" y="0" ancho="180" alto="5">Numeros(X) &amp; Moneda(Y)</campo></detalle>
</reporte>)";
    for (const auto& [x, y] :
         {std::pair{std::nan(""), 1.0}, {1.0, std::nan("")}, {-HUGE_VAL, 1.0}, {1.0, HUGE_VAL}}) {
        try {
            generaDesdeTexto(xml, {{1, {"X", "Y"}, {{Variante(x), Variante(y)}}}});
            ADD_FAILURE() << "sin error para " << x << ", " << y;
        } catch (const ErrorReporte& e) {
            EXPECT_TRUE(e.mensaje().contains("no es un número que se pueda escribir con letra") ||
                        e.mensaje().contains("demasiado grande"))
                << qPrintable(e.mensaje());
        }
    }
}

TEST(Formatos, NumerosConPatron) {
    fijaRegional(QLocale(QLocale::Spanish, QLocale::Mexico));
    EXPECT_EQ(formateaNumero(1234567.891, "##,###,##0.00"), "1,234,567.89");
    EXPECT_EQ(formateaNumero(0, "##,###,##0.00"), "0.00");
    EXPECT_EQ(formateaNumero(-1234.5, "#,##0"), "-1,235");
    EXPECT_EQ(formateaNumero(0.5, "0.000"), "0.500");
    EXPECT_EQ(formateaNumero(7, "000"), "007");
    EXPECT_EQ(formateaNumero(12, "$#,##0.00"), "$12.00");
    EXPECT_EQ(formateaNumero(3.1, "#.##"), "3.1");
    EXPECT_EQ(formateaNumero(0.25, "#.##"), ".25");
    EXPECT_EQ(formateaNumero(2.675, "0.00"), "2.68");   // a half stored a hair below .5
    EXPECT_EQ(formateaNumero(-0.004, "0.00"), "0.00");  // no "-0.00"
    EXPECT_EQ(formateaNumero(1e12, "#,##0.00"), "1,000,000,000,000.00");
    EXPECT_EQ(formateaNumero(999.995, "#,##0.00"), "1,000.00");
    // Separators follow the regional settings.
    fijaRegional(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(formateaNumero(1234567.891, "##,###,##0.00"), "1.234.567,89");
    fijaRegional(QLocale(QLocale::Spanish, QLocale::Mexico));
}

// A pattern with more decimals than a double has digits (hundreds of "0" or "#") printed "nan"
// or "inf": scaling the value for rounding left the range of a double.
TEST(Formatos, MasDecimalesDeLosQueTieneUnNumero) {
    const QString ceros = "0." + QString(400, '0');
    EXPECT_EQ(formateaNumero(0, ceros), "0." + QString(400, '0'));
    EXPECT_EQ(formateaNumero(-1234.5, ceros), "-1234.5" + QString(399, '0'));
    EXPECT_EQ(formateaNumero(1234.5, "#,##0." + QString(306, '#')), "1,234.5");
    EXPECT_EQ(muestra("Formato(A, \"0." + QString(320, '#') + "\")"), "10");
}

TEST(Formatos, ValoresSegunSuClase) {
    EXPECT_EQ(formateaValor(Variante("1,234.5"), "#,##0.00"), "1,234.50");
    EXPECT_EQ(formateaValor(Variante("A-12"), "#,##0.00"), "A-12");  // not a number: as it is
    EXPECT_EQ(formateaValor(Variante("no es fecha"), "dd/mmm/yy"), "no es fecha");
    EXPECT_EQ(formateaValor(Variante(QDateTime(QDate(2024, 11, 1), QTime(13, 5))), "dd/mmm/yy"),
              "01/nov/24");
    EXPECT_EQ(formateaValor(Variante::nulo(), "dd/mmm/yy"), "");
    EXPECT_TRUE(esPatronFecha("dd/mmm/yyyy"));
    EXPECT_FALSE(esPatronFecha("##,###,##0.00"));
}

TEST(Expresiones, ErroresDeSintaxisConLineaYPosicion) {
    const QString m = falla("Subtotal + * IVA");
    EXPECT_TRUE(m.startsWith("Error en el diseño «/prueba/diseno.rpt», línea 3")) << qPrintable(m);
    EXPECT_TRUE(m.contains("falta un valor antes de «*» (posición 12 de «Subtotal + * IVA»)"))
        << qPrintable(m);
    EXPECT_TRUE(falla("A +").contains("falta un valor al final"));
    EXPECT_TRUE(falla("(A + B").contains("falta «)»"));
    EXPECT_TRUE(falla("A B").contains("sobra «B»"));
    EXPECT_TRUE(falla(R"("sin cerrar)").contains("falta cerrar el texto"));
    EXPECT_TRUE(falla("A ; B").contains("el carácter «;» no se entiende"));
    EXPECT_TRUE(falla("Moneda()").contains("Moneda lleva 1 argumento(s) y recibió 0"));
    EXPECT_TRUE(
        falla("Formato(A, T)").contains("el segundo argumento de Formato debe ser un texto"));
}

TEST(Expresiones, NombresDesconocidos) {
    const QString funcion = falla("Sumar(A)");
    EXPECT_TRUE(funcion.contains("línea 3")) << qPrintable(funcion);
    EXPECT_TRUE(funcion.contains("la función «Sumar» no existe")) << qPrintable(funcion);

    const QString campo = falla("Totl * 2");
    EXPECT_TRUE(campo.contains("línea 3")) << qPrintable(campo);
    EXPECT_TRUE(campo.contains("el campo «Totl» no existe en las fuentes del reporte (movs)"))
        << qPrintable(campo);
    EXPECT_TRUE(campo.contains("¿quiso decir «Total»?")) << qPrintable(campo);
    EXPECT_FALSE(falla("Zzzzzz").contains("quiso decir"));

    EXPECT_TRUE(
        falla("otra.A").contains("la fuente «otra» no está declarada en el diseño (hay: movs)"));
    EXPECT_TRUE(falla("movs.Q").contains("el campo «Q» no existe en la fuente «movs»"));
}

TEST(Expresiones, TotalesMalUsados) {
    EXPECT_TRUE(falla("Suma(Suma(A))").contains("un total no puede sumar otro total"));
    EXPECT_TRUE(falla("Suma(Pagina())")
                    .contains("un total no puede sumar otro total ni el número de página"));
    EXPECT_TRUE(falla("SumaGrupo(A)").contains("necesitan un grupo"));
    // A total over a text that is not a number stops the run and says which value.
    const QString m = falla("Suma(T)");
    EXPECT_TRUE(m.contains("no se puede sumar el valor «texto» en «Suma(T)»")) << qPrintable(m);
    EXPECT_TRUE(falla("T * 2").contains("no se puede multiplicar el texto «texto» en «T * 2»"));
    // Counting a text is fine; NULLs are not counted.
    EXPECT_EQ(muestra("Cuenta(T) & Cuenta(N) & Cuenta()"), "101");
}

// Reading, binding, evaluating and freeing an expression walk it recursively: one nested too
// deep for the stack (thousands of parentheses, signs or chained operations, as a generated or
// mangled layout may hold) is refused with a message, and the program goes on. Ordinary depths
// still work.
TEST(Expresiones, AnidamientoExcesivoSeRechaza) {
    const QString cien = QString(100, '(') + "A" + QString(100, ')');
    EXPECT_EQ(muestra(cien), "10");
    QString sumaLarga = "A";
    for (int i = 0; i < 150; ++i)
        sumaLarga += " + 1";
    EXPECT_EQ(muestra(sumaLarga), "160");
    EXPECT_EQ(muestra(QString(101, '-') + "A"), "-10");

    const QStringList profundas = {
        QString(50000, '(') + "A" + QString(50000, ')'),
        QString(50000, '-') + "A",
        QString(50000, '+') + "A",
        "A" + QStringLiteral(" + 1").repeated(100000),
        "A" + QStringLiteral(" & T").repeated(100000),
        QStringLiteral("NoNulo(").repeated(20000) + "A" + QString(20000, ')'),
    };
    for (const QString& e : profundas) {
        const QString m = falla(e);
        EXPECT_TRUE(m.startsWith("Error en el diseño «/prueba/diseno.rpt», línea 3"))
            << qPrintable(m.left(200));
        EXPECT_TRUE(m.contains("la expresión tiene más de 256 niveles")) << qPrintable(m.left(200));
    }
}
