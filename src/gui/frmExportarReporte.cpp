#include "gui/frmExportarReporte.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

#include "core/Globales.h"
#include "core/libTESK.h"
#include "gui/FiltroTeclado.h"
#include "platform/Plataforma.h"

namespace quilmaro {

namespace {

const QChar kSeparador = QDir::separator();

QString carpetaDelPrograma() {
    QString c = stRutaPrograma.isEmpty() ? QDir::currentPath() + kSeparador : stRutaPrograma;
    if (c.size() > 1 && c.endsWith(kSeparador))
        c.chop(1);
    return c;
}

// The type list: the entries keep their whole text (the caller reads the code at their end), the
// box and its popup show the descriptions alone.
class ListaTipos final : public QComboBox {
  public:
    explicit ListaTipos(QWidget* padre) : QComboBox(padre) {
        setItemDelegate(new Descripciones(this));
    }

  protected:
    void initStyleOption(QStyleOptionComboBox* opcion) const override {
        QComboBox::initStyleOption(opcion);
        opcion->currentText = frmExportarReporte::descripcionTipo(opcion->currentText);
    }

  private:
    class Descripciones final : public QStyledItemDelegate {
      public:
        using QStyledItemDelegate::QStyledItemDelegate;
        QString displayText(const QVariant& valor, const QLocale& regional) const override {
            return frmExportarReporte::descripcionTipo(
                QStyledItemDelegate::displayText(valor, regional));
        }
    };
};

}  // namespace

QString frmExportarReporte::descripcionTipo(const QString& entrada) {
    return entrada.left(std::max<qsizetype>(entrada.size() - 2, 0)).trimmed();
}

QStringList frmExportarReporte::entradasTipo() {
    const QString blancos(30, QLatin1Char(' '));
    return {
        QStringLiteral("Archivo de texto (*.txt)            ") + blancos + QStringLiteral(" 2"),
        QStringLiteral("Formato de texto enriquecido (*.rtf)") + blancos + QStringLiteral("15"),
        QStringLiteral("Excel 5.0 (*.xls)                   ") + blancos + QStringLiteral("19"),
        QStringLiteral("Word para Windows (*.doc)           ") + blancos + QStringLiteral("17"),
    };
}

frmExportarReporte::frmExportarReporte(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmExportarReporte"));
    setWindowTitle(QStringLiteral("Imprimir reporte en archivo"));
    setModal(true);
    QFont letra = font();
    letra.setPointSizeF(8);
    setFont(letra);
    creaControles();
    fijaEstadoInicial();
    conectaControles();
}

void frmExportarReporte::creaControles() {
    Label1 = new QLabel(QStringLiteral("Formato o tipo de archivo:"), this);
    cmbTipo = new ListaTipos(this);
    cmdRuta = new QPushButton(QStringLiteral("&Examinar"), this);
    Label3 = new QLabel(QStringLiteral("Ruta en donde se guardará el archivo:"), this);
    lblRuta = new QLabel(this);
    lblRuta->setAutoFillBackground(true);
    QPalette blanco = lblRuta->palette();
    blanco.setColor(QPalette::Window, Qt::white);
    lblRuta->setPalette(blanco);
    lblRuta->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label2 = new QLabel(QStringLiteral("Nombre del archivo"), this);
    txtArchivo = new QLineEdit(this);
    lblNumTipo = new QLabel(QStringLiteral("Tipo de archivo"), this);
    cmdAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    Command1 = new QPushButton(QStringLiteral("&Cancelar"), this);
    chkSoloTexto = new QCheckBox(QStringLiteral("Solo texto"), this);

    const struct {
        QWidget* w;
        int x, y, ancho, alto;
        const char* nombre;
    } lugares[] = {
        {Label1, 240, 360, 1845, 195, "Label1"},
        {cmbTipo, 2280, 360, 2895, 315, "cmbTipo"},
        {cmdRuta, 3960, 960, 1215, 375, "cmdRuta"},
        {Label3, 240, 1080, 2730, 195, "Label3"},
        {lblRuta, 240, 1440, 4935, 285, "lblRuta"},
        {Label2, 240, 2160, 1380, 195, "Label2"},
        {txtArchivo, 2280, 2160, 2895, 285, "txtArchivo"},
        {lblNumTipo, 240, 2760, 1110, 195, "lblNumTipo"},
        {cmdAceptar, 2040, 3000, 1215, 375, "cmdAceptar"},
        {Command1, 3960, 3000, 1215, 375, "Command1"},
        {chkSoloTexto, 240, 3120, 1215, 195, "chkSoloTexto"},
    };
    for (const auto& l : lugares) {
        l.w->setObjectName(QString::fromLatin1(l.nombre));
        l.w->setGeometry(twips(l.x, false), twips(l.y, true), twips(l.ancho, false),
                         twips(l.alto, true));
    }
    setFixedSize(twips(kAnchoTwips, false), twips(kAltoTwips, true));
}

void frmExportarReporte::fijaEstadoInicial() {
    // Set by the caller, not by the user.
    lblNumTipo->setVisible(false);
    chkSoloTexto->setVisible(false);
    Form_Load();
    ajustaAnchos();
}

void frmExportarReporte::conectaControles() {
    for (QLabel* l : {Label1, Label3, lblRuta, Label2, lblNumTipo})
        l->setFocusPolicy(Qt::NoFocus);
    chkSoloTexto->setFocusPolicy(Qt::NoFocus);
    setTabOrder(cmbTipo, cmdRuta);
    setTabOrder(cmdRuta, txtArchivo);
    setTabOrder(txtArchivo, cmdAceptar);
    setTabOrder(cmdAceptar, Command1);
    for (QPushButton* b : {cmdRuta, cmdAceptar, Command1}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        enterPulsaBoton(b);
    }

    FiltroTeclado::instala(cmbTipo, {QStringLiteral("!"), false, false});
    FiltroTeclado::instala(txtArchivo, {QStringLiteral("X"), false, false});

    connect(cmdAceptar, &QPushButton::clicked, this, [this] { cmdAceptar_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(cmdRuta, &QPushButton::clicked, this, [this] { cmdRuta_Click(); });
}

void frmExportarReporte::ajustaAnchos() {
    // The fields start past the longest caption on their left; they end where the longest
    // description fits, and the path's caption must end before Examinar. Everything at the right
    // follows that edge, and the dialog grows by as much.
    const int hueco = twips(120, false);
    auto pide = [](const QWidget* w) { return w->sizeHint().width(); };
    const int inicio = std::max(
        cmbTipo->x(), std::max(Label1->x() + pide(Label1), Label2->x() + pide(Label2)) + hueco);
    int textoMasLargo = 0;
    for (const QString& e : entradasTipo())
        textoMasLargo =
            std::max(textoMasLargo, cmbTipo->fontMetrics().horizontalAdvance(descripcionTipo(e)));
    QStyleOptionComboBox opcion;
    opcion.initFrom(cmbTipo);
    const int anchoLista =
        cmbTipo->style()
            ->sizeFromContents(QStyle::CT_ComboBox, &opcion,
                               QSize(textoMasLargo, cmbTipo->fontMetrics().height()), cmbTipo)
            .width();
    const int derechoAntes = cmbTipo->x() + cmbTipo->width();
    const int derecho = std::max(
        {derechoAntes, inicio + anchoLista, Label3->x() + pide(Label3) + hueco + cmdRuta->width()});
    const int extra = derecho - derechoAntes;
    for (QWidget* campo : {static_cast<QWidget*>(cmbTipo), static_cast<QWidget*>(txtArchivo)})
        campo->setGeometry(inicio, campo->y(), derecho - inicio, campo->height());
    for (QWidget* w : {static_cast<QWidget*>(cmdRuta), static_cast<QWidget*>(cmdAceptar),
                       static_cast<QWidget*>(Command1)})
        w->move(w->x() + extra, w->y());
    lblRuta->resize(lblRuta->width() + extra, lblRuta->height());
    for (QLabel* l : {Label1, Label2, Label3})
        l->resize(std::max(l->width(), pide(l)), l->height());
    setFixedSize(width() + extra, height());
}

int frmExportarReporte::twips(int t, bool vertical) const {
    const int dpi = vertical ? logicalDpiY() : logicalDpiX();
    return static_cast<int>(std::lround(t * dpi / 1440.0));
}

void frmExportarReporte::Form_Load() {
    cmbTipo->clear();
    cmbTipo->addItems(entradasTipo());
    cmbTipo->setCurrentIndex(0);
    lblRuta->setText(carpetaDelPrograma());
}

void frmExportarReporte::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Once per showing: a proposed path is taken apart only once.
    Form_Activate();
}

void frmExportarReporte::Form_Activate() {
    if (chkSoloTexto->isChecked())
        cmbTipo->setEnabled(false);
    QString texto = txtArchivo->text();
    if (texto.isEmpty())
        return;

    const QString extension = texto.right(4).toLower();
    int indice = 0;
    if (extension == QLatin1String(".rtf"))
        indice = 1;
    else if (extension == QLatin1String(".xls"))
        indice = 2;
    else if (extension == QLatin1String(".doc"))
        indice = 3;
    cmbTipo->setCurrentIndex(indice);

    const qsizetype p = texto.toLower().indexOf(extension);
    if (p >= 0)
        texto = texto.left(p);

    // n: position (from 1) of the last separator, 0 when there is none.
    const qsizetype n = texto.lastIndexOf(kSeparador) + 1;
    if (n > 2) {
        lblRuta->setText(texto.left(n - 1));
    } else if (n == 1) {
        lblRuta->setText(QString(kSeparador));  // the root folder
    }
    if (n >= 1)
        texto = texto.mid(n);
    txtArchivo->setText(texto);
}

QString frmExportarReporte::ExtensionTipo() const {
    const QString entrada = cmbTipo->currentText();
    const qsizetype asterisco = entrada.indexOf(QLatin1Char('*'));
    return asterisco < 0 ? QString() : entrada.mid(asterisco + 1, 4);
}

void frmExportarReporte::cmdRuta_Click() {
    const QString carpeta = libTESK::instancia().Carpeta(this);
    if (!libTESK::instancia().AllTrim(carpeta).texto().isEmpty())
        lblRuta->setText(carpeta);
}

void frmExportarReporte::cmdAceptar_Click() {
    if (txtArchivo->text().isEmpty()) {
        plataforma().beep();
        txtArchivo->setFocus();
        return;
    }
    QString ruta = lblRuta->text();
    if (!ruta.endsWith(kSeparador))
        ruta += kSeparador;
    ruta += txtArchivo->text() + ExtensionTipo();
    lblNumTipo->setText(cmbTipo->currentText().right(2));
    hide();
    txtArchivo->setText(ruta);
    setResult(QDialog::Accepted);
    done(QDialog::Accepted);
}

void frmExportarReporte::reject() {
    Command1_Click();
}

void frmExportarReporte::Command1_Click() {
    txtArchivo->clear();
    lblNumTipo->clear();
    done(QDialog::Rejected);
}

}  // namespace quilmaro
