#pragma once
// Captions a window shows cut: labels, buttons and options narrower than their text needs.

#include <QAbstractButton>
#include <QLabel>
#include <QStringList>
#include <QWidget>

namespace quilmaro::prueba {

// "name: text" of each visible caption of the window (those in `salvo` aside) whose widget is
// narrower than the width it asks for to show its text whole.
inline QStringList textosCortados(const QWidget& ventana, const QStringList& salvo = {}) {
    QStringList cortados;
    for (const QWidget* w : ventana.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&ventana) || salvo.contains(w->objectName()))
            continue;
        QString texto;
        if (const auto* l = qobject_cast<const QLabel*>(w); l && !l->wordWrap())
            texto = l->text();
        else if (const auto* b = qobject_cast<const QAbstractButton*>(w))
            texto = b->text();
        if (!texto.isEmpty() && w->sizeHint().width() > w->width())
            cortados.append(QStringLiteral("%1: %2 (%3 < %4)")
                                .arg(w->objectName(), texto)
                                .arg(w->width())
                                .arg(w->sizeHint().width()));
    }
    return cortados;
}

// The first n widgets Tab visits from `desde` on (those that never take the focus passed over).
inline QWidgetList ordenDeTab(QWidget* desde, int n) {
    QWidgetList orden{desde};
    while (orden.size() < n) {
        QWidget* s = orden.last()->nextInFocusChain();
        while (s->focusPolicy() == Qt::NoFocus)
            s = s->nextInFocusChain();
        orden.append(s);
    }
    return orden;
}

}  // namespace quilmaro::prueba
