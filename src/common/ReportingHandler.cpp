// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ReportingHandler.h"

#include "common/AppError.h"
#include "common/Toolkit.h"

namespace qm {

const QString kSupportAddress = QStringLiteral("support@quillmere.example");

QString errorReportText(const QString &handlerName, int lineLabel, const QString &description)
{
    return description + QStringLiteral("\r\n") + QStringLiteral("in Tarnwell6/20/2015.Form1.")
           + handlerName + QLatin1Char(' ') + QStringLiteral("at line ") + QString::number(lineLabel)
           + QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ")
           + kSupportAddress;
}

void ShowErrorReport(Toolkit &toolkit, const QString &handlerName, int lineLabel, const QString &description)
{
    toolkit.msgBox(errorReportText(handlerName, lineLabel, description), vbOKOnly, vbExclamation,
                QStringLiteral("Application Error"));
}

void ReportingHandler::reportCurrent()
{
    ++m_reports;
    const QString description = currentExceptionDescription();
    ShowErrorReport(m_toolkit, m_name, m_line, description);
}

} // namespace qm
