#include "reportengine/Diseno.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <cmath>
#include <utility>

namespace quilmaro::reporte {

namespace {

constexpr double kHolgura = 0.01;  // mm of rounding allowed at band and page edges
// The largest paper side, in mm (past the biggest sheets, B0 is 1414): pages are painted on
// images and windows whose sizes in pixels must stay within an int.
constexpr double kMaxPapel = 2000;

// Qt's XML messages, worded in Spanish for the person who edits the layout.
QString mensajeXml(const QString& ingles) {
    struct Par {
        const char* en;
        const char* es;
    };
    static const Par fijos[] = {
        {"Opening and ending tag mismatch.",
         "la etiqueta de cierre no corresponde a la etiqueta abierta"},
        {"Premature end of document.", "el archivo termina antes de cerrar todas las etiquetas"},
        {"Extra content at end of document.", "hay contenido después del cierre de <reporte>"},
        {"Invalid XML character.", "hay un carácter que XML no admite"},
        {"Encountered incorrectly encoded content.", "el archivo no está escrito en UTF-8"},
        {"Invalid document.", "el documento XML no es válido"},
        {"Invalid character reference.", "una referencia de carácter (&#...;) no es válida"},
        {"Start tag expected.", "se esperaba una etiqueta de apertura"},
    };
    for (const Par& p : fijos) {
        if (ingles == QLatin1String(p.en))
            return QString::fromUtf8(p.es);
    }
    static const QRegularExpression entidad(QStringLiteral("^Entity '(.*)' not declared\\.$"));
    if (auto m = entidad.match(ingles); m.hasMatch())
        return QStringLiteral("la entidad «&%1;» no existe (el signo & se escribe &amp;)")
            .arg(m.captured(1));
    static const QRegularExpression repetido(QStringLiteral("^Attribute '(.*)' redefined\\.$"));
    if (auto m = repetido.match(ingles); m.hasMatch())
        return QStringLiteral("el atributo «%1» está repetido").arg(m.captured(1));
    static const QRegularExpression esperado(
        QStringLiteral("^Expected '(.*)', but got '(.*)'\\.$"));
    if (auto m = esperado.match(ingles); m.hasMatch())
        return QStringLiteral("se esperaba «%1» y se encontró «%2»")
            .arg(m.captured(1), m.captured(2));
    static const QRegularExpression inesperado(
        QStringLiteral("^Unexpected '(.*)'; expected '(.*)'\\.$"));
    if (auto m = inesperado.match(ingles); m.hasMatch())
        return QStringLiteral("no se esperaba «%1»; se esperaba «%2»")
            .arg(m.captured(1), m.captured(2));
    static const QRegularExpression inesperado2(QStringLiteral("^Unexpected '(.*)'\\.$"));
    if (auto m = inesperado2.match(ingles); m.hasMatch())
        return QStringLiteral("no se esperaba «%1»").arg(m.captured(1));
    return QStringLiteral("el XML está mal formado (%1)").arg(ingles);
}

class Lector {
  public:
    Lector(const QByteArray& xml, const QString& ruta) : xml_(xml), ruta_(ruta) {
        d_ = std::make_unique<Diseno>();
        d_->ruta = ruta;
        d_->nombre = QFileInfo(ruta).completeBaseName();
    }

    std::unique_ptr<Diseno> lee() {
        if (xml_.trimmed().isEmpty())
            falla(QStringLiteral("el archivo está vacío"), false);
        texto_ = QString::fromUtf8(xml_);
        x_.addData(xml_);
        bool raiz = false;
        while (!x_.atEnd()) {
            const auto t = x_.readNext();
            if (t == QXmlStreamReader::StartElement) {
                if (raiz)
                    falla(QStringLiteral("solo puede haber un elemento <reporte>"));
                if (x_.name() != QLatin1String("reporte"))
                    falla(QStringLiteral("el elemento principal debe ser <reporte>, no <%1>")
                              .arg(x_.name()));
                raiz = true;
                leeReporte();
            }
        }
        if (x_.hasError())
            fallaXml();
        if (!raiz)
            falla(QStringLiteral("el archivo no tiene un elemento <reporte>"), false);
        valida();
        return std::move(d_);
    }

