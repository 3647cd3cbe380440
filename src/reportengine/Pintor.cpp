#include "reportengine/Pintor.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSet>
#include <vector>

#include "reportengine/ErrorReporte.h"

namespace quilmaro::reporte {

namespace {

constexpr double kK = kUnidadesPorMm;

QRectF aUnidades(const QRectF& r) {
    return QRectF(r.x() * kK, r.y() * kK, r.width() * kK, r.height() * kK);
}

}  // namespace

QPageLayout disposicionDePagina(const Documento& doc) {
    const QPageSize tam(doc.papel, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    return QPageLayout(tam, doc.horizontal ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void Pintor::pinta(QPainter& p, int pagina, double pxPorMm) const {
    if (pagina < 0 || pagina >= doc_.cuentaPaginas())
        return;
    const PaginaDocumento& pag = doc_.paginas[static_cast<size_t>(pagina)];
    p.save();
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                     QPainter::SmoothPixmapTransform);
    p.scale(pxPorMm / kK, pxPorMm / kK);
    // A window asks for a part of the page: items well away from it are not drawn (a text is
    // laid out before it is clipped). The margin covers what a box may reach past its edges.
    const bool recorta = p.hasClipping();
    const QRectF zona = recorta ? p.clipBoundingRect() : QRectF();
    constexpr double kMargen = 5 * kK;
    for (const ElementoPagina& e : pag.elementos) {
        if (recorta && !aUnidades(e.caja.normalized())
                            .adjusted(-kMargen, -kMargen, kMargen, kMargen)
                            .intersects(zona))
            continue;
        switch (e.tipo) {
            case ElementoPagina::Tipo::Texto:
                pintaTexto(p, e);
                break;
            case ElementoPagina::Tipo::Linea: {
                if (e.grosor <= 0)
                    break;
                QPen pen(QColor::fromRgba(e.color), e.grosor * kK);
                pen.setCapStyle(Qt::SquareCap);
                p.setPen(pen);
                p.drawLine(QPointF(e.caja.left() * kK, e.caja.top() * kK),
                           QPointF(e.caja.right() * kK, e.caja.bottom() * kK));
                break;
            }
            case ElementoPagina::Tipo::Rectangulo: {
                if (e.grosor > 0) {
                    QPen pen(QColor::fromRgba(e.color), e.grosor * kK);
                    pen.setJoinStyle(Qt::MiterJoin);
                    p.setPen(pen);
                } else {
                    p.setPen(Qt::NoPen);
                }
                p.setBrush(qAlpha(e.relleno) ? QBrush(QColor::fromRgba(e.relleno))
                                             : QBrush(Qt::NoBrush));
                p.drawRect(aUnidades(e.caja));
                p.setBrush(Qt::NoBrush);
                break;
            }
            case ElementoPagina::Tipo::Imagen:
                p.drawImage(aUnidades(e.caja), doc_.imagenes[static_cast<size_t>(e.indice)]);
                break;
        }
    }
    p.restore();
}

void Pintor::pintaTexto(QPainter& p, const ElementoPagina& e) const {
    if (e.texto.isEmpty())
        return;
    const EstiloTexto& est = doc_.estilos[static_cast<size_t>(e.indice)];
    const QFontMetricsF& fm = tipos_.metricas(e.indice);
    p.setFont(tipos_.fuente(e.indice));
    p.setPen(QColor::fromRgba(est.color));
    const QRectF r = aUnidades(e.caja);
    const QStringList lineas = e.texto.split(QLatin1Char('\n'));
    const double inter = fm.lineSpacing();
    const double total = fm.height() + inter * static_cast<double>(lineas.size() - 1);
    double y = r.top();
    if (est.vertical == Qt::AlignVCenter)
        y = r.top() + (r.height() - total) / 2;
    else if (est.vertical == Qt::AlignBottom)
        y = r.bottom() - total;
    y += fm.ascent();
    for (const QString& l : lineas) {
        double x = r.left();
        if (est.horizontal != Qt::AlignLeft) {
            const double w = fm.horizontalAdvance(l);
            x = est.horizontal == Qt::AlignRight ? r.right() - w : r.left() + (r.width() - w) / 2;
        }
        p.drawText(QPointF(x, y), l);
        y += inter;
    }
}

QString caracteresSinLetra(const Documento& doc) {
    const Tipografia tipos(doc.estilos);
    // Every text of every page is read before the preview shows: a letter already seen in its
    // style is passed over with one look in a table, most of them in the first plane.
    constexpr char32_t kPlano = 0x10000;
    std::vector<std::vector<bool>> vistosPlano(doc.estilos.size());
    QSet<std::pair<int, char32_t>> vistosFuera;
    QString faltan;
    for (const PaginaDocumento& p : doc.paginas) {
        for (const ElementoPagina& e : p.elementos) {
            if (e.tipo != ElementoPagina::Tipo::Texto)
                continue;
            std::vector<bool>& vistos = vistosPlano[static_cast<size_t>(e.indice)];
            if (vistos.empty())
                vistos.resize(kPlano);
            const QChar* letras = e.texto.constData();
            const qsizetype largo = e.texto.size();
            for (qsizetype i = 0; i < largo; ++i) {
                char32_t c = letras[i].unicode();
                if (QChar::isSurrogate(c)) {
                    // A lone half of a pair reads as the replacement character.
                    const bool par = QChar::isHighSurrogate(c) && i + 1 < largo &&
                                     letras[i + 1].isLowSurrogate();
                    c = par ? QChar::surrogateToUcs4(letras[i], letras[i + 1]) : char32_t{0xfffd};
                    i += par ? 1 : 0;
                }
                if (c < kPlano) {
                    if (vistos[c])
                        continue;
                    vistos[c] = true;
                } else if (vistosFuera.contains({e.indice, c})) {
                    continue;
                } else {
                    vistosFuera.insert({e.indice, c});
                }
                if (QChar::isSpace(c) || QChar::category(c) == QChar::Other_Control ||
                    QChar::category(c) == QChar::Other_Format)
                    continue;
                const QString letra = QString::fromUcs4(&c, 1);
                if (!tipos.metricas(e.indice).inFontUcs4(c) && !faltan.contains(letra))
                    faltan += letra;
            }
        }
    }
    return faltan;
}

QImage imagenDePagina(const Documento& doc, int pagina, double ppp) {
    const double pxPorMm = ppp / 25.4;
    const QSizeF mm = doc.pagina();
    QImage img(qRound(mm.width() * pxPorMm), qRound(mm.height() * pxPorMm), QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setDotsPerMeterX(qRound(ppp / 0.0254));
    img.setDotsPerMeterY(qRound(ppp / 0.0254));
    QPainter p(&img);
    Pintor(doc).pinta(p, pagina, pxPorMm);
    p.end();
    return img;
}

void exportaPdf(const Documento& doc, const QString& ruta) {
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly))
        throw ErrorReporte(QStringLiteral("No se pudo crear el archivo PDF «%1»: %2.")
                               .arg(ruta, archivo.errorString()));
    {
        QPdfWriter w(&archivo);
        w.setPageLayout(disposicionDePagina(doc));
        w.setResolution(1200);
        w.setCreator(QStringLiteral("Quilmaro"));
        w.setTitle(doc.nombre);
        QPainter p;
        if (!p.begin(&w))
            throw ErrorReporte(
                QStringLiteral("No se pudo escribir el archivo PDF «%1».").arg(ruta));
        const Pintor pintor(doc);
        const double pxPorMm = w.resolution() / 25.4;
        for (int i = 0; i < doc.cuentaPaginas(); ++i) {
            if (i > 0)
                w.newPage();
            pintor.pinta(p, i, pxPorMm);
        }
        p.end();
    }
    if (!archivo.commit())
        throw ErrorReporte(QStringLiteral("No se pudo guardar el archivo PDF «%1»: %2.")
                               .arg(ruta, archivo.errorString()));
}

}  // namespace quilmaro::reporte
