// SPDX-License-Identifier: GPL-3.0-or-later
#include "split/TimeLeftEstimator.h"

#include <algorithm>

namespace qm {

namespace {

// The pace is the speed while bytes move, from the last two seconds of moving so that a new pace
// shows at once, times the share of the last ten seconds they moved: pauses between archives
// come and go, and alone would swing a short window.
constexpr std::int64_t kWindowMs = 10000;
constexpr std::int64_t kSpeedMs = 2000;
// The job reports four times a second while bytes move; a longer silence is a pause.
constexpr std::int64_t kBeatMs = 400;

} // namespace

void TimeLeftEstimator::feed(std::int64_t elapsedMs, std::int64_t bytesDone, std::int64_t bytesTotal)
{
    if (m_samples.empty()) // every run starts from nothing
        m_samples.push_back({0, 0});
    m_samples.push_back({elapsedMs, bytesDone});
    m_total = bytesTotal;
    while (m_samples.size() > 2 && m_samples[1].ms <= elapsedMs - kWindowMs)
        m_samples.pop_front();
}

std::optional<double> TimeLeftEstimator::bytesPerSecond() const
{
    if (m_samples.size() < 2 || m_samples.back().ms < 1000)
        return std::nullopt;
    const std::int64_t spanMs = m_samples.back().ms - m_samples.front().ms;
    std::int64_t movingMs = 0;
    std::int64_t recentMs = 0;
    std::int64_t recentBytes = 0;
    for (std::size_t i = m_samples.size() - 1; i > 0; --i) {
        const std::int64_t ms = std::min(m_samples[i].ms - m_samples[i - 1].ms, kBeatMs);
        movingMs += ms;
        if (recentMs < kSpeedMs) {
            recentMs += ms;
            recentBytes += m_samples[i].bytes - m_samples[i - 1].bytes;
        }
    }
    if (recentMs <= 0 || spanMs <= 0)
        return std::nullopt;
    return double(recentBytes) * 1000.0 / double(recentMs) * double(movingMs) / double(spanMs);
}

std::optional<double> TimeLeftEstimator::secondsLeft() const
{
    // Too early a guess swings wildly: wait for two seconds and one percent.
    if (m_samples.empty() || m_total <= 0)
        return std::nullopt;
    const Sample &now = m_samples.back();
    if (now.ms < 2000 || now.bytes * 100 < m_total || now.bytes >= m_total)
        return std::nullopt;
    const std::optional<double> rate = bytesPerSecond();
    if (!rate || *rate <= 0)
        return std::nullopt;
    return double(m_total - now.bytes) / *rate;
}

} // namespace qm
