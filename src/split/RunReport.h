// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "split/TimeLeftEstimator.h"
#include "split/SplitJob.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace qm {

// The words both front ends use for a run: its progress, its end and the details behind it.

// What a run came to, one sentence per line: first "Done." when every archive was split, else how
// many failed and how many a stop left; then how many archives were split into how many parts and
// in which folder, how many got renamed parts or parts larger than asked.
QStringList RunOutcomeLines(const SplitSummary &summary, const QString &outputFolder);
// Of those, how many archives failed and how many a stop left: all a dry run has to tell.
QStringList NotSplitLines(const SplitSummary &summary);
// The details behind those lines, one block per kind, blocks apart by an empty line: each failed
// archive with its reason, each archive a stop left, each renamed part (apart: those whose names
// files already there held, and those whose names parts of this run took), each archive whose
// split size was raised to fit its largest entry, with its parts larger than asked. Empty when
// all went as asked.
QString RunDetailsText(const SplitSummary &summary);

// "about 2 minutes left", from the run's recent pace; empty until it can be estimated.
QString TimeLeftText(const TimeLeftEstimator &estimator);
// The bar's text: archives done of all, and the time left once it is known.
QString ProgressBarText(const RunProgress &progress, const TimeLeftEstimator &estimator);
// A terminal's progress line: archive k of n and its name, the share of the run, bytes, recent
// rate and time left, cut to `width` characters.
QString ProgressLine(const RunProgress &progress, const QString &archiveName, const TimeLeftEstimator &estimator,
                     int width);

} // namespace qm
