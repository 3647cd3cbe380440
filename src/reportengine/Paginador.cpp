#include "reportengine/Paginador.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "core/ErrorTESK.h"
#include "platform/Plataforma.h"
#include "reportengine/ErrorReporte.h"
#include "reportengine/Formatos.h"
#include "reportengine/Tipografia.h"

namespace quilmaro::reporte {

namespace {

constexpr double kHolgura = 0.001;  // mm: two bands that touch do not overlap
constexpr int kFilasPorPaseDeEventos = 500;
constexpr qint64 kMsPorTramo = 8;

bool aplica(Paginas p, bool primera, bool ultima) {
    switch (p) {
        case Paginas::Todas:
            return true;
        case Paginas::Primera:
            return primera;
        case Paginas::NoPrimera:
            return !primera;
        case Paginas::Ultima:
            return ultima;
        case Paginas::NoUltima:
            return !ultima;
    }
    return true;
}

bool iguales(const Variante& a, const Variante& b) {
    if (a.esNumero() && b.esNumero())
        return a.aDoble() == b.aDoble();
    if (a.tipo() != b.tipo()) {
        const bool na = a.esNulo() || a.esVacio(), nb = b.esNulo() || b.esVacio();
        if (na || nb)
            return na && nb;
    }
    return a.aTexto() == b.aTexto();
}

// An item whose text needs the page count: evaluated once pagination knows it.
struct Diferido {
    size_t pagina = 0;
    size_t elemento = 0;
    const Elemento* origen = nullptr;
    int fila = -1;
    int numeroPagina = 0;
    std::vector<double> acumulados;
};

struct BandaEvaluada {
    int banda = -1;
    int fila = -1;
    double alto = 0;
    std::vector<ElementoPagina> elementos;               // relative to the band's top-left corner
    std::vector<std::pair<size_t, Diferido>> diferidos;  // element position -> pending text
};

class Paginador {
  public:
    Paginador(const Diseno& d, const Datos& datos, const QDate& hoy)
        : d_(d), datos_(datos), tipos_(d.estilos), hoy_(hoy) {
        doc_ = std::make_shared<Documento>();
        doc_->nombre = d.nombre;
        doc_->papel = d.papel;
        doc_->horizontal = d.horizontal;
        doc_->estilos = d.estilos;
        doc_->imagenes = d.imagenes;
        for (size_t i = 0; i < d.bandas.size(); ++i) {
            const int b = static_cast<int>(i);
            switch (d.bandas[i].tipo) {
                case TipoBanda::EncabezadoReporte:
                    encReporte_.push_back(b);
                    break;
                case TipoBanda::EncabezadoPagina:
                    encPagina_.push_back(b);
                    break;
                case TipoBanda::EncabezadoColumnas:
                    encColumnas_.push_back(b);
                    break;
                case TipoBanda::Detalle:
                    detalle_.push_back(b);
                    break;
                case TipoBanda::PieReporte:
                    pieReporte_.push_back(b);
                    break;
                case TipoBanda::PiePagina:
                    piePagina_.push_back(b);
                    break;
                default:
                    break;
            }
        }
        valores_.assign(d.agregados.size(), 0.0);
        corriente_.assign(d.agregados.size(), 0.0);
        // Static texts are laid out once.
        estaticos_.resize(d.bandas.size());
        for (size_t b = 0; b < d.bandas.size(); ++b) {
            const Banda& banda = d.bandas[b];
            estaticos_[b].resize(banda.elementos.size());
            for (size_t e = 0; e < banda.elementos.size(); ++e) {
                const Elemento& el = banda.elementos[e];
                if (el.tipo != Elemento::Tipo::Texto)
                    continue;
                int n = 0;
                estaticos_[b][e].texto = tipos_.dispone(el.texto, el.estilo, el.caja.width(),
                                                        el.ajusta, maxLineas(el), &n);
                estaticos_[b][e].lineas = n;
            }
        }
    }

    // Opens the first page. Throws ErrorReporte, as every step below.
    void comienza() { abrePagina(datos_.filas() > 0 ? 0 : -1); }

