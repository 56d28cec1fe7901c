#include "app/form2.h"

#include "platform/widgets/picture_box.h"

namespace lumarel {

Form2::Form2(QWidget* parent) : QWidget(parent, Qt::Window), Picture1(new PictureBox(this))
{
    setObjectName(QStringLiteral("Form2"));
    Picture1->setObjectName(QStringLiteral("Picture1"));
}

}  // namespace lumarel
