#pragma once

#include <QLabel>

// The banner across the top of the main window; a click on it opens the
// Server Monitor.
class BannerPicture : public QLabel
{
    Q_OBJECT
public:
    explicit BannerPicture(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
