// The saved list's file: bytes written, records read back (damaged files too), identifiers,
// two copies saving at once.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "CarpetaTemporal.h"
#include "core/ArchivosTexto.h"
#include "core/ListaFacturas.h"

using namespace quilmaro;

TEST(ListaFacturas, EscrituraYLectura) {
    const QList<QStringList> registros = {
        {"A", "125", "05/mar/09", "C001", "PANADERÍA L'ESPIGA, S.A.", "1,160.00", "3321"},
        {"B", "7", "", "C002", "TALLER \"EL GÜERO\"", "", "9", "sobrante"},
        {"C", "8", "", "", "Ω", "", "10"}};
    EXPECT_EQ(lista::escribe(registros),
              QByteArray("\"A\",\"125\",\"05/mar/09\",\"C001\",\"PANADER\xCD"
                         "A L'ESPIGA, S.A.\",\"1,160.00\",\"3321\"\r\n"
                         "\"B\",\"7\",\"\",\"C002\",\"TALLER \"\"EL G\xDC"
                         "ERO\"\"\",\"\",\"9\"\r\n"
                         "\"C\",\"8\",\"\",\"\",\"?\",\"\",\"10\"\r\n"));
    // The empty list is one line of seven empty fields.
    EXPECT_EQ(lista::escribe({QStringList()}), "\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");

    const QStringList b = {"B", "2", "f", "c", "n", "t", "10"};
    const struct {
        const char* texto;
        QList<QStringList> registros;
    } casos[] = {
        {"", {}},
        {"\r\n\r\n", {}},
        {"\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n", {{"", "", "", "", "", "", ""}}},
        {"\"A\",\"\"\"EL\"\"\",\"\",\"\",\"\",\"\",\"5\"\r\n",
         {{"A", "\"EL\"", "", "", "", "", "5"}}},
        // Line ends separate fields like commas: records are told apart by counting seven.
        {"\"A\",\"1\"\r\n\"f\",\"c\",\"n\",\"t\",\"9\"\r\n", {{"A", "1", "f", "c", "n", "t", "9"}}},
        // A short last record is filled with empty fields.
        {"\"A\",\"1\",\"f\"", {{"A", "1", "f", "", "", "", ""}}},
        // Unquoted fields: blanks around them dropped.
        {"  A , 1 ,x,y,z,w,5\n", {{"A", "1", "x", "y", "z", "w", "5"}}},
        // A stray quote (an old file that did not double them) ends the field; the rest up to
        // the separator is dropped, and the following fields stay in place.
        {"\"A\",\"1\",\"f\",\"c\",\"TALLER \"EL GUERO\"\",\"t\",\"9\"\r\n"
         "\"B\",\"2\",\"f\",\"c\",\"n\",\"t\",\"10\"\r\n",
         {{"A", "1", "f", "c", "TALLER ", "t", "9"}, b}},
        // An unclosed quote runs to the end of the text, and reading ends.
        {"\"A\",\"sin cierre,\r\nB", {{"A", "sin cierre,\r\nB", "", "", "", "", ""}}},
    };
    for (const auto& c : casos)
        EXPECT_EQ(lista::lee(QString::fromUtf8(c.texto)), c.registros) << c.texto;
    // What is written reads back the same.
    const QList<QStringList> dos = {registros[0], registros[1].mid(0, 7)};
    EXPECT_EQ(lista::lee(texto::decodifica(lista::escribe(dos))), dos);
}

TEST(ListaFacturas, IdentificadoresYLineas) {
    // Only a whole number above zero in decimal digits names an invoice.
    for (const char* c : {"12abc", "&H10", "1; DROP TABLE x", "1.5", "-3", "+3", "0", "", "1e3",
                          "١٢", "9999999999999999"})
        EXPECT_FALSE(lista::identificador(QString::fromUtf8(c))) << c;
    EXPECT_EQ(lista::identificador(" 0007 "), 7);
    EXPECT_EQ(lista::identificador("999999999999999"), 999999999999999);

    // The line where each record begins, whatever ends the lines and however many blank ones.
    QList<int> lineas;
    const auto r = lista::lee(
        "\"A\",\"1\",\"\",\"\",\"\",\"\",\"5\"\r\n\r\n"
        "\"B\",\"2\",\"\",\"\",\"DOS\nLINEAS\",\"\",\"6\"\n"
        "\r\"C\",\"3\",\"\",\"\",\"\",\"\",\"7\"\r\n",
        &lineas);
    ASSERT_EQ(r.size(), 3);
    EXPECT_EQ(lineas, QList<int>({1, 3, 6}));
}

TEST(ListaFacturas, DosGrabacionesALaVez) {
    // Two copies saving the same file over and over at once: every save reports success and the
    // file always holds one of the two lists, whole; no temporary is left beside it.
    QTemporaryDir carpeta;
    const QString ruta = carpeta.filePath("LISTAFACTURAS.TXT");
    QList<QStringList> listas[2];
    for (int n = 0; n < 400; ++n) {
        listas[0].append({"A", QString::number(n), "", "", "PRIMERA", "", QString::number(n + 1)});
        listas[1].append({"B", QString::number(n), "", "", "SEGUNDA", "", QString::number(n + 9)});
    }
    std::atomic<int> fallas{0};
    auto graba = [&](int cual) {
        for (int i = 0; i < 40; ++i)
            if (lista::graba(ruta, listas[cual]))
                ++fallas;
    };
    std::thread uno(graba, 0), otro(graba, 1);
    uno.join();
    otro.join();
    EXPECT_EQ(fallas, 0);
    const QByteArray final = prueba::leeBytes(ruta);
    EXPECT_TRUE(final == lista::escribe(listas[0]) || final == lista::escribe(listas[1]));
    EXPECT_EQ(QDir(carpeta.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({"LISTAFACTURAS.TXT"}));
}
