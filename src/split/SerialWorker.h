// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFutureWatcher>
#include <QPromise>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <utility>

namespace qm {

// Work a run does off the window's thread (listing and planning archives, checking parts, freeing
// large directories), one piece at a time in the order given, on one plain thread of its own: a
// run takes no more handles and memory than it did with the work in place (a Qt thread would hold
// an event handle for its life), while the window stays live. Where processes are few, release()
// gives back the process the idle thread is. Without a thread to be had, the work is done in
// place. Work still waiting when the worker goes is dropped; the piece running then is waited for. Each piece owns what it touches (copies,
// shared pointers, handles of its own), and lets go of it before its result is heard.
class SerialWorker
{
public:
    SerialWorker() = default;
    ~SerialWorker();
    SerialWorker(const SerialWorker &) = delete;
    SerialWorker &operator=(const SerialWorker &) = delete;

    // Runs `work` and hands its result to `then` on the calling thread, through its event loop,
    // unless the returned watcher is gone by then; nullopt when the work ran out of memory.
    // Cancelling the watcher before the work begins skips it, and `then` is not called. Work that
    // is known to be short runs `here`, at once: a handover to the thread and back would cost
    // more than it does, where many small archives are split side by side.
    template <typename T, typename Work, typename Then>
    std::unique_ptr<QFutureWatcher<T>> run(Work work, Then then, bool here = false)
    {
        auto watcher = std::make_unique<QFutureWatcher<T>>();
        QFutureWatcher<T> *w = watcher.get();
        QObject::connect(w, &QFutureWatcherBase::finished, w, [w, then = std::move(then)] {
            if (w->isCanceled())
                return;
            // Taken out of the future, not copied: what it holds (handles) goes when `then` lets go.
            QFuture<T> future = w->future();
            then(future.resultCount() > 0 ? std::optional<T>(future.takeResult()) : std::nullopt);
        });
        auto promise = std::make_shared<QPromise<T>>();
        watcher->setFuture(promise->future());
        promise->start();
        auto piece = [this, here, promise, work = std::move(work)]() mutable {
            {
                auto running = std::move(work); // goes, with all it holds, before the result is heard
                try {
                    if (!promise->isCanceled())
                        promise->addResult(running());
                } catch (const std::bad_alloc &) { // no result: said as a shortage
                }
            }
            if (!here)
                endPiece(); // before it is heard: release() may then end the thread at once
            promise->finish();
        };
        if (here)
            piece();
        else
            post(std::move(piece));
        return watcher;
    }

    // Runs `work` and hears nothing of it.
    void post(std::function<void()> work);
    // Ends the thread when it has nothing to do, so that the process it is counts no more: a tool
    // that could not start for want of processes may then. False when there was none to end.
    bool release();

private:
    void loop();
    void endPiece();
    static void runPiece(std::function<void()> &work);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_waiting;
    bool m_closing = false;
    bool m_ending = false;  // release(): the thread ends once nothing waits
    bool m_inPiece = false; // the thread runs a piece of work
    std::thread m_thread;   // made with the first piece after none or a release()
};

} // namespace qm
