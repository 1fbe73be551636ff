// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

// Split size from the number of parts: length / parts, truncated toward zero; 0 parts count as 1.
std::int64_t SplitSizeFromParts(std::int64_t fileLength, std::int16_t parts);
// Text2's megabytes in bytes at lines 126 and 128: each step multiplies by 1024 and throws
// AppError::overflow() when the result leaves the signed 32-bit range.
std::int32_t TimesKilo(std::int32_t value);
// Length in bytes of the file at path; throws AppError when it is not a readable file.
std::int64_t FileLen(const QString &path);

// Text of the box that ends a run: exactly "Done." when every archive was split, no part was
// renamed and none is larger than asked; otherwise it names each failed archive with its reason,
// each renamed part and each archive whose one large entry made a part larger than asked.
QString RunSummaryText(const QVector<SplitFailure> &failures, const QVector<RenamedPart> &renamed,
                       const QVector<OversizedArchive> &oversized = {}, const QStringList &stopped = {});
QString RunSummaryText(const SplitSummary &summary);

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
    void readRows(ReportingHandler &h, SplitRequest &request);
    void finish(const SplitSummary &summary);
    void notifyEnd(const SplitSummary &summary);

    SplitHost &m_host;
    Context &m_ctx;
    std::unique_ptr<SplitJob> m_job;
    SplitSummary m_summary;
    int m_rows = 0;
    QString m_outputFolder;
    QElapsedTimer m_clock;
};

} // namespace qm
