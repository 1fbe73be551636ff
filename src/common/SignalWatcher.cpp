// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/SignalWatcher.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};
constexpr int kCount = int(sizeof kSignals / sizeof kSignals[0]);

// A signal handler reaches nothing but globals: this is the write end of the watcher's pipe.
std::atomic<int> g_signalPipe{-1};

void onSignal(int signalNumber)
{
    const int saved = errno;
    const int fd = g_signalPipe.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

SignalWatcher::SignalWatcher(QObject *parent) : QObject(parent)
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0)
        return;
    m_write.reset(pair[0]);
    m_read.reset(pair[1]);
    g_signalPipe.store(m_write.get());
    m_notifier = new QSocketNotifier(m_read.get(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readPending);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kCount; ++i) {
        // A signal ignored when the program started (nohup, a shell's background job) stays so.
        if (::sigaction(kSignals[i], nullptr, &m_previous[i]) == 0 && m_previous[i].sa_handler != SIG_IGN)
            ::sigaction(kSignals[i], &action, nullptr);
    }
}

SignalWatcher::~SignalWatcher()
{
    restore();
}

void SignalWatcher::restore()
{
    if (!m_write.isValid() || m_restored)
        return;
    m_restored = true;
    for (int i = 0; i < kCount; ++i)
        ::sigaction(kSignals[i], &m_previous[i], nullptr);
    g_signalPipe.store(-1);
}

void SignalWatcher::readPending()
{
    if (!m_read.isValid())
        return;
    unsigned char byte = 0;
    while (::read(m_read.get(), &byte, 1) == 1) {
        m_first = m_first != 0 ? m_first : byte;
        Q_EMIT received(byte);
    }
}

int SignalWatcher::finish()
{
    // Put back first, read then: a signal is either in the socket by now or meets its own action.
    restore();
    readPending();
    return m_first;
}

} // namespace qm
