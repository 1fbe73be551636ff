// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "split/TimeLeftEstimator.h"
#include "split/SplitJob.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>

namespace qm {

struct Context;
class ReportingHandler;
class SplitHost;
struct SplitChoice;

// Start Splitting as the window does it: the checks and labelled reports of the click, a request
// built from the fields, the job started, and when it ends the box. Lives for one run.
class SplitRun : public QObject
{
    Q_OBJECT
public:
    SplitRun(SplitHost &host, Context &context, QObject *parent = nullptr);
    ~SplitRun() override;

    // The click: false when nothing was started (a check failed, the list is empty, no size);
    // otherwise the job runs and `ended` follows.
    bool start();
    // Stop Splitting: zipsplit stops, what is split stays, the box names what was not split.
    void stop();
    // The window is closing: the job ends at once, leaves nothing behind, and no box is shown.
    void abort();
    bool running() const { return m_job && m_job->running(); }
    const SplitSummary &summary() const { return m_summary; }

Q_SIGNALS:
    void ended();

private:
    bool passChecks(ReportingHandler &h);
    bool prepare(ReportingHandler &h, SplitRequest &request);
    void readRows(ReportingHandler &h, SplitChoice &choice);
    void finish(const SplitSummary &summary);
    void showProgress(const RunProgress &progress);

    SplitHost &m_host;
    Context &m_ctx;
    std::unique_ptr<SplitJob> m_job;
    SplitSummary m_summary;
    int m_rows = 0;
    QString m_outputFolder;
    QElapsedTimer m_clock;
    TimeLeftEstimator m_timeLeft;
};

} // namespace qm
