#include "reportengine/Tipografia.h"

#include <QTextLayout>
#include <cmath>

namespace quilmaro::reporte {

namespace {

const QChar kPuntos(0x2026);  // "…"

QFont fuenteDe(const EstiloTexto& e) {
    QFont f;
    // DejaVu Sans holds every Spanish letter; it stands in when the family asked for is missing.
    // Letters neither has come from the families after it, in this order on every machine, so
    // that the preview, the paper and the PDF show the same glyphs: Noto for most scripts, its
    // CJK family for Chinese, Japanese and Korean names, and Symbola for emoji (an outline font:
    // colour emoji fonts are bitmaps that a PDF cannot carry).
    f.setFamilies({e.familia, QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"),
                   QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Symbola")});
    f.setPixelSize(
        std::max(1, static_cast<int>(std::lround(e.puntos * 25.4 / 72.0 * kUnidadesPorMm))));
    f.setBold(e.negrita);
    f.setItalic(e.cursiva);
    f.setUnderline(e.subrayado);
    f.setHintingPreference(QFont::PreferNoHinting);
    // No ligatures: "firma" stays five letters in a PDF's text, for searching and copying.
    f.setStyleStrategy(
        QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferQuality | QFont::PreferNoShaping));
    return f;
}

}  // namespace

Tipografia::Tipografia(const std::vector<EstiloTexto>& estilos) {
    fuentes_.reserve(estilos.size());
    metricas_.reserve(estilos.size());
    for (const EstiloTexto& e : estilos) {
        fuentes_.push_back(fuenteDe(e));
        metricas_.emplace_back(fuentes_.back());
        interlineados_.push_back(metricas_.back().lineSpacing());
    }
    anchos_.resize(estilos.size());
}

double Tipografia::interlineado(int estilo) const {
    return interlineados_[static_cast<size_t>(estilo)] / kUnidadesPorMm;
}

double Tipografia::anchoUnidades(const QString& texto, int estilo) const {
    QHash<QString, double>& medidos = anchos_[static_cast<size_t>(estilo)];
    const auto it = medidos.constFind(texto);
    if (it != medidos.constEnd())
        return *it;
    const double a = metricas(estilo).horizontalAdvance(texto);
    medidos.insert(texto, a);
    return a;
}

double Tipografia::ancho(const QString& linea, int estilo) const {
    return anchoUnidades(linea, estilo) / kUnidadesPorMm;
}

QString Tipografia::conPuntos(const QString& linea, int estilo, double anchoUnidades) const {
    const QFontMetricsF& fm = metricas(estilo);
    QString s = linea;
    while (!s.isEmpty() && s.back().isSpace())
        s.chop(1);
    QString r = s + kPuntos;
    while (!s.isEmpty() && fm.horizontalAdvance(r) > anchoUnidades) {
        s.chop(1);
        r = s + kPuntos;
    }
    return r;
}

bool Tipografia::cabeEnUnaLinea(const QString& texto, int estilo, double anchoUnidades) const {
    // Most fields of a report fit their box: measured once, they need no line breaking. Texts
    // that the line breaker treats apart (breaks, tabs, soft hyphens, trailing blanks it drops)
    // and widths within a hair of the box go the whole way.
    if (texto.back().isSpace())
        return false;
    for (QChar c : texto) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0xad || u == 0x2028 || u == 0x2029)
            return false;
    }
    return this->anchoUnidades(texto, estilo) <= anchoUnidades - 1.0;
}

QString Tipografia::dispone(const QString& texto, int estilo, double anchoMm, bool ajusta,
                            int maxLineas, int* lineas) const {
    const QFontMetricsF& fm = metricas(estilo);
    const double ancho = anchoMm * kUnidadesPorMm;
    if (lineas)
        *lineas = texto.isEmpty() ? 0 : 1;
    if (texto.isEmpty())
        return texto;
    if (!ajusta) {
        QString una = texto;
        una.replace(QLatin1Char('\n'), QLatin1Char(' '));
        una.replace(QLatin1Char('\r'), QLatin1Char(' '));
        if (anchoUnidades(una, estilo) <= ancho)
            return una;
        return fm.elidedText(una, Qt::ElideRight, ancho);
    }
    if (cabeEnUnaLinea(texto, estilo, ancho))
        return texto;
    QString plano = texto;
    plano.remove(QLatin1Char('\r'));
    plano.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout tl(plano, fuente(estilo));
    QTextOption op;
    op.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    tl.setTextOption(op);
    QStringList partes;
    tl.beginLayout();
    for (;;) {
        QTextLine l = tl.createLine();
        if (!l.isValid())
            break;
        l.setLineWidth(ancho);
        QString s = plano.mid(l.textStart(), l.textLength());
        while (!s.isEmpty() && (s.back().isSpace() || s.back() == QChar::LineSeparator))
            s.chop(1);
        partes << s;
    }
    tl.endLayout();
    if (maxLineas > 0 && partes.size() > maxLineas) {
        partes.resize(maxLineas);
        partes.back() = conPuntos(partes.back(), estilo, ancho);
    }
    if (lineas)
        *lineas = static_cast<int>(partes.size());
    return partes.join(QLatin1Char('\n'));
}

QString Tipografia::recorta(const QString& dispuesto, int estilo, double anchoMm,
                            int maxLineas) const {
    QStringList partes = dispuesto.split(QLatin1Char('\n'));
    if (maxLineas < 1)
        maxLineas = 1;
    if (partes.size() <= maxLineas)
        return dispuesto;
    partes.resize(maxLineas);
    partes.back() = conPuntos(partes.back(), estilo, anchoMm * kUnidadesPorMm);
    return partes.join(QLatin1Char('\n'));
}

}  // namespace quilmaro::reporte