    // Lays out up to `cuantas` more rows; after the last one, the footers that close the report
    // and the texts that need the page count. True once the document is complete. With
    // pasesDeEventos the window is kept answering every few hundred rows.
    bool avanza(int cuantas, bool pasesDeEventos) {
        const int filas = datos_.filas();
        for (int n = 0; n < cuantas && fila_ < filas; ++n, ++fila_) {
            colocaSiguiente(fila_);
            if (pasesDeEventos && (fila_ + 1) % kFilasPorPaseDeEventos == 0)
                plataforma().procesaEventos();
        }
        if (fila_ == filas && !terminado_) {
            cierra();
            terminado_ = true;
        }
        return terminado_;
    }

    bool terminado() const { return terminado_; }
    // Pages no row will be added to: all but the one being filled.
    int paginasListas() const { return std::max(0, doc_->cuentaPaginas() - (terminado_ ? 0 : 1)); }
    const std::shared_ptr<Documento>& documento() const { return doc_; }

  private:
    // Row i with the footers of the groups it closes and the headers of those it opens.
    void colocaSiguiente(int i) {
        const int niveles = static_cast<int>(d_.grupos.size());
        valoresGrupo_.resize(static_cast<size_t>(niveles));
        // The outermost group whose value changes at this row.
        int cambio = niveles;
        for (int g = 0; g < niveles; ++g) {
            const Variante v = d_.grupos[static_cast<size_t>(g)].expresion->evalua(contexto(i));
            if (cambio == niveles && (i == 0 || !iguales(v, valoresGrupo_[static_cast<size_t>(g)])))
                cambio = g;
            valoresGrupo_[static_cast<size_t>(g)] = v;
        }
        if (i > 0) {
            for (int g = niveles - 1; g >= cambio; --g) {
                for (int b : d_.grupos[static_cast<size_t>(g)].pies)
                    colocaCuerpo(b, i - 1, i);
            }
        }
        reiniciaGrupos(cambio);
        colocaFila(i, cambio);
    }

    // The footers of the last groups and of the report, the last page's footer, and the texts
    // that need the page count.
    void cierra() {
        const int filas = datos_.filas();
        const int niveles = static_cast<int>(d_.grupos.size());
        if (filas > 0) {
            for (int g = niveles - 1; g >= 0; --g) {
                for (int b : d_.grupos[static_cast<size_t>(g)].pies)
                    colocaCuerpo(b, filas - 1, -1);
            }
        }
        const int ultimaFila = filas > 0 ? filas - 1 : -1;
        for (int b : pieReporte_) {
            if (d_.bandas[static_cast<size_t>(b)].por && filas > 0)
                colocaPorValor(b, filas);
            else
                colocaCuerpo(b, ultimaFila, -1);
        }
        cierraPagina(true, ultimaFila);
        resuelveDiferidos();
    }

    struct Estatico {
        QString texto;
        int lineas = 0;
    };

    Contexto contexto(int fila) const {
        Contexto c;
        c.datos = &datos_;
        c.fila = fila;
        c.pagina = static_cast<int>(doc_->paginas.size());
        c.acumulados = &valores_;
        c.hoy = hoy_;
        return c;
    }

    int maxLineas(const Elemento& e) const {
        if (e.crece)
            return 0;
        return std::max(1, static_cast<int>(
                               std::floor(e.caja.height() / tipos_.interlineado(e.estilo) + 0.01)));
    }

    // --- Totals -------------------------------------------------------------------------------

    double numeroDe(const Variante& v, const Agregado& a) const {
        if (v.esNumero())
            return v.aDoble();
        double d = 0;
        if (v.tipo() == Variante::Tipo::Texto && leeNumero(v.texto(), &d))
            return d;
        throw a.origen->error(QStringLiteral("no se puede sumar el valor «%1» en «%2»")
                                  .arg(v.aTexto(), a.origen->texto()));
    }

