#pragma once
// The hidden picture window: every chosen image is also loaded into its one picture box, and the
// save command turns the picture into a plain bitmap through it. It is never shown.

#include <QWidget>

namespace lumarel {

class PictureBox;

class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);
    PictureBox* picture() const { return Picture1; }

private:
    PictureBox* Picture1;
};

}  // namespace lumarel
