// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"

#include "archive/UnzipLibrary.h"
#include "app/SplitRun.h"

#include <QCloseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace qm {

// The archive library pulls in libzip and its crypto: loaded once the window is up, it is not
// part of the first split's wait.
void Form1::loadArchiveLibraryAhead()
{
    QTimer::singleShot(100, this, [this] { archiveLibrary()->load(); });
}

std::shared_ptr<UnzipLibrary> Form1::archiveLibrary()
{
    const QString path = m_ctx.unzipLibrary.isEmpty() ? UnzipLibrary::besideProgram() : m_ctx.unzipLibrary;
    if (!m_archiveLibrary || m_archiveLibrary->path() != path) // the context may name another
        m_archiveLibrary = std::make_shared<UnzipLibrary>(path);
    return m_archiveLibrary;
}

void Form1::setProgressText(const QString &text)
{
    ProgressBar1->setFormat(text);
    ProgressBar1->setTextVisible(!text.isEmpty());
}

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

void Form1::setProgress(double value)
{
    ProgressBar1->setValue(static_cast<int>(value * 10.0 + 0.5));
}

void Form1::setRunning(bool running)
{
    m_running = running;
    // A run must never split an archive twice or miss one: the list is locked while it lasts.
    for (QWidget *w : {static_cast<QWidget *>(PushButton1), static_cast<QWidget *>(PushButton4),
                       static_cast<QWidget *>(PushButton5), static_cast<QWidget *>(PushButton6)})
        w->setEnabled(!running);
    const QString caption = running ? tr("Stop Splitting") : tr("Start Splitting");
    PushButton2->setText(caption);
    PushButton2->setAccessibleName(caption); // a screen reader announces the change
    assignMnemonics();
    planAroundRun(running);
}

} // namespace qm
