#include "forms/main/frmReporte.h"

namespace quilmaro {

frmReporte::frmReporte(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kTituloPrograma);
    setObjectName(QStringLiteral("frmReporte"));
    resize(640, 480);
}

}  // namespace quilmaro
