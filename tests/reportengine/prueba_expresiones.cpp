// Expressions of report fields: arithmetic, joining texts, NULLs, dates, formats, amounts in
// words, and the messages for what cannot be understood.

#include <cmath>

#include "AyudaMotor.h"
#include "core/Regional.h"
#include "reportengine/Formatos.h"

using namespace quilmaro;
using namespace quilmaro::prueba;
using namespace quilmaro::reporte;

namespace {

// One row: A 10, B 4, T "texto", N NULL, F 5 March 2009, D "12.5" (a number kept as text),
// Total 99.5, and a NaN and infinities as a damaged file may hold.
TablaPrueba filaPrueba() {
    return {1,
            {"A", "B", "T", "N", "F", "D", "Total", "Nan", "Inf", "MenosInf"},
            {{Variante(std::int32_t{10}), Variante(4.0), Variante("texto"), Variante::nulo(),
              Variante(QDate(2009, 3, 5)), Variante("12.5"), Variante(99.5), Variante(std::nan("")),
              Variante(HUGE_VAL), Variante(-HUGE_VAL)}}};
}

// The text a field shows for the row of filaPrueba; formato as the item's attribute.
QString muestra(const QString& expresion, const QString& formato = {}) {
    return columna("<fuente numero='1' nombre='movs' detalle='si'/>", expresion, {filaPrueba()},
                   formato)
        .value(0);
}

const QString kSinLetra = QStringLiteral("*** IMPORTE QUE NO SE PUEDE ESCRIBIR CON LETRA ***");
const QString kHondo = QStringLiteral("la expresión tiene más de 256 niveles");

// 1e310, past the range of a double, built from numbers that are not.
const QString kEnorme = "(" + QStringLiteral("10000000000 * ").repeated(31) + "1)";

}  // namespace

