#pragma once
// The invoice-list window.

#include <QDialog>

namespace quilmaro {

inline const QString kTituloPrograma = QStringLiteral("Quilmaro");

class frmReporte : public QDialog {
    Q_OBJECT
  public:
    explicit frmReporte(QWidget* parent = nullptr);
};

}  // namespace quilmaro
