#include "shell/bannerpicture.h"

#include <QMouseEvent>

BannerPicture::BannerPicture(QWidget *parent) : QLabel(parent)
{
    setPixmap(QPixmap(QStringLiteral(":/shell/banner.png")));
    setCursor(Qt::PointingHandCursor);
}

void BannerPicture::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}
