// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AppError.h"

#include <new>

namespace qm {

AppError::AppError(int number, QString description)
    : m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8())
{
}

AppError AppError::invalidArgument() { return {5, tr("Invalid procedure call or argument")}; }
AppError AppError::overflow() { return {6, tr("Overflow")}; }
AppError AppError::subscriptOutOfRange() { return {9, tr("Subscript out of range")}; }
AppError AppError::typeMismatch() { return {13, tr("Type mismatch")}; }

static QString withPath(const QString &text, const QString &path)
{
    return path.isEmpty() ? text : text + QStringLiteral(": ") + path;
}

AppError AppError::fileNotFound(const QString &path) { return {53, withPath(tr("File not found"), path)}; }
AppError AppError::pathFileAccess(const QString &path) { return {75, withPath(tr("Path/File access error"), path)}; }
AppError AppError::pathNotFound(const QString &path) { return {76, withPath(tr("Path not found"), path)}; }
AppError AppError::invalidPicture() { return {481, tr("Invalid picture")}; }

QString currentExceptionDescription()
{
    try {
        throw;
    } catch (const AppError &e) {
        return e.description();
    } catch (const std::bad_alloc &) {
        return AppError::tr("Out of memory");
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return AppError::tr("Unexpected error");
    }
}

} // namespace qm