  private:
    // Where the reader is: for an element, where its start tag begins (Qt gives the end).
    Ubicacion aqui() const {
        if (x_.tokenType() == QXmlStreamReader::StartElement) {
            const qsizetype fin = std::min<qsizetype>(x_.characterOffset(), texto_.size());
            const qsizetype inicio = fin > 0 ? texto_.lastIndexOf(QLatin1Char('<'), fin - 1) : -1;
            if (inicio >= 0) {
                cuentaLineasHasta(inicio);
                return Ubicacion{ruta_, lineas_, inicio - ultimoSalto_};
            }
        }
        return Ubicacion{ruta_, x_.lineNumber(), x_.columnNumber()};
    }

    // Lines are counted on from the last position asked for: elements are met in the file's
    // order, so a layout of thousands of elements is walked once, not once per element.
    void cuentaLineasHasta(qsizetype posicion) const {
        if (posicion < contado_) {
            contado_ = 0;
            lineas_ = 1;
            ultimoSalto_ = -1;
        }
        const QChar* c = texto_.constData();
        for (; contado_ < posicion; ++contado_) {
            if (c[contado_] == QLatin1Char('\n')) {
                ++lineas_;
                ultimoSalto_ = contado_;
            }
        }
    }

    [[noreturn]] void falla(const QString& que, bool conPosicion = true) const {
        Ubicacion u = conPosicion ? aqui() : Ubicacion{ruta_, 0, 0};
        throw ErrorReporte(QStringLiteral("Error en %1: %2.").arg(u.texto(), que));
    }
    [[noreturn]] static void fallaEn(const Ubicacion& u, const QString& que) {
        throw ErrorReporte(QStringLiteral("Error en %1: %2.").arg(u.texto(), que));
    }
    [[noreturn]] void fallaXml() const { falla(mensajeXml(x_.errorString())); }

    // Attributes of the current element, checked against the ones it may carry.
    class Atributos {
      public:
        Atributos(const Lector& l, std::initializer_list<const char*> permitidos) : l_(l) {
            attrs_ = l.x_.attributes();
            for (const QXmlStreamAttribute& a : attrs_) {
                bool ok = false;
                for (const char* p : permitidos)
                    ok = ok || a.name() == QLatin1String(p);
                if (!ok) {
                    QStringList lista;
                    for (const char* p : permitidos)
                        lista << QString::fromUtf8(p);
                    l.falla(QStringLiteral("<%1> no admite el atributo «%2» (admite: %3)")
                                .arg(l.x_.name(), a.name(), lista.join(QStringLiteral(", "))));
                }
            }
        }
        bool tiene(const char* n) const { return attrs_.hasAttribute(QLatin1String(n)); }
        QString texto(const char* n, const QString& porOmision = QString()) const {
            return tiene(n) ? attrs_.value(QLatin1String(n)).toString() : porOmision;
        }
        QString requerido(const char* n) const {
            if (!tiene(n))
                l_.falla(QStringLiteral("a <%1> le falta el atributo «%2»")
                             .arg(l_.x_.name(), QLatin1String(n)));
            return texto(n);
        }
        double numero(const char* n, double porOmision, bool obligatorio = false) const {
            if (!tiene(n)) {
                if (obligatorio)
                    requerido(n);
                return porOmision;
            }
            const QString t = texto(n).trimmed();
            bool ok = false;
            const double v = QLocale::c().toDouble(t, &ok);
            if (!ok || !std::isfinite(v))
                l_.falla(QStringLiteral("el atributo «%1» debe ser un número (en milímetros, con "
                                        "punto decimal), no «%2»")
                             .arg(QLatin1String(n), t));
            return v;
        }
        double medida(const char* n, double porOmision, bool obligatorio = false) const {
            const double v = numero(n, porOmision, obligatorio);
            if (v < 0)
                l_.falla(
                    QStringLiteral("el atributo «%1» no puede ser negativo").arg(QLatin1String(n)));
            return v;
        }
        bool siNo(const char* n, bool porOmision) const {
            if (!tiene(n))
                return porOmision;
            const QString t = texto(n).trimmed().toLower();
            if (t == QLatin1String("si") || t == QStringLiteral("sí"))
                return true;
            if (t == QLatin1String("no"))
                return false;
            l_.falla(QStringLiteral("el atributo «%1» debe ser «si» o «no», no «%2»")
                         .arg(QLatin1String(n), texto(n)));
        }
        QRgb color(const char* n, QRgb porOmision) const {
            if (!tiene(n))
                return porOmision;
            const QString t = texto(n).trimmed();
            const QColor c = QColor::fromString(t);
            if (!c.isValid())
                l_.falla(QStringLiteral("el color «%1» no se entiende (use #rrggbb o un nombre "
                                        "como black)")
                             .arg(t));
            return c.rgba();
        }
        // One of several words; returns its position in the list.
        int opcion(const char* n, std::initializer_list<const char*> opciones,
                   int porOmision) const {
            if (!tiene(n))
                return porOmision;
            const QString t = texto(n).trimmed().toLower();
            int i = 0;
            QStringList lista;
            for (const char* o : opciones) {
                if (t == QString::fromUtf8(o))
                    return i;
                lista << QString::fromUtf8(o);
                ++i;
            }
            l_.falla(QStringLiteral("el atributo «%1» no admite «%2» (admite: %3)")
                         .arg(QLatin1String(n), texto(n), lista.join(QStringLiteral(", "))));
        }

