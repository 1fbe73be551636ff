#include "app/Form1.h"

#include "split/SplitRun.h"

#include <QCloseEvent>

namespace qm {

void Form1::PushButton2_Click()
{
    // While a run lasts the button reads "Stop Splitting": one run at a time, and a click stops it.
    if (m_activeRun) {
        m_activeRun->stop();
        return;
    }
    if (m_running)
        return;
    m_activeRun = std::make_unique<SplitRun>(*this, m_ctx);
    connect(m_activeRun.get(), &SplitRun::ended, this, [this] {
        // Not from inside its own signal: the run goes once the box is closed and this returns.
        m_activeRun.release()->deleteLater();
    });
    if (!m_activeRun->start())
        m_activeRun.reset();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closing mid-run stops zipsplit and cleans up before the window goes; the run then returns.
    if (m_activeRun)
        m_activeRun->abort();
    event->accept();
}

} // namespace qm
