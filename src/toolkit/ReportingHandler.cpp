// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/ReportingHandler.h"

#include "common/AppError.h"
#include "toolkit/Toolkit.h"

namespace qm {

const QString kSupportAddress = QStringLiteral("support@quillmere.example");

QString errorReportText(const QString &handlerName, int lineLabel, const QString &description)
{
    // The procedure's full name is the program's own and stays as it is in every language.
    const QString procedure = QStringLiteral("Tarnwell6/20/2015.Form1.") + handlerName;
    //: %1 what went wrong, %2 the procedure, %3 its line label, %4 the support address
    return ReportingHandler::tr("%1\r\nin %2 at line %3\r\rPlease email screenshot of this message to %4")
        .arg(description, procedure, QString::number(lineLabel), kSupportAddress);
}

void ShowErrorReport(Toolkit &toolkit, const QString &handlerName, int lineLabel, const QString &description)
{
    toolkit.msgBox(errorReportText(handlerName, lineLabel, description), vbOKOnly, vbExclamation,
                ReportingHandler::tr("Application Error"));
}

void ReportingHandler::reportCurrent()
{
    ++m_reports;
    const QString description = currentExceptionDescription();
    ShowErrorReport(m_toolkit, m_name, m_line, description);
}

} // namespace qm
