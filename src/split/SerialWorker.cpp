// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/SerialWorker.h"

#include <system_error>

namespace qm {

SerialWorker::~SerialWorker()
{
    std::deque<std::function<void()>> dropped;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_closing = true;
        dropped.swap(m_waiting);
    }
    if (m_thread.joinable())
        m_thread.join();
}

// The thread lives while there is work: an idle one would take the process zipsplit needs where
// processes are few.
void SerialWorker::post(std::function<void()> work)
{
    std::thread ended;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_waiting.push_back(std::move(work));
        if (m_running)
            return;
        ended = std::move(m_thread);
        try {
            m_thread = std::thread([this] { loop(); });
            m_running = true;
        } catch (const std::system_error &) { // no thread to be had: the work is done here
            work = std::move(m_waiting.back());
            m_waiting.pop_back();
        }
    }
    if (ended.joinable())
        ended.join(); // it has left its loop already
    if (work)
        runPiece(work);
}

void SerialWorker::loop()
{
    for (;;) {
        std::function<void()> work;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_inPiece = false;
            if (m_closing || m_waiting.empty()) {
                m_running = false;
                return;
            }
            work = std::move(m_waiting.front());
            m_waiting.pop_front();
            m_inPiece = true;
        }
        runPiece(work);
    }
}

void SerialWorker::endPiece()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_inPiece = false;
}

void SerialWorker::settle()
{
    std::thread ending;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_inPiece || !m_waiting.empty())
            return;
        ending = std::move(m_thread);
    }
    if (ending.joinable())
        ending.join(); // it finds nothing to do and ends at once
}

void SerialWorker::runPiece(std::function<void()> &work)
{
    try {
        work();
    } catch (...) { // a piece that fails must not stop the pieces after it
    }
    work = nullptr;
}

} // namespace qm
