// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TimeLeftEstimator.h"

namespace qm {

namespace {

// Long enough to span a pause between archives, short enough that a new pace shows soon.
constexpr std::int64_t kWindowMs = 5000;

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
    if (m_samples.empty())
        return std::nullopt;
    const Sample &first = m_samples.front();
    const Sample &last = m_samples.back();
    if (last.ms < 1000 || last.ms <= first.ms)
        return std::nullopt;
    return double(last.bytes - first.bytes) * 1000.0 / double(last.ms - first.ms);
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
