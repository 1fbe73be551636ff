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
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void SerialWorker::post(std::function<void()> work)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_waiting.push_back(std::move(work));
        if (!m_thread.joinable()) {
            try {
                m_ending = false;
                m_thread = std::thread([this] { loop(); });
            } catch (const std::system_error &) { // no thread to be had: the work is done here
                work = std::move(m_waiting.back());
                m_waiting.pop_back();
            }
        }
    }
    m_wake.notify_one();
    if (work)
        runPiece(work);
}

void SerialWorker::loop()
{
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_inPiece = false;
            m_wake.wait(lock, [this] { return m_closing || m_ending || !m_waiting.empty(); });
            if (m_closing || (m_ending && m_waiting.empty()))
                return;
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

bool SerialWorker::release()
{
    std::thread ending;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_inPiece || !m_waiting.empty() || !m_thread.joinable())
            return false;
        m_ending = true;
        ending = std::move(m_thread);
    }
    m_wake.notify_one();
    ending.join(); // it finds nothing to do and ends at once
    return true;
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
