#include "app/Form1.h"

#include <QCloseEvent>

namespace qm {

void Form1::PushButton2_Click()
{
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
}

} // namespace qm