// Each case reads "expression => text shown".
TEST(Expresiones, Valores) {
    const QStringList casos = {
        // Precedence, grouping, order of equal operators, signs; a text that is a number counts
        // as one; no infinity on paper.
        "A + B * 2 => 18", "(A + B) * 2 => 28", "A - B - 1 => 5", "10 / 4 * 2 => 5", "A / B => 2.5",
        "-A + 3 => -7", "-(A - 12) => 2", "D * 2 => 25", "A / 0 => ",
        // Texts and NULLs.
        R"("x" & A => x10)", R"(T + "!" => texto!)", R"("dice ""hola""" => dice "hola")", "N => ",
        R"("N=" & N & "." => N=.)", "T + N => texto", "A + N => ", "N * 2 => ", "NoNulo(N) => 0",
        R"(NoNulo(N, "sin dato") => sin dato)", "NoNulo(A) => 10",
        R"(Mayusculas("ñandú " & T) => ÑANDÚ TEXTO)",
        // Fields by name; page numbers.
        "MOVS.a => 10", "[T] => texto", "página() & Paginas() => 11",
        // Dates; F alone in the regional short date; one kept as text, as SQLite files keep them.
        R"(Formato(F, "dd/mmm/yyyy") => 05/mar/2009)",
        R"(Formato(F + 30, "dd/mmm/yyyy") => 04/abr/2009)", "F - (F - 7) => 7",
        R"(Formato(Hoy(), "d/m/yyyy") => 5/3/2024)", "F => 05/03/2009",
        R"(Formato("2009-12-25", "dd/mmm/yy") => 25/dic/09)",
        // A pattern applies to the values it fits; others show as they are.
        R"(Formato("1,234.5", "#,##0.00") => 1,234.50)", R"(Formato("A-12", "#,##0.00") => A-12)",
        R"(Formato("no es fecha", "dd/mmm/yy") => no es fecha)", R"(Formato(N, "dd/mmm/yy") => )",
        // Number patterns: grouping, required and optional digits, rounding half away from zero
        // on the decimal value (2.675 is kept a hair below), no "-0.00"; more decimals than a
        // double has digits (longer ones below: they do not fit in a field).
        R"(Formato(1234567.891, "##,###,##0.00") => 1,234,567.89)",
        R"(Formato(0, "##,###,##0.00") => 0.00)", R"(Formato(-1234.5, "#,##0") => -1,235)",
        R"(Formato(0.5, "0.000") => 0.500)", R"(Formato(7, "000") => 007)",
        R"(Formato(3.1, "#.##") => 3.1)", R"(Formato(0.25, "#.##") => .25)",
        R"(Formato(1000000000000, "#,##0.00") => 1,000,000,000,000.00)",
        R"(Formato(999.995, "#,##0.00") => 1,000.00)", R"(Formato(2.675, "0.00") => 2.68)",
        R"(Formato(-0.004, "0.00") => 0.00)",
        "Formato(1234.5, \"#,##0." + QString(306, '#') + "\") => 1,234.5",
        // A negative amount's sign before the pattern's text.
        R"(Formato(-A * 461.1, "$#,##0.00") => -$4,611.00)", R"(Formato(-A, "$0 MN") => -$10 MN)",
        // Amounts in words; the words of Numeros end in a blank.
        "Moneda(1234.56) => UN MIL DOSCIENTOS TREINTA Y CUATRO PESOS 56/100 M. N.",
        "Moneda(Total) => NOVENTA Y NUEVE PESOS 50/100 M. N.", "Moneda(N) => ",
        "Numeros(A + 11) => VEINTIUN ", "Numeros(4 * 2.5) => DIEZ ", "Numeros(-2.5) => TRES ",
        R"(Moneda(Total, "usd") => NOVENTA Y NUEVE DÓLARES 50/100 USD)",
        R"(Moneda(Total, N) => NOVENTA Y NUEVE PESOS 50/100 M. N.)",
        // An amount without words (too large, or no number at all as a damaged file may keep)
        // marks its place instead of stopping the report.
        "Moneda(1000000000000) => " + kSinLetra, "Numeros(3000000000) => " + kSinLetra,
        "Numeros(Nan) => " + kSinLetra, "Moneda(Nan) => " + kSinLetra,
        "Numeros(MenosInf) => " + kSinLetra, "Moneda(Inf) => " + kSinLetra,
        // Parts joined only when present; conditions; comparisons.
        R"(Junta(", ", T, N, "", "  ", D, A) => texto, 12.5, 10)", R"(Junta(", ", N, "") => )",
        R"(Prefijo("Tel. ", N) & Prefijo("Col. ", T) => Col. texto)",
        R"(Prefijo("C.P. ", " ") => )", R"(Si(A, "sí", "no") & Si(N, 1, 2) & Si(0, 3) => sí2)",
        R"(Si("no", 1, 2) & Si("0", 1, 2) & Si(" ", 1, 2) & Si(F, 1, 2) => 2221)",
        R"(Si(Igual(" TEXTO", T), 1, 2) & Si(Igual(D, 12.5), 1, 2) & Si(Igual(N, ""), 1, 2) => 112)",
        R"(Si(Igual(N, A), 1, 2) & Si(Igual(A, "10.0"), 1, 2) => 21)",
        R"(-" Inf" & Si(Igual("MXN", " mxn"), 1, 2) & Si(Igual("nan", "NaN"), 1, 2) => 12)",
        "Suma(Si(A, 0, B)) & Cuenta(Si(B, N, 1)) => 00",
        // Counting a text is fine; NULLs are not counted.
        "Cuenta(T) & Cuenta(N) & Cuenta() => 101",
        // Past the range of numbers: no "inf" or "nan" on paper, an empty value as for a
        // division by zero.
        kEnorme + " => ", kEnorme + " - " + kEnorme + " => ", "-" + kEnorme + " + A => ",
        "A / (1 / " + kEnorme + ") => ", "Numeros(" + kEnorme + " - " + kEnorme + ") => ",
        "Moneda(" + kEnorme + " * 0) => ", "NoNulo(" + kEnorme + ", \"sin valor\") => sin valor",
        // More decimals in a pattern than a double has digits.
        "Formato(A, \"0." + QString(320, '#') + "\") => 10",
        // Ordinary depths of nesting work.
        QString(100, '(') + "A" + QString(100, ')') + " => 10",
        "A" + QStringLiteral(" + 1").repeated(150) + " => 160", QString(101, '-') + "A => -10"};
    for (const QString& c : casos) {
        SCOPED_TRACE(qPrintable(c.left(100)));
        const qsizetype i = c.lastIndexOf(" => ");
        ASSERT_GT(i, 0);
        EXPECT_EQ(muestra(c.left(i)), c.mid(i + 4));
    }
    const QString ceros = "0." + QString(400, '0');
    EXPECT_EQ(formateaNumero(0, ceros), ceros);
    EXPECT_EQ(formateaNumero(-1234.5, ceros), "-1234.5" + QString(399, '0'));
    // The item's format attribute; separators of the regional settings.
    EXPECT_EQ(muestra("0.16 * Total", "#,##0.00"), "15.92");
    fijaRegional(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(muestra("1234567.891", "##,###,##0.00"), "1.234.567,89");
    fijaRegional(QLocale(QLocale::Spanish, QLocale::Mexico));
    EXPECT_EQ(muestra("N", "#,##0.00"), "");
    EXPECT_EQ(muestra("F", "dd/mmm/yy"), "05/mar/09");
}

// Each case reads "expression => part of the message". Every message names the file and the
// line of the field, and says what is wrong.
TEST(Expresiones, Errores) {
    const QStringList casos = {
        "Subtotal + * IVA => falta un valor antes de «*» (posición 12 de «Subtotal + * IVA»)",
        "A + => falta un valor al final", "(A + B => falta «)»", "A B => sobra «B»",
        R"("sin cerrar => falta cerrar el texto)", "A ; B => el carácter «;» no se entiende",
        "Moneda() => Moneda lleva 1 o 2 argumento(s) y recibió 0",
        "Junta(\", \") => Junta lleva de 2 a 256 argumento(s) y recibió 1",
        "Formato(A, T) => el segundo argumento de Formato debe ser un texto",
        "Sumar(A) => la función «Sumar» no existe",
        "Totl * 2 => el campo «Totl» no existe en las fuentes del reporte (movs); ¿quiso decir "
        "«Total»?",
        "otra.A => la fuente «otra» no está declarada en el diseño (hay: movs)",
        "movs.Q => el campo «Q» no existe en la fuente «movs»",
        "Suma(Suma(A)) => un total no puede sumar otro total",
        "Suma(Pagina()) => un total no puede sumar otro total ni el número de página",
        "SumaGrupo(A) => necesitan un grupo",
        // Values that cannot be used stop the run and say which value and where.
        "Moneda(T) => no se puede escribir con letra el texto «texto»",
        "Suma(T) => no se puede sumar el valor «texto» en «Suma(T)»",
        "T * 2 => no se puede multiplicar el texto «texto» en «T * 2»",
        // Reading, binding, evaluating and freeing an expression walk it recursively: one nested
        // too deep for the stack (thousands of parentheses, signs or chained operations, as a
        // generated or mangled layout may hold) is refused, and the program goes on.
        QString(50000, '(') + "A" + QString(50000, ')') + " => " + kHondo,
        QString(50000, '-') + "A => " + kHondo, QString(50000, '+') + "A => " + kHondo,
        "A" + QStringLiteral(" + 1").repeated(100000) + " => " + kHondo,
        "A" + QStringLiteral(" & T").repeated(100000) + " => " + kHondo,
        QStringLiteral("NoNulo(").repeated(20000) + "A" + QString(20000, ')') + " => " + kHondo};
    for (const QString& c : casos) {
        SCOPED_TRACE(qPrintable(c.left(100)));
        const qsizetype i = c.lastIndexOf(" => ");
        const QString m = mensajeDe([&] { muestra(c.left(i)); });
        EXPECT_TRUE(m.startsWith("Error en el diseño «/prueba/diseno.rpt», línea 3"))
            << qPrintable(m.left(200));
        EXPECT_TRUE(m.contains(c.mid(i + 4))) << qPrintable(m.left(200));
    }
    EXPECT_FALSE(mensajeDe([] { muestra("Zzzzzz"); }).contains("quiso decir"));
}
