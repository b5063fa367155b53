#pragma once
// A one-line label for a long text such as a path: what does not fit is elided in the middle and
// the whole text is in its tooltip, so the text never widens the window.
#include <QLabel>

class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

    void SetFullText(const QString& text);
    const QString& FullText() const { return full_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString full_;
};