    void agregaFila(int fila, bool soloReporte = false) {
        const Contexto ctx = contexto(fila);
        for (size_t k = 0; k < d_.agregados.size(); ++k) {
            const Agregado& a = d_.agregados[k];
            if (soloReporte && a.ambito != Ambito::Reporte)
                continue;
            double incremento = 1;
            if (a.argumento) {
                const Variante v = Expresion::evaluaArgumento(a, ctx);
                if (v.esNulo() || v.esVacio())
                    continue;
                if (!a.cuenta)
                    incremento = numeroDe(v, a);
            }
            if (a.ambito == Ambito::Acarreo)
                corriente_[k] += incremento;
            else
                valores_[k] += incremento;
        }
    }

    void reiniciaGrupos(int desde) {
        for (size_t k = 0; k < d_.agregados.size(); ++k) {
            const Agregado& a = d_.agregados[k];
            if (a.ambito == Ambito::Grupo && a.nivel >= desde)
                valores_[k] = 0;
        }
    }

    void reiniciaPagina() {
        for (size_t k = 0; k < d_.agregados.size(); ++k) {
            const Agregado& a = d_.agregados[k];
            if (a.ambito == Ambito::Pagina)
                valores_[k] = 0;
            if (a.ambito == Ambito::Acarreo)
                valores_[k] = corriente_[k];
        }
    }

    // --- Bands --------------------------------------------------------------------------------

    BandaEvaluada evalua(int indice, int fila) const {
        const Banda& b = d_.bandas[static_cast<size_t>(indice)];
        const Contexto ctx = contexto(fila);
        BandaEvaluada ev;
        ev.banda = indice;
        ev.fila = fila;
        ev.alto = b.alto;
        const size_t n = b.elementos.size();
        ev.elementos.resize(n);
        std::vector<double> crece(n, 0.0);
        bool alguno = false;
        for (size_t j = 0; j < n; ++j) {
            const Elemento& e = b.elementos[j];
            ElementoPagina& p = ev.elementos[j];
            p.color = e.color;
            p.grosor = static_cast<float>(e.grosor);
            if (e.tipo == Elemento::Tipo::Texto || e.tipo == Elemento::Tipo::Campo) {
                crece[j] = evaluaTexto(indice, j, ctx, p, ev);
                alguno = alguno || crece[j] > 0;
            } else {
                disponeFigura(e, p);
            }
        }
        if (alguno)
            empujaCrecidos(b, crece, ev);
        return ev;
    }

    // Fills the text of item j of band indice (or leaves it pending until the page count is
    // known); returns how much taller than its box a growing text needs to be (0: none).
    double evaluaTexto(int indice, size_t j, const Contexto& ctx, ElementoPagina& p,
                       BandaEvaluada& ev) const {
        const Elemento& e = d_.bandas[static_cast<size_t>(indice)].elementos[j];
        p.tipo = ElementoPagina::Tipo::Texto;
        p.indice = e.estilo;
        p.caja = e.caja;
        int lineas = 0;
        if (e.tipo == Elemento::Tipo::Texto) {
            p.texto = estaticos_[static_cast<size_t>(indice)][j].texto;
            lineas = estaticos_[static_cast<size_t>(indice)][j].lineas;
        } else if (e.expresion->usaPaginas()) {
            Diferido df;
            df.origen = &e;
            df.fila = ev.fila;
            df.numeroPagina = ctx.pagina;
            if (e.expresion->usaAgregados())
                df.acumulados = valores_;
            ev.diferidos.emplace_back(j, std::move(df));
        } else {
            p.valor = e.expresion->evalua(ctx);
            p.formato = e.formato;
            p.expresion = e.expresion->texto();
            const QString s = formateaValor(p.valor, e.formato);
            p.texto = tipos_.dispone(s, e.estilo, e.caja.width(), e.ajusta, maxLineas(e), &lineas);
        }
        if (!e.crece)
            return 0;
        return std::max(0.0, lineas * tipos_.interlineado(e.estilo) - e.caja.height());
    }

