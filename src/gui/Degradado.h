#pragma once
// The blue gradient that Fade paints on a window: bands of growing blue from the dark edges
// toward the top-left corner.

#include <QImage>
#include <cstdint>
#include <optional>

namespace quilmaro::degradado {

struct Bandas {
    int profundidad = 0;  // colour depth in bits per pixel
    int bandas = 0;
};

// Bands for a colour depth: 64 for 4 and 8 bits, 32 for 15, 256 for 16, 24 and 32. Any other
// depth counts as 4 bits (64 bands).
Bandas paraProfundidad(int profundidad);

// The gradient of `estilo` over the whole image: 0 dark toward the bottom and right edges, 1
// toward the bottom, any other value toward the right. Whatever the bands leave is pure blue.
void dibuja(QImage& imagen, std::int16_t estilo, int bandas);

// The bands chosen on the program's first Fade; nothing before it.
std::optional<Bandas> cache();

}  // namespace quilmaro::degradado