      private:
        const Lector& l_;
        QXmlStreamAttributes attrs_;
    };

    // Skips to the end of the current element, which must hold nothing but blanks.
    void vacio() {
        while (!x_.atEnd()) {
            const auto t = x_.readNext();
            if (t == QXmlStreamReader::EndElement)
                return;
            if (t == QXmlStreamReader::StartElement)
                falla(QStringLiteral("<%1> no puede ir aquí").arg(x_.name()));
            if (t == QXmlStreamReader::Characters && !x_.isWhitespace())
                falla(QStringLiteral("texto fuera de lugar: «%1»").arg(x_.text().trimmed()));
        }
        if (x_.hasError())
            fallaXml();
    }

    // The text of the current element (which holds no elements).
    QString textoElemento() {
        QString s;
        while (!x_.atEnd()) {
            const auto t = x_.readNext();
            if (t == QXmlStreamReader::EndElement)
                break;
            if (t == QXmlStreamReader::StartElement)
                falla(QStringLiteral("<%1> no puede ir dentro de un texto").arg(x_.name()));
            if (t == QXmlStreamReader::Characters || t == QXmlStreamReader::EntityReference)
                s += x_.text();
        }
        if (x_.hasError())
            fallaXml();
        // Each line trimmed, so that indentation in the file does not reach the page.
        QStringList lineas = s.split(QLatin1Char('\n'));
        for (QString& l : lineas)
            l = l.trimmed();
        while (!lineas.isEmpty() && lineas.front().isEmpty())
            lineas.pop_front();
        while (!lineas.isEmpty() && lineas.back().isEmpty())
            lineas.pop_back();
        return lineas.join(QLatin1Char('\n'));
    }