    static void disponeFigura(const Elemento& e, ElementoPagina& p) {
        switch (e.tipo) {
            case Elemento::Tipo::Linea:
                p.tipo = ElementoPagina::Tipo::Linea;
                p.caja = QRectF(e.p1, e.p2);
                break;
            case Elemento::Tipo::Rectangulo:
                p.tipo = ElementoPagina::Tipo::Rectangulo;
                p.caja = e.caja;
                p.relleno = e.relleno;
                break;
            case Elemento::Tipo::Imagen:
                p.tipo = ElementoPagina::Tipo::Imagen;
                p.indice = e.imagen;
                p.caja = e.caja;
                break;
            case Elemento::Tipo::Texto:
            case Elemento::Tipo::Campo:
                break;
        }
    }

    // Items below a growing text move down with it; the band grows by the largest push, and
    // stretching boxes and upright lines reach its new bottom.
    static void empujaCrecidos(const Banda& b, const std::vector<double>& crece,
                               BandaEvaluada& ev) {
        const size_t n = b.elementos.size();
        std::vector<size_t> orden(n);
        std::iota(orden.begin(), orden.end(), size_t{0});
        auto arriba = [&](size_t j) { return b.elementos[j].caja.top(); };
        std::stable_sort(orden.begin(), orden.end(),
                         [&](size_t x, size_t y) { return arriba(x) < arriba(y); });
        std::vector<double> baja(n, 0.0);
        double extra = 0;
        for (size_t a = 0; a < n; ++a) {
            const size_t j = orden[a];
            for (size_t c = 0; c < a; ++c) {
                const size_t g = orden[c];
                if (crece[g] > 0 && b.elementos[g].caja.bottom() <= arriba(j) + kHolgura)
                    baja[j] = std::max(baja[j], baja[g] + crece[g]);
            }
            extra = std::max(extra, baja[j] + crece[j]);
        }
        ev.alto = b.alto + extra;
        for (size_t j = 0; j < n; ++j) {
            ElementoPagina& p = ev.elementos[j];
            p.caja.translate(0, baja[j]);
            if (crece[j] > 0)
                p.caja.setHeight(p.caja.height() + crece[j]);
            if (!b.elementos[j].estira)
                continue;
            if (p.tipo == ElementoPagina::Tipo::Rectangulo) {
                p.caja.setHeight(p.caja.height() + extra - baja[j]);
            } else if (p.tipo == ElementoPagina::Tipo::Linea && p.caja.top() != p.caja.bottom()) {
                // The lower end of an upright line follows the band's bottom.
                if (p.caja.bottom() > p.caja.top())
                    p.caja.setBottom(p.caja.bottom() + extra - baja[j]);
                else
                    p.caja.setTop(p.caja.top() + extra - baja[j]);
            }
        }
    }

    // Puts an evaluated band on the current page at the current position.
    void coloca(BandaEvaluada& ev) {
        PaginaDocumento& pag = doc_->paginas.back();
        const double x0 = d_.margenes.left();
        double alto = ev.alto;
        const bool recortar = y_ + alto > limite_ + kHolgura && !enPie_;
        if (recortar)
            alto = std::max(0.0, limite_ - y_);
        size_t siguienteDiferido = 0;
        for (size_t j = 0; j < ev.elementos.size(); ++j) {
            ElementoPagina& p = ev.elementos[j];
            const bool diferido = siguienteDiferido < ev.diferidos.size() &&
                                  ev.diferidos[siguienteDiferido].first == j;
            if (!diferido && p.tipo == ElementoPagina::Tipo::Texto && p.texto.isEmpty())
                continue;
            if (recortar && !recortaElemento(p, alto)) {
                if (diferido)
                    ++siguienteDiferido;
                continue;
            }
            p.caja.translate(x0, y_);
            if (diferido) {
                Diferido& df = ev.diferidos[siguienteDiferido++].second;
                df.pagina = doc_->paginas.size() - 1;
                df.elemento = pag.elementos.size();
                diferidos_.push_back(std::move(df));
            }
            pag.elementos.push_back(std::move(p));
        }
        pag.bandas.push_back(
            {d_.bandas[static_cast<size_t>(ev.banda)].tipo, ev.banda, ev.fila, y_, alto});
        y_ += alto;
    }

