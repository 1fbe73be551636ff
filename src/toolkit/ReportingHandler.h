// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>

#include <utility>

namespace qm {

class Toolkit;

extern const QString kSupportAddress;

// The error report: "Application Error" box, exclamation icon, OK only.
QString errorReportText(const QString &handlerName, int lineLabel, const QString &description);
void ShowErrorReport(Toolkit &toolkit, const QString &handlerName, int lineLabel, const QString &description);

// The one mechanism of the eight reporting handlers. A handler is a run of labelled steps; each
// action runs under the label of the last step that began (0 before any). When an action throws,
// the report is shown and the handler goes on with its next action, so a failure never ends the
// handler early. A guard test that throws counts as passed: the guarded actions run.
//
//   ReportingHandler h(toolkit, QStringLiteral("Form_Load"));
//   h.step(100, [&] { ApplySkin(*this); });
//   h.also([&] { setWindowIcon(icon); });          // second action of the same step
//   if (h.test(106, [&] { return FileExists(p); }))
//       h.step(108, [&] { loadCursor(p); });
class ReportingHandler
{
    Q_DECLARE_TR_FUNCTIONS(qm::ReportingHandler)

public:
    ReportingHandler(Toolkit &toolkit, QString handlerName) : m_toolkit(toolkit), m_name(std::move(handlerName)) {}

    // Begins step `line` without running anything (for steps whose actions follow as also()).
    void begin(int line) { m_line = line; }

    // Both return false when the action failed (and was reported).
    template <class Action>
    bool step(int line, Action &&action)
    {
        m_line = line;
        return also(std::forward<Action>(action));
    }

    template <class Action>
    bool also(Action &&action)
    {
        try {
            action();
            return true;
        } catch (...) {
            reportCurrent();
            return false;
        }
    }

    template <class Condition>
    bool test(int line, Condition &&condition)
    {
        m_line = line;
        try {
            return static_cast<bool>(condition());
        } catch (...) {
            reportCurrent();
            return true;
        }
    }

    int line() const { return m_line; }
    const QString &name() const { return m_name; }
    int reportCount() const { return m_reports; }

private:
    void reportCurrent();

    Toolkit &m_toolkit;
    QString m_name;
    int m_line = 0;
    int m_reports = 0;
};

} // namespace qm
