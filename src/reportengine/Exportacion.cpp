#include "reportengine/Exportacion.h"

#include <QSaveFile>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>

#include "lib/ArchivosTexto.h"
#include "lib/Regional.h"
#include "reportengine/ErrorReporte.h"

namespace quilmaro::reporte {

namespace {

// Texts whose tops are this close share a line.
constexpr double kToleranciaLinea = 1.5;
// Width of one character of the text file, in millimetres (about 14 characters an inch).
constexpr double kAnchoCaracter = 1.8;

QString unaLinea(const QString& t) {
    QString s = t;
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return s;
}

std::vector<const ElementoPagina*> textosEntre(const PaginaDocumento& p, double arriba,
                                               double abajo) {
    std::vector<const ElementoPagina*> t;
    for (const ElementoPagina& e : p.elementos) {
        if (e.tipo != ElementoPagina::Tipo::Texto || e.texto.trimmed().isEmpty())
            continue;
        const double y = e.caja.top();
        if (y >= arriba - 0.01 && y < abajo - 0.01)
            t.push_back(&e);
    }
    std::sort(t.begin(), t.end(), [](auto* a, auto* b) { return a->caja.left() < b->caja.left(); });
    return t;
}

QByteArray comoTexto(const Documento& doc) {
    QStringList salida;
    for (std::size_t n = 0; n < doc.paginas.size(); ++n) {
        if (n > 0)
            salida.append(QStringLiteral("\f"));
        for (const LineaTexto& l : lineasDePagina(doc.paginas[n])) {
            QString linea;
            for (const auto& [x, texto] : l.piezas) {
                const int columna = static_cast<int>(std::lround(x / kAnchoCaracter));
                if (linea.size() < columna)
                    linea += QString(columna - linea.size(), QLatin1Char(' '));
                else if (!linea.isEmpty())
                    linea += QLatin1Char(' ');
                linea += unaLinea(texto);
            }
            salida.append(linea);
        }
    }
    return texto::codificaLineas(salida);
}

// Rich text: each line a paragraph with tab stops where its texts start.
QByteArray comoRtf(const Documento& doc) {
    auto escapa = [](const QString& s) {
        QByteArray b;
        for (QChar c : s) {
            const char16_t u = c.unicode();
            if (u == '\\' || u == '{' || u == '}') {
                b += '\\';
                b += static_cast<char>(u);
            } else if (u == '\n') {
                b += "\\line ";
            } else if (u < 0x80) {
                b += static_cast<char>(u);
            } else {
                // Unicode with its Windows-1252 form for readers that do not know \u.
                const QByteArray w = texto::aWindows1252(QString(c));
                b += "\\u" + QByteArray::number(static_cast<qint16>(u)) + "\\'" +
                     QByteArray::number(static_cast<unsigned char>(w.at(0)), 16)
                         .rightJustified(2, '0');
            }
        }
        return b;
    };
    const QSizeF pagina = doc.pagina();
    auto twips = [](double mm) { return QByteArray::number(std::lround(mm * 1440.0 / 25.4)); };
    QByteArray r = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss DejaVu Sans;}}\r\n";
    r += "\\paperw" + twips(pagina.width()) + "\\paperh" + twips(pagina.height()) +
         "\\margl0\\margr0\\margt0\\margb0" + (doc.horizontal ? "\\landscape" : "") + "\r\n";
    for (std::size_t n = 0; n < doc.paginas.size(); ++n) {
        if (n > 0)
            r += "\\page\r\n";
        for (const LineaTexto& l : lineasDePagina(doc.paginas[n])) {
            r += "\\pard\\plain\\f0\\fs16";
            for (const auto& pieza : l.piezas)
                if (pieza.first > 0.5)
                    r += "\\tx" + twips(pieza.first);
            r += ' ';
            for (const auto& [x, t] : l.piezas) {
                if (x > 0.5)
                    r += "\\tab ";
                r += escapa(t);
            }
            r += "\\par\r\n";
        }
    }
    r += "}\r\n";
    return r;
}

