// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"

#include "split/SplitRun.h"

#include <QCloseEvent>

namespace qm {

void Form1::PushButton2_Click()
{
    // While a run lasts the button reads "Stop Splitting": one run at a time, and a click stops it.
    if (m_activeRun && m_activeRun->running()) {
        m_activeRun->stop();
        return;
    }
    if (m_running)
        return;
    // The last run, ended, goes now (never from inside one of its own signals).
    m_activeRun = std::make_unique<SplitRun>(*this, m_ctx);
    m_activeRun->start();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closing mid-run stops zipsplit and cleans up before the window goes; the run then returns.
    if (m_activeRun)
        m_activeRun->abort();
    event->accept();
}

} // namespace qm