    // A band taller than all the room a page has: what goes past the room is cut off.
    bool recortaElemento(ElementoPagina& p, double alto) const {
        const QRectF c = p.caja.normalized();
        if (c.top() >= alto - kHolgura)
            return false;
        if (c.bottom() <= alto)
            return true;
        if (p.tipo == ElementoPagina::Tipo::Texto) {
            const double inter = tipos_.interlineado(p.indice);
            const int caben =
                std::max(1, static_cast<int>(std::floor((alto - c.top()) / inter + 0.01)));
            p.texto = tipos_.recorta(p.texto, p.indice, c.width(), caben);
            p.caja.setBottom(alto);
        } else if (p.tipo == ElementoPagina::Tipo::Linea) {
            if (p.caja.bottom() > p.caja.top())
                p.caja.setBottom(alto);
            else
                p.caja.setTop(alto);
        } else {
            p.caja.setBottom(alto);
        }
        return true;
    }

    double altoPies(bool primera, bool ultima) {
        double h = 0;
        for (int b : piePagina_) {
            const Banda& banda = d_.bandas[static_cast<size_t>(b)];
            if (aplica(banda.paginas, primera, ultima))
                h += banda.alto;
        }
        return h;
    }

    void abrePagina(int fila) {
        doc_->paginas.emplace_back();
        const bool primera = doc_->paginas.size() == 1;
        y_ = d_.margenes.top();
        // Room for the page footers, whether or not this turns out to be the last page.
        limite_ = d_.pagina().height() - d_.margenes.bottom() -
                  std::max(altoPies(primera, false), altoPies(primera, true));
        hayCuerpo_ = false;
        reiniciaPagina();
        if (primera) {
            for (int b : encReporte_) {
                BandaEvaluada ev = evalua(b, fila);
                coloca(ev);
                hayCuerpo_ = true;
            }
        }
        for (int b : encPagina_) {
            if (!aplica(d_.bandas[static_cast<size_t>(b)].paginas, primera, false))
                continue;
            BandaEvaluada ev = evalua(b, fila);
            coloca(ev);
        }
        for (int b : encColumnas_) {
            if (!aplica(d_.bandas[static_cast<size_t>(b)].paginas, primera, false))
                continue;
            BandaEvaluada ev = evalua(b, fila);
            coloca(ev);
        }
    }

    void cierraPagina(bool ultima, int fila) {
        const bool primera = doc_->paginas.size() == 1;
        std::vector<BandaEvaluada> pies;
        double alto = 0;
        for (int b : piePagina_) {
            if (!aplica(d_.bandas[static_cast<size_t>(b)].paginas, primera, ultima))
                continue;
            pies.push_back(evalua(b, fila));
            alto += pies.back().alto;
        }
        y_ = d_.pagina().height() - d_.margenes.bottom() - alto;
        enPie_ = true;
        for (BandaEvaluada& ev : pies)
            coloca(ev);
        enPie_ = false;
    }

    void saltaPagina(int filaAnterior, int filaSiguiente) {
        cierraPagina(false, filaAnterior);
        abrePagina(filaSiguiente);
    }

    bool cabe(double alto) const { return y_ + alto <= limite_ + kHolgura; }

    // A band of the body (group footer, report footer) on its own.
    void colocaCuerpo(int banda, int fila, int filaSiguiente) {
        BandaEvaluada ev = evalua(banda, fila);
        if (!cabe(ev.alto) && hayCuerpo_) {
            saltaPagina(fila, filaSiguiente >= 0 ? filaSiguiente : fila);
            ev = evalua(banda, fila);
        }
        coloca(ev);
        hayCuerpo_ = true;
    }