// A spreadsheet of the detail rows (the XML workbook format spreadsheet programs open).
QByteArray comoHoja(const Documento& doc) {
    QByteArray datos;
    QXmlStreamWriter x(&datos);
    x.setAutoFormatting(true);
    x.writeStartDocument();
    x.writeProcessingInstruction(QStringLiteral("mso-application"),
                                 QStringLiteral("progid=\"Excel.Sheet\""));
    const QString ns = QStringLiteral("urn:schemas-microsoft-com:office:spreadsheet");
    x.writeDefaultNamespace(ns);
    x.writeNamespace(ns, QStringLiteral("ss"));
    x.writeStartElement(ns, QStringLiteral("Workbook"));
    x.writeStartElement(ns, QStringLiteral("Worksheet"));
    QString nombre = doc.nombre.isEmpty() ? QStringLiteral("Reporte") : doc.nombre.left(31);
    for (QChar c : QStringLiteral("[]:*?/\\"))
        nombre.remove(c);
    x.writeAttribute(ns, QStringLiteral("Name"), nombre);
    x.writeStartElement(ns, QStringLiteral("Table"));
    const QLocale loc = regional();
    for (const QStringList& fila : filasDeDetalle(doc)) {
        x.writeStartElement(ns, QStringLiteral("Row"));
        for (const QString& celda : fila) {
            x.writeStartElement(ns, QStringLiteral("Cell"));
            x.writeStartElement(ns, QStringLiteral("Data"));
            bool numero = false;
            const double v = loc.toDouble(celda.trimmed(), &numero);
            // Codes with leading zeros ("C0018") stay texts.
            const bool esNumero =
                numero && !celda.trimmed().startsWith(QLatin1Char('0')) && std::isfinite(v);
            x.writeAttribute(ns, QStringLiteral("Type"),
                             esNumero ? QStringLiteral("Number") : QStringLiteral("String"));
            x.writeCharacters(esNumero ? QString::number(v, 'g', 17) : celda);
            x.writeEndElement();
            x.writeEndElement();
        }
        x.writeEndElement();
    }
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndDocument();
    return datos;
}

}  // namespace

std::optional<FormatoArchivo> formatoDeCodigo(const QString& codigo) {
    if (codigo == QLatin1String(" 2"))
        return FormatoArchivo::Texto;
    if (codigo == QLatin1String("15"))
        return FormatoArchivo::TextoEnriquecido;
    if (codigo == QLatin1String("19"))
        return FormatoArchivo::HojaDeCalculo;
    if (codigo == QLatin1String("17"))
        return FormatoArchivo::Procesador;
    return std::nullopt;
}

std::vector<LineaTexto> lineasDePagina(const PaginaDocumento& pagina) {
    std::vector<const ElementoPagina*> textos;
    for (const ElementoPagina& e : pagina.elementos)
        if (e.tipo == ElementoPagina::Tipo::Texto && !e.texto.trimmed().isEmpty())
            textos.push_back(&e);
    std::stable_sort(textos.begin(), textos.end(),
                     [](auto* a, auto* b) { return a->caja.top() < b->caja.top(); });
    std::vector<LineaTexto> lineas;
    for (const ElementoPagina* e : textos) {
        if (lineas.empty() || e->caja.top() - lineas.back().y > kToleranciaLinea)
            lineas.push_back({e->caja.top(), {}});
        // A right-aligned text starts where its text does, not where its box does.
        double x = e->caja.left();
        lineas.back().piezas.emplace_back(x, e->texto);
    }
    for (LineaTexto& l : lineas)
        std::stable_sort(l.piezas.begin(), l.piezas.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    return lineas;
}

std::vector<QStringList> filasDeDetalle(const Documento& doc) {
    std::vector<QStringList> filas;
    auto textosDe = [](const PaginaDocumento& p, const BandaColocada& b) {
        QStringList t;
        for (const ElementoPagina* e : textosEntre(p, b.y, b.y + b.alto))
            t.append(unaLinea(e->texto));
        return t;
    };
    if (!doc.paginas.empty()) {
        for (const BandaColocada& b : doc.paginas.front().bandas)
            if (b.tipo == TipoBanda::EncabezadoColumnas) {
                filas.push_back(textosDe(doc.paginas.front(), b));
                break;
            }
    }
    for (const PaginaDocumento& p : doc.paginas)
        for (const BandaColocada& b : p.bandas)
            if (b.tipo == TipoBanda::Detalle)
                filas.push_back(textosDe(p, b));
    return filas;
}

void exportaArchivo(const Documento& doc, const QString& ruta, FormatoArchivo formato) {
    QByteArray datos;
    switch (formato) {
        case FormatoArchivo::Texto:
            datos = comoTexto(doc);
            break;
        case FormatoArchivo::TextoEnriquecido:
        case FormatoArchivo::Procesador:
            datos = comoRtf(doc);
            break;
        case FormatoArchivo::HojaDeCalculo:
            datos = comoHoja(doc);
            break;
    }
    QSaveFile f(ruta);
    if (!f.open(QIODevice::WriteOnly) || f.write(datos) != datos.size() || !f.commit())
        throw ErrorReporte(
            QStringLiteral("No se pudo escribir el archivo «%1»: %2. El reporte no se "
                           "exportó.")
                .arg(ruta, f.errorString()));
}

}  // namespace quilmaro::reporte
