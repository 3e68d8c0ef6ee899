#include "shell/bannerpicture.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

BannerPicture::BannerPicture(QWidget *parent)
    : QAbstractButton(parent), banner(QStringLiteral(":/shell/banner.png"))
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

QSize BannerPicture::sizeHint() const
{
    return banner.size();
}

void BannerPicture::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    painter.drawPixmap(QPoint(0, 0), banner);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

// Space is the button's own key; Enter opens the monitor as well.
void BannerPicture::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