    // A detail row, with the headers of the groups it opens: they go together, so that a group
    // header never ends a page.
    void colocaFila(int fila, int cambio) {
        const int niveles = static_cast<int>(d_.grupos.size());
        // The totals as they stand before the row, to take it back off the page it leaves.
        const std::vector<double> valoresAntes = valores_, corrienteAntes = corriente_;
        auto construye = [&] {
            std::vector<BandaEvaluada> u;
            for (int g = cambio; g < niveles; ++g) {
                for (int b : d_.grupos[static_cast<size_t>(g)].encabezados)
                    u.push_back(evalua(b, fila));
            }
            agregaFila(fila);
            for (int b : detalle_)
                u.push_back(evalua(b, fila));
            return u;
        };
        std::vector<BandaEvaluada> unidad = construye();
        double alto = 0;
        for (const BandaEvaluada& ev : unidad)
            alto += ev.alto;
        if (!cabe(alto) && hayCuerpo_) {
            valores_ = valoresAntes;
            corriente_ = corrienteAntes;
            saltaPagina(fila - 1, fila);
            unidad = construye();
        }
        // On a page of its own a unit taller than the room is cut at the page's end.
        for (BandaEvaluada& ev : unidad)
            coloca(ev);
        hayCuerpo_ = true;
    }

    // A report footer with «por»: once per value among the rows, in the order each value first
    // appears, its report totals over the rows of that value (one total per currency: amounts
    // of different kinds are never added together).
    void colocaPorValor(int banda, int filas) {
        const Expresion& por = *d_.bandas[static_cast<size_t>(banda)].por;
        std::vector<Variante> claves;
        std::vector<int> claveDe(static_cast<size_t>(filas)), ultima;
        for (int i = 0; i < filas; ++i) {
            const Variante v = por.evalua(contexto(i));
            size_t j = 0;
            while (j < claves.size() && !iguales(v, claves[j]))
                ++j;
            if (j == claves.size()) {
                claves.push_back(v);
                ultima.push_back(i);
            }
            claveDe[static_cast<size_t>(i)] = static_cast<int>(j);
            ultima[j] = i;
        }
        const std::vector<double> todos = valores_;
        for (size_t j = 0; j < claves.size(); ++j) {
            for (size_t k = 0; k < d_.agregados.size(); ++k) {
                if (d_.agregados[k].ambito == Ambito::Reporte)
                    valores_[k] = 0;
            }
            for (int i = 0; i < filas; ++i) {
                if (claveDe[static_cast<size_t>(i)] == static_cast<int>(j))
                    agregaFila(i, true);
            }
            colocaCuerpo(banda, ultima[j], -1);
        }
        for (size_t k = 0; k < d_.agregados.size(); ++k) {
            if (d_.agregados[k].ambito == Ambito::Reporte)
                valores_[k] = todos[k];
        }
    }

    void resuelveDiferidos() {
        const int paginas = doc_->cuentaPaginas();
        for (const Diferido& df : diferidos_) {
            const Elemento& e = *df.origen;
            Contexto ctx;
            ctx.datos = &datos_;
            ctx.fila = df.fila;
            ctx.pagina = df.numeroPagina;
            ctx.paginas = paginas;
            ctx.acumulados = &df.acumulados;
            ctx.hoy = hoy_;
            const QString s = formateaValor(e.expresion->evalua(ctx), e.formato);
            ElementoPagina& p = doc_->paginas[df.pagina].elementos[df.elemento];
            p.texto = tipos_.dispone(s, e.estilo, p.caja.width(), e.ajusta, maxLineas(e));
        }
    }

