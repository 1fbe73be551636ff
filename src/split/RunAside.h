// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFutureWatcher>
#include <QPromise>
#include <QThreadPool>

#include <memory>
#include <new>
#include <optional>
#include <utility>

namespace qm {

// Runs `work` on Qt's shared thread pool and hands its result to `then` on the calling thread,
// through that thread's event loop, unless the returned watcher is gone by then; nullopt when
// the work ran out of memory. `work` owns
// everything it touches (copies, shared pointers, handles of its own): whoever started it may be
// destroyed meanwhile, and the work then runs to its end unheard. Qt's shared pool, not one of
// the caller's: a pool of its own would wait for its work when it is destroyed.
template <typename T, typename Work, typename Then>
std::unique_ptr<QFutureWatcher<T>> RunAside(Work work, Then then)
{
    auto watcher = std::make_unique<QFutureWatcher<T>>();
    QFutureWatcher<T> *w = watcher.get();
    QObject::connect(w, &QFutureWatcherBase::finished, w, [w, then = std::move(then)] {
        then(w->future().resultCount() > 0 ? std::optional<T>(w->result()) : std::nullopt);
    });
    auto promise = std::make_shared<QPromise<T>>();
    watcher->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([promise, work = std::move(work)]() mutable {
        try {
            promise->addResult(work());
        } catch (const std::bad_alloc &) { // said as a shortage, as on the calling thread
        }
        promise->finish();
    });
    return watcher;
}

} // namespace qm
