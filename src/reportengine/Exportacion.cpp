#include "reportengine/Exportacion.h"

#include <QRegularExpression>
#include <QSaveFile>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "core/ArchivosTexto.h"
#include "core/Regional.h"
#include "reportengine/ErrorReporte.h"
#include "reportengine/Formatos.h"
#include "reportengine/Tipografia.h"

namespace quilmaro::reporte {

namespace {

// Texts whose tops are this close share a line.
constexpr double kToleranciaLinea = 1.5;
// Width of one character of the text file, in millimetres (about 14 characters an inch).
constexpr double kAnchoCaracter = 1.8;

int columnaDe(double mm) {
    return static_cast<int>(std::lround(mm / kAnchoCaracter));
}

QByteArray comoTexto(const Documento& doc) {
    QStringList salida;
    for (std::size_t n = 0; n < doc.paginas.size(); ++n) {
        if (n > 0)
            salida.append(QStringLiteral("\f"));
        for (const LineaTexto& l : lineasDePagina(doc, doc.paginas[n])) {
            QString linea;
            for (const PiezaTexto& p : l.piezas) {
                // Each text in the column its box starts, ends or centres in, as printed, so
                // that figures aligned on the right stay aligned in the file.
                const auto largo = static_cast<int>(p.texto.size());
                int columna = columnaDe(p.x);
                if (p.alineacion == Qt::AlignRight)
                    columna = columnaDe(p.x + p.ancho) - largo;
                else if (p.alineacion == Qt::AlignHCenter)
                    columna = columnaDe(p.x + p.ancho / 2) - largo / 2;
                // A text that does not fit before the next one pushes it, never overwrites it.
                columna =
                    std::max(columna, linea.isEmpty() ? 0 : static_cast<int>(linea.size()) + 1);
                linea += QString(columna - linea.size(), QLatin1Char(' '));
                linea += p.texto;
            }
            salida.append(linea);
        }
    }
    return texto::codificaLineas(salida);
}

// Rich text: each printed line a paragraph, its texts at tab stops where they stand on the page
// (left, centre or right, as printed).
QByteArray comoRtf(const Documento& doc) {
    auto escapa = [](const QString& s) {
        QByteArray b;
        for (QChar c : s) {
            const char16_t u = c.unicode();
            if (u == '\\' || u == '{' || u == '}') {
                b += '\\';
                b += static_cast<char>(u);
            } else if (u == '\t') {
                b += "\\tab ";
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
        for (const LineaTexto& l : lineasDePagina(doc, doc.paginas[n])) {
            r += "\\pard\\plain\\f0\\fs16";
            QByteArray texto;
            for (std::size_t i = 0; i < l.piezas.size(); ++i) {
                const PiezaTexto& p = l.piezas[i];
                // The first text of a line starting at the margin needs no tab.
                if (i > 0 || p.alineacion != Qt::AlignLeft || p.x > 0.5) {
                    if (p.alineacion == Qt::AlignRight)
                        r += "\\tqr";
                    else if (p.alineacion == Qt::AlignHCenter)
                        r += "\\tqc";
                    r += "\\tx" + twips(p.ancla());
                    texto += "\\tab ";
                }
                texto += escapa(p.texto);
            }
            r += ' ' + texto + "\\par\r\n";
        }
    }
    r += "}\r\n";
    return r;
}

// --- The spreadsheet ---------------------------------------------------------------------------

const QRegularExpression& reEtiqueta() {
    // "Fecha: 05/mar/2024": a label, a colon and the value.
    static const QRegularExpression re(QStringLiteral("^([^\\d:()\"]{1,40}):\\s+"));
    return re;
}

// The format an expression gives its value itself: Formato(x, "dd/mmm/yyyy") at its end.
QString formatoDeExpresion(const QString& expresion) {
    static const QRegularExpression re(
        QStringLiteral("Formato\\s*\\(.*,\\s*\"([^\"]*)\"\\s*\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    return re.match(expresion).captured(1);
}

// A column name from an expression: a function the whole value comes from ("Moneda"), else the
// fields it reads ("Serie Factura"), without their source's name.
QString tituloDeExpresion(const QString& expresion) {
    static const QRegularExpression re(QStringLiteral(
        "\"[^\"]*\"|([\\p{L}_][\\p{L}\\p{N}_]*\\.)?([\\p{L}_][\\p{L}\\p{N}_]*)(\\s*\\()?"));
    QStringList campos;
    bool primero = true;
    for (auto it = re.globalMatch(expresion); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(2).isEmpty())
            continue;  // a quoted text
        if (!m.captured(3).isEmpty()) {
            if (primero)
                return m.captured(2);
        } else if (!campos.contains(m.captured(2))) {
            campos << m.captured(2);
        }
        primero = false;
    }
    return campos.join(QLatin1Char(' '));
}

struct Columna {
    double alturaEnBanda = 0;  // from the band's top, where first seen
    double x = 0, ancho = 0, arriba = 0;
    QString titulo;
    QString prefijo;  // label written inside every value, left out of the cells
};

CeldaHoja celdaDe(const ElementoPagina& e, const QString& prefijo) {
    CeldaHoja c;
    const Variante& v = e.valor;
    if (v.esNulo() || v.esVacio())
        return c;
    QString formato = e.formato;
    if (formato.isEmpty())
        formato = formatoDeExpresion(e.expresion);
    if (v.tipo() == Variante::Tipo::Fecha) {
        c.tipo = CeldaHoja::Tipo::Fecha;
        c.fecha = v.fecha().date();
        c.formato = esPatronFecha(formato) ? formato : QStringLiteral("dd/mm/yyyy");
        return c;
    }
    if (v.esNumero() && v.tipo() != Variante::Tipo::Booleano) {
        c.tipo = CeldaHoja::Tipo::Numero;
        c.numero = v.aDoble();
        if (!esPatronFecha(formato))
            c.formato = formato;
        return c;
    }
    QString t = v.aTexto();
    if (!prefijo.isEmpty() && t.startsWith(prefijo))
        t = t.mid(prefijo.size());
    // A text the layout formats as a number or a date is one.
    if (!formato.isEmpty()) {
        if (esPatronFecha(formato)) {
            if (const auto f = leeFechaTexto(t)) {
                c.tipo = CeldaHoja::Tipo::Fecha;
                c.fecha = *f;
                c.formato = formato;
                return c;
            }
        } else if (double d = 0; leeNumero(t.trimmed(), &d) && std::isfinite(d)) {
            c.tipo = CeldaHoja::Tipo::Numero;
            c.numero = d;
            c.formato = formato;
            return c;
        }
    }
    c.tipo = CeldaHoja::Tipo::Texto;
    c.texto = t;
    return c;
}

QString sinDosPuntos(QString s) {
    s = s.simplified();
    while (s.endsWith(QLatin1Char(':')))
        s.chop(1);
    return s.trimmed();
}

// The sheet's styles: bold titles, then one style per number or date format, numbered in the
// order first used.
std::map<QString, QString> escribeEstilos(QXmlStreamWriter& x, const QString& ns,
                                          const std::vector<std::vector<CeldaHoja>>& tabla) {
    std::map<QString, QString> estilos;
    for (const auto& fila : tabla)
        for (const CeldaHoja& c : fila)
            if (!c.formato.isEmpty() && !estilos.count(c.formato))
                estilos.emplace(c.formato, QStringLiteral("f%1").arg(estilos.size() + 1));
    x.writeStartElement(ns, QStringLiteral("Styles"));
    x.writeStartElement(ns, QStringLiteral("Style"));
    x.writeAttribute(ns, QStringLiteral("ID"), QStringLiteral("titulo"));
    x.writeEmptyElement(ns, QStringLiteral("Font"));
    x.writeAttribute(ns, QStringLiteral("Bold"), QStringLiteral("1"));
    x.writeEndElement();
    for (const auto& [formato, id] : estilos) {
        x.writeStartElement(ns, QStringLiteral("Style"));
        x.writeAttribute(ns, QStringLiteral("ID"), id);
        x.writeEmptyElement(ns, QStringLiteral("NumberFormat"));
        x.writeAttribute(ns, QStringLiteral("Format"), formato);
        x.writeEndElement();
    }
    x.writeEndElement();
    return estilos;
}

// Columns wide enough for their longest text (in points, about 6 a character).
void escribeAnchos(QXmlStreamWriter& x, const QString& ns,
                   const std::vector<std::vector<CeldaHoja>>& tabla) {
    const std::size_t columnas = tabla.empty() ? 0 : tabla.front().size();
    for (std::size_t j = 0; j < columnas; ++j) {
        qsizetype largo = 6;
        for (const auto& fila : tabla)
            largo = std::max(largo, fila[j].tipo == CeldaHoja::Tipo::Texto ? fila[j].texto.size()
                                                                           : qsizetype{12});
        x.writeEmptyElement(ns, QStringLiteral("Column"));
        x.writeAttribute(ns, QStringLiteral("Width"),
                         QString::number(std::min<qsizetype>(largo, 80) * 6 + 6));
    }
}

void escribeDato(QXmlStreamWriter& x, const QString& ns, const CeldaHoja& c) {
    x.writeStartElement(ns, QStringLiteral("Data"));
    switch (c.tipo) {
        case CeldaHoja::Tipo::Numero:
            x.writeAttribute(ns, QStringLiteral("Type"), QStringLiteral("Number"));
            // The decimal value the figure stands for, without binary noise.
            x.writeCharacters(QString::number(c.numero, 'g', 15));
            break;
        case CeldaHoja::Tipo::Fecha:
            x.writeAttribute(ns, QStringLiteral("Type"), QStringLiteral("DateTime"));
            x.writeCharacters(c.fecha.toString(QStringLiteral("yyyy-MM-dd")) +
                              QStringLiteral("T00:00:00.000"));
            break;
        default:
            x.writeAttribute(ns, QStringLiteral("Type"), QStringLiteral("String"));
            x.writeCharacters(c.texto);
    }
    x.writeEndElement();
}

QByteArray comoHoja(const Documento& doc) {
    const std::vector<std::vector<CeldaHoja>> tabla = tablaDeDetalle(doc);
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
    const std::map<QString, QString> estilos = escribeEstilos(x, ns, tabla);
    x.writeStartElement(ns, QStringLiteral("Worksheet"));
    QString nombre = doc.nombre.isEmpty() ? QStringLiteral("Reporte") : doc.nombre.left(31);
    for (QChar c : QStringLiteral("[]:*?/\\"))
        nombre.remove(c);
    x.writeAttribute(ns, QStringLiteral("Name"), nombre);
    x.writeStartElement(ns, QStringLiteral("Table"));
    escribeAnchos(x, ns, tabla);
    for (std::size_t i = 0; i < tabla.size(); ++i) {
        x.writeStartElement(ns, QStringLiteral("Row"));
        for (const CeldaHoja& c : tabla[i]) {
            x.writeStartElement(ns, QStringLiteral("Cell"));
            if (i == 0)
                x.writeAttribute(ns, QStringLiteral("StyleID"), QStringLiteral("titulo"));
            else if (!c.formato.isEmpty())
                x.writeAttribute(ns, QStringLiteral("StyleID"), estilos.at(c.formato));
            if (c.tipo != CeldaHoja::Tipo::Vacia)
                escribeDato(x, ns, c);
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

double PiezaTexto::ancla() const {
    if (alineacion == Qt::AlignRight)
        return x + ancho;
    if (alineacion == Qt::AlignHCenter)
        return x + ancho / 2;
    return x;
}

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

std::vector<LineaTexto> lineasDePagina(const Documento& doc, const PaginaDocumento& pagina) {
    const Tipografia tipos(doc.estilos);
    std::vector<std::pair<double, PiezaTexto>> piezas;
    for (const ElementoPagina& e : pagina.elementos) {
        if (e.tipo != ElementoPagina::Tipo::Texto || e.texto.trimmed().isEmpty())
            continue;
        const EstiloTexto& est = doc.estilos[static_cast<size_t>(e.indice)];
        const QStringList lineas = e.texto.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lineas.size(); ++i) {
            if (lineas[i].trimmed().isEmpty())
                continue;
            PiezaTexto p;
            p.x = e.caja.left();
            p.ancho = e.caja.width();
            p.alineacion = est.horizontal & Qt::AlignHorizontal_Mask;
            if (p.alineacion != Qt::AlignRight && p.alineacion != Qt::AlignHCenter)
                p.alineacion = Qt::AlignLeft;
            p.texto = lineas[i];
            piezas.emplace_back(
                e.caja.top() + static_cast<double>(i) * tipos.interlineado(e.indice), std::move(p));
        }
    }
    std::stable_sort(piezas.begin(), piezas.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<LineaTexto> lineas;
    for (auto& [y, p] : piezas) {
        if (lineas.empty() || y - lineas.back().y > kToleranciaLinea)
            lineas.push_back({y, {}});
        lineas.back().piezas.push_back(std::move(p));
    }
    for (LineaTexto& l : lineas)
        std::stable_sort(l.piezas.begin(), l.piezas.end(),
                         [](const auto& a, const auto& b) { return a.ancla() < b.ancla(); });
    return lineas;
}

namespace {

// A column is a field of a detail band: the band, the expression and where it stands. The band's
// height may change from row to row (texts that grow), so the height is no part of it.
using Clave = std::tuple<int, QString, long>;
using FilaDetalle = std::map<Clave, const ElementoPagina*>;

// What the pages show of the detail: its columns, its rows, the column header and the labels.
struct Detalle {
    std::map<Clave, Columna> columnas;
    std::vector<FilaDetalle> filas;
    const PaginaDocumento* conTitulos = nullptr;
    const BandaColocada* titulos = nullptr;
    std::vector<const ElementoPagina*> etiquetas;  // labels of the first row of each band
};

bool dentro(const ElementoPagina& e, const BandaColocada& b) {
    return e.tipo == ElementoPagina::Tipo::Texto && e.caja.top() >= b.y - 0.01 &&
           e.caja.top() < b.y + b.alto - 0.01;
}

void recogeFila(const PaginaDocumento& p, const BandaColocada& b, bool primera, Detalle& d) {
    FilaDetalle fila;
    for (const ElementoPagina& e : p.elementos) {
        if (!dentro(e, b))
            continue;
        if (e.expresion.isEmpty()) {
            if (primera && !e.texto.trimmed().isEmpty())
                d.etiquetas.push_back(&e);
            continue;
        }
        const Clave k{b.banda, e.expresion, std::lround(e.caja.left() * 100)};
        if (!d.columnas.count(k)) {
            Columna c;
            c.alturaEnBanda = e.caja.top() - b.y;
            c.x = e.caja.left();
            c.ancho = e.caja.width();
            c.arriba = e.caja.top();
            d.columnas.emplace(k, c);
        }
        fila[k] = &e;
    }
    d.filas.push_back(std::move(fila));
}

Detalle recogeDetalle(const Documento& doc) {
    Detalle d;
    std::map<int, bool> bandaVista;
    for (const PaginaDocumento& p : doc.paginas) {
        for (const BandaColocada& b : p.bandas) {
            if (b.tipo == TipoBanda::EncabezadoColumnas && !d.titulos) {
                d.conTitulos = &p;
                d.titulos = &b;
            }
            if (b.tipo != TipoBanda::Detalle)
                continue;
            const bool primera = !bandaVista[b.banda];
            bandaVista[b.banda] = true;
            recogeFila(p, b, primera, d);
        }
    }
    return d;
}

// The column header text that stands most over the column.
QString tituloDeCabecera(const Columna& c, const Detalle& d) {
    QString titulo;
    double mejor = 0.5;
    for (const ElementoPagina& e : d.conTitulos->elementos) {
        if (!dentro(e, *d.titulos) || e.texto.trimmed().isEmpty())
            continue;
        const double comun = std::min(c.x + c.ancho, e.caja.right()) - std::max(c.x, e.caja.left());
        if (comun > mejor) {
            mejor = comun;
            titulo = e.texto.simplified();
        }
    }
    return titulo;
}

// The label printed nearest left of the column on its line ("Total:").
QString tituloDeEtiqueta(const Columna& c, const Detalle& d) {
    QString titulo;
    double cerca = 1e9;
    for (const ElementoPagina* e : d.etiquetas) {
        const double hueco = c.x - e->caja.right();
        if (std::abs(e->caja.top() - c.arriba) < kToleranciaLinea && hueco > -1 && hueco < cerca) {
            cerca = hueco;
            titulo = sinDosPuntos(e->texto);
        }
    }
    return titulo;
}

// A label every value of the column starts with ("Fecha: ..."); empty when they do not share one.
QString prefijoComun(const Clave& k, const Detalle& d) {
    QString prefijo;
    bool todos = true;
    for (const FilaDetalle& f : d.filas) {
        const auto it = f.find(k);
        if (it == f.end())
            continue;
        const QString t = it->second->valor.aTexto();
        if (prefijo.isEmpty())
            prefijo = reEtiqueta().match(t).captured(0);
        todos = todos && !prefijo.isEmpty() && t.startsWith(prefijo);
    }
    return todos ? prefijo : QString();
}

// Titles: the column header above the field; else a label printed just left of it on its line;
// else a label every value starts with; else the name of what the field shows. Column headers
// stand over the first line of a band; fields below it are named otherwise.
void titulaColumnas(Detalle& d) {
    std::map<int, double> primeraLinea;
    for (const auto& [k, c] : d.columnas) {
        const auto it = primeraLinea.find(std::get<0>(k));
        if (it == primeraLinea.end() || c.alturaEnBanda < it->second)
            primeraLinea[std::get<0>(k)] = c.alturaEnBanda;
    }
    for (auto& [k, c] : d.columnas) {
        if (d.titulos && c.alturaEnBanda - primeraLinea[std::get<0>(k)] < kToleranciaLinea)
            c.titulo = tituloDeCabecera(c, d);
        if (c.titulo.isEmpty())
            c.titulo = tituloDeEtiqueta(c, d);
        if (c.titulo.isEmpty()) {
            c.prefijo = prefijoComun(k, d);
            c.titulo = sinDosPuntos(c.prefijo);
        }
        if (c.titulo.isEmpty())
            c.titulo = tituloDeExpresion(std::get<1>(k));
    }
}

// Bands in order, then lines top to bottom, then left to right.
std::vector<Clave> ordenDeColumnas(const std::map<Clave, Columna>& columnas) {
    std::vector<Clave> orden;
    for (const auto& [k, c] : columnas)
        orden.push_back(k);
    std::stable_sort(orden.begin(), orden.end(), [&](const Clave& a, const Clave& b) {
        const Columna &ca = columnas.at(a), &cb = columnas.at(b);
        if (std::get<0>(a) != std::get<0>(b))
            return std::get<0>(a) < std::get<0>(b);
        if (std::abs(ca.alturaEnBanda - cb.alturaEnBanda) > kToleranciaLinea)
            return ca.alturaEnBanda < cb.alturaEnBanda;
        return ca.x < cb.x;
    });
    return orden;
}

}  // namespace

std::vector<std::vector<CeldaHoja>> tablaDeDetalle(const Documento& doc) {
    Detalle d = recogeDetalle(doc);
    titulaColumnas(d);
    const std::vector<Clave> orden = ordenDeColumnas(d.columnas);
    std::vector<std::vector<CeldaHoja>> tabla;
    if (orden.empty())
        return tabla;
    std::vector<CeldaHoja> cabecera;
    for (const Clave& k : orden) {
        CeldaHoja c;
        c.tipo = CeldaHoja::Tipo::Texto;
        c.texto = d.columnas.at(k).titulo;
        cabecera.push_back(c);
    }
    tabla.push_back(std::move(cabecera));
    for (const FilaDetalle& f : d.filas) {
        std::vector<CeldaHoja> fila;
        for (const Clave& k : orden) {
            const auto it = f.find(k);
            fila.push_back(it == f.end() ? CeldaHoja()
                                         : celdaDe(*it->second, d.columnas.at(k).prefijo));
        }
        tabla.push_back(std::move(fila));
    }
    return tabla;
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
