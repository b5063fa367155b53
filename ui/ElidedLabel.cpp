#include "ui/ElidedLabel.h"

#include <QFontMetrics>
#include <QResizeEvent>

void ElidedLabel::SetFullText(const QString& text) {
    full_ = text;
    setToolTip(text);
    Elide();
}

QSize ElidedLabel::sizeHint() const {
    // The whole text's width, whatever part of it is shown, so that showing it changes no size.
    const QSize hint = QLabel::sizeHint();
    return {fontMetrics().horizontalAdvance(full_) + 2 * margin(), hint.height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("...")),
            QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void ElidedLabel::Elide() {
    const int room = contentsRect().width();
    const bool fits = fontMetrics().horizontalAdvance(full_) <= room;
    setText(fits ? full_ : fontMetrics().elidedText(full_, Qt::ElideMiddle, room));
}
