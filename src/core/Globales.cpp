#include "core/Globales.h"

namespace quilmaro {

QString stServidor;
QString stBaseDeDatos;
QString stRutaPrograma;
QString stTablaTemporal;
int inEsperaServidor = kEsperaPredeterminada;

}  // namespace quilmaro
