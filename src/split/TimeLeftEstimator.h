// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

namespace qm {

// How long a run has left, from its recent pace, so a pace that changes (a slow start, one of the
// archives side by side ending first) shows within seconds, where the whole run's average would
// lag for the rest of it. Fed with each progress of one run (the bytes of every archive in flight
// together); each front end's run owns one.
class TimeLeftEstimator
{
public:
    void feed(std::int64_t elapsedMs, std::int64_t bytesDone, std::int64_t bytesTotal);
    // Bytes a second of late; none before the run's first second.
    std::optional<double> bytesPerSecond() const;
    // None until a guess is worth showing (two seconds and one percent), at the end, and while
    // no byte moved for the last few seconds.
    std::optional<double> secondsLeft() const;

private:
    struct Sample
    {
        std::int64_t ms = 0;
        std::int64_t bytes = 0;
    };
    std::deque<Sample> m_samples; // the last ten seconds, and the one before for their start
    std::int64_t m_total = 0;
};

} // namespace qm
