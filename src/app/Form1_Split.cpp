#include "app/Form1.h"

#include "split/SplitRun.h"

#include <QCloseEvent>

namespace qm {

void Form1::PushButton2_Click()
{
    // One run at a time: a second click from inside the run's wait would split archives twice.
    if (m_running || m_activeRun)
        return;
    SplitRun run(*this, m_ctx);
    m_activeRun = &run;
    run.execute();
    m_activeRun = nullptr;
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closing mid-run stops zipsplit and cleans up before the window goes; the run then returns.
    if (m_activeRun)
        m_activeRun->abort();
    event->accept();
}

} // namespace qm
