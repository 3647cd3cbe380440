#pragma once
// Fonts and text measurement of a report. Fonts are sized in hundredths of a millimetre, never in
// device pixels or points of a screen, and hinting is off: a text breaks into the same lines and
// lands in the same place on the screen, on paper and in PDF, at any resolution.

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>
#include <vector>

#include "reportengine/Diseno.h"

namespace quilmaro::reporte {

// Painting units per millimetre.
inline constexpr double kUnidadesPorMm = 100.0;

class Tipografia {
  public:
    explicit Tipografia(const std::vector<EstiloTexto>& estilos);

    const QFont& fuente(int estilo) const { return fuentes_[static_cast<size_t>(estilo)]; }
    const QFontMetricsF& metricas(int estilo) const {
        return metricas_[static_cast<size_t>(estilo)];
    }
    // Distance between the baselines of two lines, in mm.
    double interlineado(int estilo) const;
    // Width of one line of text, in mm.
    double ancho(const QString& linea, int estilo) const;

    // Lays a text out for a box anchoMm wide: one line per '\n' in the result. With ajusta the
    // text wraps between words (inside a word only when the word alone is wider than the box)
    // and keeps its own line breaks; without it, it stays on one line. A line wider than the box
    // and lines beyond maxLineas (when above 0) are cut, and the cut shows as "…".
    QString dispone(const QString& texto, int estilo, double anchoMm, bool ajusta, int maxLineas,
                    int* lineas = nullptr) const;

    // The first maxLineas lines of a laid-out text, the last one ending in "…" when some were
    // dropped.
    QString recorta(const QString& dispuesto, int estilo, double anchoMm, int maxLineas) const;

  private:
    bool cabeEnUnaLinea(const QString& texto, int estilo, double anchoUnidades) const;
    QString conPuntos(const QString& linea, int estilo, double anchoUnidades) const;
    // Width in painting units of a text in a style, measured once: a report writes the same
    // names and dates again and again, and measuring goes through the font database each time.
    double anchoUnidades(const QString& texto, int estilo) const;
    std::vector<QFont> fuentes_;
    std::vector<QFontMetricsF> metricas_;
    std::vector<double> interlineados_;
    mutable std::vector<QHash<QString, double>> anchos_;
};

}  // namespace quilmaro::reporte
