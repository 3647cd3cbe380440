// Printer names of the systems' port rule, shared by every system's port code.

#include "platform/Sistema.h"

namespace quilmaro {

int puerto::numeroDeImpresora(const QString& nombre) {
    // Only blanks are trimmed: a tab or line break inside the name makes it another device.
    qsizetype i = 0;
    qsizetype f = nombre.size();
    while (i < f && nombre.at(i) == QLatin1Char(' '))
        ++i;
    while (f > i && nombre.at(f - 1) == QLatin1Char(' '))
        --f;
    const QString n = nombre.mid(i, f - i).toUpper();
    if (n == QLatin1String("PRN"))
        return 1;
    if (n.size() == 4 && n.startsWith(QLatin1String("LPT")) && n.at(3) >= QLatin1Char('1') &&
        n.at(3) <= QLatin1Char('9'))
        return n.at(3).unicode() - '0';
    return 0;
}

}  // namespace quilmaro
