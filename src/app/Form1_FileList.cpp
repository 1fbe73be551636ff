#include "app/Form1.h"

#include "app/FileListModel.h"

#include <QTreeView>

namespace qm {

void Form1::PushButton1_Click()
{
}

void Form1::PushButton5_Click()
{
}

void Form1::ListView1_KeyDown(int)
{
}

void Form1::ListView1_DblClick()
{
}

} // namespace qm
