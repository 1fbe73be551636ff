#include "app/Form1.h"

namespace qm {

void Form1::PushButton3_Click()
{
}

void Form1::PushButton4_Click()
{
}

void Form1::PushButton6_Click()
{
}

} // namespace qm