    const Diseno& d_;
    const Datos& datos_;
    Tipografia tipos_;
    QDate hoy_;
    std::shared_ptr<Documento> doc_;
    std::vector<int> encReporte_, encPagina_, encColumnas_, detalle_, pieReporte_, piePagina_;
    std::vector<std::vector<Estatico>> estaticos_;
    std::vector<double> valores_;    // what each total shows now
    std::vector<double> corriente_;  // running report totals behind the carried-forward ones
    std::vector<Diferido> diferidos_;
    double y_ = 0;
    double limite_ = 0;
    bool hayCuerpo_ = false;
    bool enPie_ = false;
    int fila_ = 0;                        // the next row to lay out
    std::vector<Variante> valoresGrupo_;  // each group's value at the last row laid out
    bool terminado_ = false;
};

}  // namespace

std::shared_ptr<Documento> paginaReporte(const Diseno& diseno, const Datos& datos,
                                         const QDate& hoy) {
    Paginador p(diseno, datos, hoy);
    p.comienza();
    p.avanza(datos.filas(), true);
    return p.documento();
}

// --- A pagination laid out as it is asked for ----------------------------------------------

struct Paginacion::Estado {
    std::unique_ptr<Diseno> diseno;
    std::unique_ptr<Datos> datos;
    std::unique_ptr<Paginador> paginador;  // refers to both: goes first
};

Paginacion::Paginacion(std::unique_ptr<Diseno> diseno, std::unique_ptr<Datos> datos,
                       const QDate& hoy)
    : estado_(std::make_unique<Estado>()) {
    estado_->diseno = std::move(diseno);
    estado_->datos = std::move(datos);
    estado_->paginador = std::make_unique<Paginador>(*estado_->diseno, *estado_->datos, hoy);
    doc_ = estado_->paginador->documento();
}

Paginacion::Paginacion(std::shared_ptr<const Documento> doc) : doc_(std::move(doc)) {}

Paginacion::~Paginacion() = default;

bool Paginacion::terminada() const {
    return !estado_;
}

int Paginacion::paginasListas() const {
    if (!estado_)
        return fallida() ? 0 : doc_->cuentaPaginas();
    return estado_->paginador->paginasListas();
}

void Paginacion::preparaHasta(int paginas) {
    if (!estado_)
        return;
    Paginador& p = *estado_->paginador;
    if (!comenzada_) {
        comenzada_ = true;
        p.comienza();
    }
    while (!p.terminado() && p.paginasListas() < paginas)
        p.avanza(1, false);
    if (p.terminado())
        estado_.reset();  // the layout and the rows are not needed any more
}

bool Paginacion::asegura(int paginas) {
    if (fallida())
        return false;
    if (!estado_ || estado_->paginador->paginasListas() >= paginas)
        return true;
    if (ocupada_)
        return false;
    const int antes = paginasListas();
    {
        CursorOcupado ocupado;
        ocupada_ = true;
        try {
            preparaHasta(paginas);
        } catch (...) {
            ocupada_ = false;
            falla(mensajeDeFalla(std::current_exception()));
            return false;
        }
        ocupada_ = false;
    }
    if (paginasListas() != antes || terminada())
        emit avanzo();
    return true;
}

bool Paginacion::completa() {
    return asegura(std::numeric_limits<int>::max());
}

void Paginacion::sigueDespues() {
    if (!estado_ || fallida() || enCola_)
        return;
    enCola_ = true;
    QTimer::singleShot(0, this, &Paginacion::tramo);
}

void Paginacion::tramo() {
    enCola_ = false;
    if (!estado_ || fallida())
        return;
    if (ocupada_) {  // laying out the rest for a print or an export right now
        sigueDespues();
        return;
    }
    // A few milliseconds at a time, so that the window keeps answering.
    QElapsedTimer reloj;
    reloj.start();
    const int antes = paginasListas();
    ocupada_ = true;
    try {
        while (estado_ && reloj.elapsed() < kMsPorTramo)
            preparaHasta(estado_->paginador->paginasListas() + 1);
    } catch (...) {
        ocupada_ = false;
        falla(mensajeDeFalla(std::current_exception()));
        return;
    }
    ocupada_ = false;
    if (paginasListas() != antes || terminada())
        emit avanzo();
    sigueDespues();
}

void Paginacion::falla(const QString& mensaje) {
    error_ = mensaje;
    estado_.reset();
    emit fallo(mensaje);
    muestraMensaje(mensaje, QStringLiteral("Error"), Botones::Aceptar, Icono::Critico);
}

QString mensajeDeFalla(std::exception_ptr falla) {
    try {
        std::rethrow_exception(falla);
    } catch (const ErrorReporte& e) {
        return e.mensaje();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("No hay memoria suficiente para preparar el reporte.");
    } catch (const ErrorTESK& e) {
        // A failure of a utility routine on the data: still one message, nothing left open.
        return QStringLiteral("No se pudo preparar el reporte: %1 (error %2).")
            .arg(e.descripcion())
            .arg(e.numero());
    } catch (const std::exception& e) {
        return QStringLiteral("No se pudo preparar el reporte: %1.")
            .arg(QString::fromLocal8Bit(e.what()));
    }
}

}  // namespace quilmaro::reporte
