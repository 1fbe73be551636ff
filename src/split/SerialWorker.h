// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFutureWatcher>
#include <QPromise>

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
// large directories), one piece at a time in the order given, on one plain thread of its own that
// lives while there is work: a run takes no more handles, processes and memory than it did with
// the work in place (a Qt thread would hold an event handle for its life), while the window stays
// live. Without a thread to be had, the work is done in place. Work still waiting when the worker
// goes is dropped; the piece running then is waited for. Each piece owns what it touches (copies,
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
    // Cancelling the watcher before the work begins skips it, and `then` is not called.
    template <typename T, typename Work, typename Then>
    std::unique_ptr<QFutureWatcher<T>> run(Work work, Then then)
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
        post([this, promise, work = std::move(work)]() mutable {
            {
                auto piece = std::move(work); // goes, with all it holds, before the result is heard
                try {
                    if (!promise->isCanceled())
                        promise->addResult(piece());
                } catch (const std::bad_alloc &) { // no result: said as a shortage
                }
            }
            endPiece(); // before it is heard: settle() may then wait for the thread to end
            promise->finish();
        });
        return watcher;
    }

    // Runs `work` and hears nothing of it.
    void post(std::function<void()> work);
    // Waits for a thread that has finished its work to end, so that the process it was counts
    // no more: where processes are few, the one a tool starts next may be the one it held.
    void settle();

private:
    void loop();
    void endPiece();
    static void runPiece(std::function<void()> &work);

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_waiting;
    bool m_closing = false;
    bool m_running = false; // the thread is in its loop
    bool m_inPiece = false; // and runs a piece of work
    std::thread m_thread;   // made when work comes and none runs; it ends when none is left
};

} // namespace qm
