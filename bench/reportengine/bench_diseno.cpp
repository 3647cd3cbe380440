// Benchmark: reading a layout of N elements (default 32,000), against reading the same text with
// a bare XML pass that visits every element and attribute.
//
//   bench_diseno [--xml] [elementos] [repeticiones]
//
// The layout is one detail band holding N static texts, each on a line of its own, as a long
// hand-made or generated layout would be. Prints medians in ms and their ratio. With --xml only
// the bare pass runs, so that the two can be timed as whole processes from outside.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "reportengine/Diseno.h"

namespace {

double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QByteArray disenoDe(int elementos) {
    QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<reporte nombre=\"Prueba\">\n"
        "  <detalle alto=\"8\">\n";
    for (int i = 0; i < elementos; ++i)
        xml +=
            QStringLiteral("    <texto x=\"%1\" y=\"1\" ancho=\"20\" alto=\"5\">Texto %2</texto>\n")
                .arg(i % 150)
                .arg(i)
                .toUtf8();
    return xml + "  </detalle>\n</reporte>\n";
}

// The peer: every element's name and attributes read, nothing built.
qsizetype pasoXml(const QByteArray& xml) {
    QXmlStreamReader x(xml);
    qsizetype atributos = 0;
    while (!x.atEnd()) {
        if (x.readNext() == QXmlStreamReader::StartElement)
            atributos += x.attributes().size() + x.name().size();
    }
    return x.hasError() ? -1 : atributos;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const bool soloXml = argc > 1 && qstrcmp(argv[1], "--xml") == 0;
    if (soloXml) {
        ++argv;
        --argc;
    }
    const int n = argc > 1 ? std::atoi(argv[1]) : 32000;
    const int repeticiones = argc > 2 ? std::atoi(argv[2]) : 5;
    if (n < 1 || repeticiones < 1) {
        std::fprintf(stderr, "uso: bench_diseno [elementos] [repeticiones]\n");
        return 2;
    }
    const QByteArray xml = disenoDe(n);
    std::vector<double> lecturas, pasos;
    for (int i = 0; i < repeticiones; ++i) {
        QElapsedTimer t;
        t.start();
        size_t leidos = static_cast<size_t>(n);
        if (!soloXml) {
            const auto d = quilmaro::reporte::leeDisenoDeTexto(xml, QStringLiteral("prueba.rpt"));
            leidos = 0;
            for (const auto& b : d->bandas)
                leidos += b.elementos.size();
        }
        lecturas.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        if (pasoXml(xml) < 0 || leidos != static_cast<size_t>(n)) {
            std::fprintf(stderr, "the layout read %zu elements of %d\n", leidos, n);
            return 1;
        }
        pasos.push_back(t.nsecsElapsed() / 1e6);
    }
    const double l = mediana(lecturas), p = mediana(pasos);
    std::printf("elements=%d runs=%d read_ms=%.1f xml_pass_ms=%.1f ratio=%.1f\n", n, repeticiones,
                l, p, l / p);
    return 0;
}
