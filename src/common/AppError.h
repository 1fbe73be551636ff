// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>
#include <exception>

namespace qm {

// How failures travel: a routine that cannot do its job throws AppError with a run-time error
// number and a description. Reporting handlers catch it per step (ReportingHandler) and show the
// error report; nothing returns error codes except the archive-library binding (-1) and
// RunAndWait's launch failure (a negative code).
class AppError : public std::exception
{
    // Descriptions reach the error report, so they are in the user's language.
    Q_DECLARE_TR_FUNCTIONS(qm::AppError)

public:
    AppError(int number, QString description);

    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

    // The run-time errors the program raises, with their usual wording.
    static AppError invalidArgument();   // 5
    static AppError overflow();          // 6
    static AppError subscriptOutOfRange(); // 9
    static AppError typeMismatch();      // 13
    static AppError fileNotFound(const QString &path = {});   // 53
    static AppError pathFileAccess(const QString &path = {}); // 75
    static AppError pathNotFound(const QString &path = {});   // 76
    static AppError invalidPicture();    // 481

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

// Description text of whatever exception is in flight; used by the error report.
QString currentExceptionDescription();

} // namespace qm