    void leeReporte() {
        Atributos a(*this, {"nombre", "papel", "ancho", "alto", "orientacion", "margen-superior",
                            "margen-inferior", "margen-izquierdo", "margen-derecho"});
        if (a.tiene("nombre"))
            d_->nombre = a.texto("nombre").trimmed();
        const int papel = a.opcion("papel", {"carta", "oficio", "a4"}, 0);
        static const QSizeF papeles[] = {{215.9, 279.4}, {215.9, 340.0}, {210.0, 297.0}};
        d_->papel = papeles[papel];
        if (a.tiene("ancho") || a.tiene("alto")) {
            if (a.tiene("papel"))
                falla(QStringLiteral("use «papel» o bien «ancho» y «alto», no ambos"));
            d_->papel = QSizeF(a.medida("ancho", 0, true), a.medida("alto", 0, true));
            if (d_->papel.width() < 20 || d_->papel.height() < 20)
                falla(QStringLiteral("el papel debe medir al menos 20 mm por lado"));
            if (d_->papel.width() > kMaxPapel || d_->papel.height() > kMaxPapel)
                falla(
                    QStringLiteral("el papel puede medir a lo más %1 mm por lado").arg(kMaxPapel));
        }
        d_->horizontal = a.opcion("orientacion", {"vertical", "horizontal"}, 0) == 1;
        d_->margenes = QMarginsF(a.medida("margen-izquierdo", 10), a.medida("margen-superior", 10),
                                 a.medida("margen-derecho", 10), a.medida("margen-inferior", 10));
        if (d_->anchoUtil() < 10 || d_->altoUtil() < 10)
            falla(QStringLiteral("los márgenes no dejan espacio para imprimir"));

        while (!x_.atEnd()) {
            const auto t = x_.readNext();
            if (t == QXmlStreamReader::EndElement)
                break;
            if (t == QXmlStreamReader::Characters && !x_.isWhitespace())
                falla(QStringLiteral("texto fuera de lugar: «%1»").arg(x_.text().trimmed()));
            if (t != QXmlStreamReader::StartElement)
                continue;
            const auto n = x_.name();
            if (n == QLatin1String("letra")) {
                if (!d_->bandas.empty())
                    falla(QStringLiteral("<letra> debe ir antes de las bandas"));
                Atributos la(*this,
                             {"familia", "tamano", "negrita", "cursiva", "subrayado", "color"});
                base_ = estilo(la, base_);
                vacio();
            } else if (n == QLatin1String("fuente")) {
                leeFuente();
            } else if (n == QLatin1String("grupo")) {
                leeGrupo();
            } else if (auto tipo = tipoBanda(n)) {
                if (*tipo == TipoBanda::EncabezadoGrupo || *tipo == TipoBanda::PieGrupo)
                    falla(QStringLiteral("<%1> va dentro de un <grupo>").arg(n));
                leeBanda(*tipo, -1);
            } else {
                falla(QStringLiteral("elemento desconocido <%1>").arg(n));
            }
        }
        if (x_.hasError())
            fallaXml();
    }

    static std::optional<TipoBanda> tipoBanda(QStringView n) {
        static const std::pair<QLatin1String, TipoBanda> kBandas[] = {
            {QLatin1String("encabezado-reporte"), TipoBanda::EncabezadoReporte},
            {QLatin1String("encabezado-pagina"), TipoBanda::EncabezadoPagina},
            {QLatin1String("encabezado-columnas"), TipoBanda::EncabezadoColumnas},
            {QLatin1String("encabezado-grupo"), TipoBanda::EncabezadoGrupo},
            {QLatin1String("detalle"), TipoBanda::Detalle},
            {QLatin1String("pie-grupo"), TipoBanda::PieGrupo},
            {QLatin1String("pie-reporte"), TipoBanda::PieReporte},
            {QLatin1String("pie-pagina"), TipoBanda::PiePagina},
        };
        for (const auto& [nombre, tipo] : kBandas)
            if (n == nombre)
                return tipo;
        return std::nullopt;
    }

    static bool esIdentificador(const QString& s) {
        static const QRegularExpression re(QStringLiteral("^[\\w]+$"),
                                           QRegularExpression::UseUnicodePropertiesOption);
        return re.match(s).hasMatch();
    }

