#pragma once

#include <QAbstractButton>
#include <QPixmap>

// The banner across the top of the main window. It opens the Server Monitor
// like a button: a click, Enter or Space when it has the focus, or a screen
// reader's press action. It looks like a picture, with a focus frame only
// while it has the focus.
class BannerPicture : public QAbstractButton
{
    Q_OBJECT
public:
    explicit BannerPicture(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPixmap banner;
};
