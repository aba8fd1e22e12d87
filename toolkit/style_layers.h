// Thin styles stacked over the application's style, each wrapping the one below it, so that
// every layer keeps what the layers under it do.
#pragma once

#include <QApplication>
#include <QProxyStyle>
#include <QStyle>

#include <utility>

namespace StyleLayers {

// The style at the bottom of the stack: the one that draws everything the layers leave.
inline QStyle* bottom() {
    QStyle* style = QApplication::style();
    while (auto* layer = qobject_cast<QProxyStyle*>(style)) {
        if (!layer->baseStyle()) break;
        style = layer->baseStyle();
    }
    return style;
}

// Whether a layer of this kind is in the application's stack.
template <class Layer>
bool has() {
    for (QStyle* style = QApplication::style(); style;) {
        if (dynamic_cast<Layer*>(style)) return true;
        auto* layer = qobject_cast<QProxyStyle*>(style);
        style = layer && layer->baseStyle() != style ? layer->baseStyle() : nullptr;
    }
    return false;
}

// Puts a new layer on top; it takes over the stack below it.
template <class Layer, class... Arguments>
void push(Arguments&&... arguments) {
    QApplication::setStyle(
        new Layer(QApplication::style(), std::forward<Arguments>(arguments)...));
}

}  // namespace StyleLayers