    void leeFuente() {
        Atributos a(*this, {"numero", "nombre", "tipo", "tabla", "detalle", "enlace", "con",
                            "orden", "opcionales"});
        DefFuente f;
        f.donde = aqui();
        const double n = a.numero("numero", 0, true);
        if (n < 0 || n > 99 || n != std::floor(n))
            falla(QStringLiteral("«numero» debe ser un entero de 0 a 99"));
        f.numero = static_cast<int>(n);
        f.nombre = a.requerido("nombre").trimmed();
        if (!esIdentificador(f.nombre))
            falla(QStringLiteral("el nombre de fuente «%1» solo puede llevar letras, dígitos y «_»")
                      .arg(f.nombre));
        for (const DefFuente& otra : d_->fuentes) {
            if (otra.numero == f.numero)
                falla(QStringLiteral("la fuente número %1 ya está declarada").arg(f.numero));
            if (otra.nombre.compare(f.nombre, Qt::CaseInsensitive) == 0)
                falla(QStringLiteral("ya hay una fuente llamada «%1»").arg(f.nombre));
        }
        f.local = a.opcion("tipo", {"local", "servidor"}, f.numero == 0 ? 0 : 1) == 0;
        f.tabla = a.texto("tabla").trimmed();
        if (f.local && f.tabla.isEmpty())
            falla(QStringLiteral("una fuente local necesita el atributo «tabla»"));
        if (!f.local && !f.tabla.isEmpty())
            falla(
                QStringLiteral("la tabla de una fuente del servidor la da el programa "
                               "(\"base.tabla\"); quite el atributo «tabla»"));
        f.detalle = a.siNo("detalle", false);
        if (f.detalle) {
            for (const DefFuente& otra : d_->fuentes) {
                if (otra.detalle)
                    falla(QStringLiteral("solo una fuente puede dar el detalle (ya lo da «%1»)")
                              .arg(otra.nombre));
            }
        }
        if (a.tiene("enlace") != a.tiene("con"))
            falla(QStringLiteral("para unir una fuente se necesitan «enlace» y «con»"));
        if (a.tiene("enlace"))
            leeEnlace(a, f);
        if (a.tiene("orden")) {
            if (!f.detalle)
                falla(QStringLiteral("«orden» solo se usa en la fuente del detalle"));
            for (const QString& c : a.texto("orden").split(QLatin1Char(','), Qt::SkipEmptyParts))
                f.orden << c.trimmed();
        }
        for (const QString& c : a.texto("opcionales").split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (!esIdentificador(c.trimmed()))
                falla(QStringLiteral("«opcionales» lleva nombres de columnas separados por comas, "
                                     "no «%1»")
                          .arg(c.trimmed()));
            f.opcionales << c.trimmed();
        }
        d_->fuentes.push_back(std::move(f));
        vacio();
    }

    // A joined source: its own key field and the field of an earlier source it matches.
    void leeEnlace(Atributos& a, DefFuente& f) {
        if (f.detalle)
            falla(QStringLiteral("la fuente del detalle no se une a otra"));
        f.campoEnlace = a.texto("enlace").trimmed();
        const QString con = a.texto("con").trimmed();
        const qsizetype punto = con.indexOf(QLatin1Char('.'));
        if (punto <= 0 || punto == con.size() - 1)
            falla(QStringLiteral("«con» se escribe fuente.campo, como «facturas.Cliente», no «%1»")
                      .arg(con));
        f.fuentePadre = con.left(punto);
        f.campoPadre = con.mid(punto + 1);
        const DefFuente* padre = nullptr;
        for (const DefFuente& otra : d_->fuentes) {
            if (otra.nombre.compare(f.fuentePadre, Qt::CaseInsensitive) == 0)
                padre = &otra;
        }
        if (!padre)
            falla(QStringLiteral("«con» nombra la fuente «%1», que no está declarada antes")
                      .arg(f.fuentePadre));
        if (!padre->detalle && padre->campoEnlace.isEmpty())
            falla(QStringLiteral("solo se puede unir con la fuente del detalle o con otra "
                                 "fuente unida a ella; «%1» no lo es")
                      .arg(padre->nombre));
    }

    void leeGrupo() {
        Atributos a(*this, {"expresion"});
        Grupo g;
        g.donde = aqui();
        g.expresion = Expresion::analiza(a.requerido("expresion"), g.donde);
        const size_t posicion = d_->grupos.size();
        const int nivel = static_cast<int>(posicion);
        d_->grupos.push_back(std::move(g));
        while (!x_.atEnd()) {
            const auto t = x_.readNext();
            if (t == QXmlStreamReader::EndElement)
                break;
            if (t == QXmlStreamReader::Characters && !x_.isWhitespace())
                falla(QStringLiteral("texto fuera de lugar: «%1»").arg(x_.text().trimmed()));
            if (t != QXmlStreamReader::StartElement)
                continue;
            const auto tipo = tipoBanda(x_.name());
            if (tipo != TipoBanda::EncabezadoGrupo && tipo != TipoBanda::PieGrupo)
                falla(QStringLiteral("dentro de <grupo> solo van <encabezado-grupo> y <pie-grupo>, "
                                     "no <%1>")
                          .arg(x_.name()));
            const int indice = leeBanda(*tipo, nivel);
            auto& grupo = d_->grupos[posicion];
            auto& lista = *tipo == TipoBanda::EncabezadoGrupo ? grupo.encabezados : grupo.pies;
            lista.push_back(indice);
        }
        if (x_.hasError())
            fallaXml();
    }

