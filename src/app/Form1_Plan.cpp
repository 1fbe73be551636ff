// SPDX-License-Identifier: GPL-3.0-or-later
// Each row's plan beside its path, worked out in the background whenever rows are listed or the
// split fields change, by the planner and the request Start uses.
#include "app/Form1.h"

#include "app/FileListModel.h"
#include "app/PlanPreview.h"
#include "split/SplitChoice.h"
#include "split/ArchiveSplit.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTreeView>

#include <algorithm>

namespace qm {

void Form1::connectPlanPreview()
{
    m_preview = std::make_unique<PlanPreview>();
    m_files->setPlanTitle(tr("Plan"));
    // Wide enough for a plan of many parts and the reasons met most, in the window's language; a
    // longer reason is cut short, and its tooltip says it all.
    ArchiveSplitResult many;
    many.plan.parts.resize(9999);
    many.plan.parts.front().size = MegabytesToBytes(kMostMegabytes);
    int widest = ListView1->fontMetrics().horizontalAdvance(ShownPlan(many, QString()).text);
    for (const FailureKind kind : {FailureKind::NotZip, FailureKind::Unsplittable}) {
        ArchiveSplitResult failed;
        failed.failure = {kind, QStringLiteral("-")};
        widest = std::max(widest, ListView1->fontMetrics().horizontalAdvance(ShownPlan(failed, QString()).text));
    }
    ListView1->setColumnWidth(1, widest + 16);

    connect(m_preview.get(), &PlanPreview::planned, m_files.get(), &FileListModel::setPlans);
    connect(m_files.get(), &FileListModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { planRows(first, last); });
    connect(m_files.get(), &FileListModel::modelReset, m_preview.get(), &PlanPreview::cancel);
    for (QLineEdit *field : {Text2, Text3})
        connect(field, &QLineEdit::textChanged, this, &Form1::replan);
    for (QRadioButton *option : {Option1, Option2})
        connect(option, &QRadioButton::toggled, this, &Form1::replan);
}

std::optional<SplitChoice> Form1::planChoice() const
{
    std::optional<SplitChoice> choice = ChoiceFromText(partsSelected(), partsSelected() ? partsText() : sizeText());
    if (choice)
        choice->dryRun = true;
    return choice;
}

void Form1::replan()
{
    const std::optional<SplitChoice> choice = planChoice();
    if (!m_preview->setChoice(choice))
        return;
    m_files->setPlanning(choice.has_value());
    planRows(0, m_files->count() - 1);
}

void Form1::planRows(int first, int last)
{
    if (!m_running && m_preview->hasChoice() && first <= last)
        m_preview->plan(m_files->planRows(first, last), archiveLibrary());
}

// A run plans each archive itself: the column waits, and is planned again once the run is over
// (the run may have found some sources changed).
void Form1::planAroundRun(bool running)
{
    if (running)
        m_preview->cancel();
    else
        planRows(0, m_files->count() - 1);
}

} // namespace qm