    int leeBanda(TipoBanda tipo, int grupo) {
        const bool conPaginas = tipo == TipoBanda::EncabezadoPagina ||
                                tipo == TipoBanda::EncabezadoColumnas ||
                                tipo == TipoBanda::PiePagina;
        Atributos a = conPaginas                      ? Atributos(*this, {"alto", "paginas"})
                      : tipo == TipoBanda::PieReporte ? Atributos(*this, {"alto", "por"})
                                                      : Atributos(*this, {"alto"});
        Banda b;
        b.tipo = tipo;
        b.grupo = grupo;
        b.donde = aqui();
        b.alto = a.medida("alto", 0, true);
        if (a.tiene("por"))
            b.por = Expresion::analiza(a.requerido("por"), b.donde);
        if (b.alto > d_->altoUtil() + kHolgura)
            falla(
                QStringLiteral("la banda mide %1 mm de alto y entre los márgenes solo caben %2 mm")
                    .arg(b.alto)
                    .arg(d_->altoUtil()));
        if (conPaginas) {
            b.paginas = static_cast<Paginas>(
                a.opcion("paginas", {"todas", "primera", "no-primera", "ultima", "no-ultima"}, 0));
            if (tipo != TipoBanda::PiePagina &&
                (b.paginas == Paginas::Ultima || b.paginas == Paginas::NoUltima))
                falla(
                    QStringLiteral("«ultima» y «no-ultima» solo se usan en <pie-pagina>: al "
                                   "empezar una página aún no se sabe si es la última"));
        }
        while (!x_.atEnd()) {
            const auto t = x_.readNext();
            if (t == QXmlStreamReader::EndElement)
                break;
            if (t == QXmlStreamReader::Characters && !x_.isWhitespace())
                falla(QStringLiteral("texto fuera de lugar: «%1»").arg(x_.text().trimmed()));
            if (t != QXmlStreamReader::StartElement)
                continue;
            b.elementos.push_back(leeElemento(b));
        }
        if (x_.hasError())
            fallaXml();
        d_->bandas.push_back(std::move(b));
        return static_cast<int>(d_->bandas.size()) - 1;
    }

    EstiloTexto estilo(const Atributos& a, EstiloTexto e) const {
        if (a.tiene("familia"))
            e.familia = a.texto("familia").trimmed();
        if (a.tiene("letra"))
            e.familia = a.texto("letra").trimmed();
        if (a.tiene("tamano")) {
            e.puntos = a.numero("tamano", 9);
            if (e.puntos < 2 || e.puntos > 200)
                falla(QStringLiteral("«tamano» va en puntos, de 2 a 200"));
        }
        e.negrita = a.siNo("negrita", e.negrita);
        e.cursiva = a.siNo("cursiva", e.cursiva);
        e.subrayado = a.siNo("subrayado", e.subrayado);
        e.color = a.color("color", e.color);
        return e;
    }

    int indiceEstilo(const EstiloTexto& e) {
        for (size_t i = 0; i < d_->estilos.size(); ++i) {
            if (d_->estilos[i] == e)
                return static_cast<int>(i);
        }
        d_->estilos.push_back(e);
        return static_cast<int>(d_->estilos.size()) - 1;
    }

    void dentroDeBanda(const Banda& b, const QRectF& r, const Ubicacion& donde) const {
        if (r.right() > d_->anchoUtil() + kHolgura)
            fallaEn(donde,
                    QStringLiteral("el elemento llega a %1 mm y entre los márgenes solo hay %2 mm")
                        .arg(r.right())
                        .arg(d_->anchoUtil()));
        if (r.bottom() > b.alto + kHolgura)
            fallaEn(donde,
                    QStringLiteral("el elemento baja hasta %1 mm y la banda mide %2 mm de alto")
                        .arg(r.bottom())
                        .arg(b.alto));
    }

    // A fixed text or a field (an expression), with its style and how it wraps and grows.
    void leeTexto(const Banda& b, Elemento& e, bool campo) {
        Atributos a =
            campo ? Atributos(*this, {"x", "y", "ancho", "alto", "letra", "tamano", "negrita",
                                      "cursiva", "subrayado", "color", "alineacion", "vertical",
                                      "ajusta", "crece", "formato"})
                  : Atributos(*this,
                              {"x", "y", "ancho", "alto", "letra", "tamano", "negrita", "cursiva",
                               "subrayado", "color", "alineacion", "vertical", "ajusta", "crece"});
        e.tipo = campo ? Elemento::Tipo::Campo : Elemento::Tipo::Texto;
        e.caja = QRectF(a.medida("x", 0), a.medida("y", 0), a.medida("ancho", 0, true),
                        a.medida("alto", 0, true));
        EstiloTexto est = estilo(a, base_);
        static const Qt::Alignment hs[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
        static const Qt::Alignment vs[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
        est.horizontal = hs[a.opcion("alineacion", {"izquierda", "centro", "derecha"}, 0)];
        est.vertical = vs[a.opcion("vertical", {"arriba", "centro", "abajo"}, 0)];
        e.estilo = indiceEstilo(est);
        e.crece = a.siNo("crece", false);
        e.ajusta = a.siNo("ajusta", e.crece);
        if (e.crece && b.tipo == TipoBanda::PiePagina)
            falla(
                QStringLiteral("un texto de <pie-pagina> no puede crecer: el pie tiene su "
                               "lugar fijo al final de la página"));
        e.formato = a.texto("formato");
        const QString contenido = textoElemento();
        if (campo) {
            if (contenido.isEmpty())
                fallaEn(e.donde, QStringLiteral("<campo> sin expresión"));
            e.expresion = Expresion::analiza(contenido, e.donde);
        } else {
            e.texto = contenido;
        }
        dentroDeBanda(b, e.caja, e.donde);
    }

    // A picture file, relative to the layout's folder unless its path is absolute.
    void leeImagen(const Banda& b, Elemento& e) {
        Atributos a(*this, {"x", "y", "ancho", "alto", "archivo"});
        e.tipo = Elemento::Tipo::Imagen;
        e.caja = QRectF(a.medida("x", 0), a.medida("y", 0), a.medida("ancho", 0, true),
                        a.medida("alto", 0, true));
        const QString archivo = a.requerido("archivo");
        const QString ruta = QFileInfo(archivo).isAbsolute()
                                 ? archivo
                                 : QFileInfo(ruta_).absoluteDir().filePath(archivo);
        QImage img(ruta);
        if (img.isNull())
            falla(QStringLiteral("no se pudo leer la imagen «%1»").arg(ruta));
        d_->imagenes.push_back(img);
        e.imagen = static_cast<int>(d_->imagenes.size()) - 1;
        dentroDeBanda(b, e.caja, e.donde);
        vacio();
    }

    Elemento leeElemento(const Banda& b) {
        Elemento e;
        e.donde = aqui();
        const auto n = x_.name();
        if (n == QLatin1String("texto") || n == QLatin1String("campo")) {
            leeTexto(b, e, n == QLatin1String("campo"));
            return e;
        }
        if (n == QLatin1String("linea")) {
            Atributos a(*this, {"x1", "y1", "x2", "y2", "grosor", "color", "estira"});
            e.tipo = Elemento::Tipo::Linea;
            e.p1 = QPointF(a.medida("x1", 0, true), a.medida("y1", 0, true));
            e.p2 = QPointF(a.medida("x2", 0, true), a.medida("y2", 0, true));
            e.grosor = a.medida("grosor", 0.2);
            e.color = a.color("color", e.color);
            e.estira = a.siNo("estira", false);
            e.caja = QRectF(e.p1, e.p2).normalized();
            dentroDeBanda(b, e.caja, e.donde);
            vacio();
            return e;
        }
        if (n == QLatin1String("rectangulo")) {
            Atributos a(*this, {"x", "y", "ancho", "alto", "grosor", "color", "relleno", "estira"});
            e.tipo = Elemento::Tipo::Rectangulo;
            e.caja = QRectF(a.medida("x", 0), a.medida("y", 0), a.medida("ancho", 0, true),
                            a.medida("alto", 0, true));
            e.grosor = a.medida("grosor", 0.2);
            e.color = a.color("color", e.color);
            e.relleno = a.color("relleno", 0);
            e.estira = a.siNo("estira", false);
            dentroDeBanda(b, e.caja, e.donde);
            vacio();
            return e;
        }
        if (n == QLatin1String("imagen")) {
            leeImagen(b, e);
            return e;
        }
        falla(QStringLiteral("elemento desconocido <%1> dentro de una banda (se admiten texto, "
                             "campo, linea, rectangulo, imagen)")
                  .arg(n));
    }

    // Checks that need the whole file.
    void valida() {
        // Page and column headers and page footers repeat on every page; what is left must hold
        // the tallest band that goes in the body, or no page could ever hold it.
        double cabecera = 0, pie = 0, pieUltima = 0;
        for (const Banda& b : d_->bandas) {
            if (b.tipo == TipoBanda::EncabezadoPagina || b.tipo == TipoBanda::EncabezadoColumnas) {
                if (b.paginas != Paginas::Primera)
                    cabecera += b.alto;
            } else if (b.tipo == TipoBanda::PiePagina) {
                if (b.paginas != Paginas::Ultima && b.paginas != Paginas::Primera)
                    pie += b.alto;
                if (b.paginas != Paginas::NoUltima && b.paginas != Paginas::Primera)
                    pieUltima += b.alto;
            }
        }
        const double cuerpo = d_->altoUtil() - cabecera - std::max(pie, pieUltima);
        if (cuerpo <= 0)
            fallaEn(Ubicacion{ruta_, 0, 0},
                    QStringLiteral("los encabezados y pies de página ocupan toda la página"));
        for (const Banda& b : d_->bandas) {
            const bool cuerpoBanda =
                b.tipo == TipoBanda::Detalle || b.tipo == TipoBanda::EncabezadoGrupo ||
                b.tipo == TipoBanda::PieGrupo || b.tipo == TipoBanda::PieReporte;
            if (cuerpoBanda && b.alto > cuerpo + kHolgura)
                fallaEn(b.donde, QStringLiteral("la banda mide %1 mm y entre encabezados y pies de "
                                                "página solo quedan %2 mm")
                                     .arg(b.alto)
                                     .arg(cuerpo));
        }
    }

    QByteArray xml_;
    QString texto_;  // the file as characters, for the positions of elements
    // Where the line count has got to: the position, its line and the last line break before it.
    mutable qsizetype contado_ = 0;
    mutable qsizetype lineas_ = 1;
    mutable qsizetype ultimoSalto_ = -1;
    QString ruta_;
    QXmlStreamReader x_;
    std::unique_ptr<Diseno> d_;
    EstiloTexto base_;
};

}  // namespace

void Diseno::enlaza(const ResolutorCampos& campos) {
    agregados.clear();
    const int interior = static_cast<int>(grupos.size()) - 1;
    for (size_t g = 0; g < grupos.size(); ++g)
        grupos[g].expresion->enlaza(campos, agregados, static_cast<int>(g));
    for (Banda& b : bandas) {
        const int nivel = b.grupo >= 0 ? b.grupo : interior;
        if (b.por) {
            b.por->enlaza(campos, agregados, -1);
            if (b.por->usaAgregados() || b.por->usaPaginas())
                throw b.por->error(QStringLiteral("«por» no puede llevar totales ni el número de "
                                                  "páginas («%1»)")
                                       .arg(b.por->texto()));
        }
        for (Elemento& e : b.elementos) {
            if (e.expresion)
                e.expresion->enlaza(campos, agregados, nivel);
        }
    }
}

std::unique_ptr<Diseno> leeDisenoDeTexto(const QByteArray& xml, const QString& ruta) {
    return Lector(xml, ruta).lee();
}

std::unique_ptr<Diseno> leeDiseno(const QString& ruta) {
    const QFileInfo info(ruta);
    if (ruta.isEmpty())
        throw ErrorReporte(QStringLiteral("No se indicó el archivo de diseño del reporte."));
    if (!info.exists())
        throw ErrorReporte(
            QStringLiteral("No se encontró el archivo de diseño del reporte «%1».").arg(ruta));
    QFile f(ruta);
    if (info.isDir() || !f.open(QIODevice::ReadOnly))
        throw ErrorReporte(
            QStringLiteral("No se pudo leer el archivo de diseño del reporte «%1»: %2.")
                .arg(ruta, info.isDir() ? QStringLiteral("es una carpeta") : f.errorString()));
    return leeDisenoDeTexto(f.readAll(), ruta);
}

}  // namespace quilmaro::reporte
