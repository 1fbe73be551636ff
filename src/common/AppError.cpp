// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AppError.h"

#include <new>

namespace qm {

AppError::AppError(int number, QString description)
    : m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8())
{
}

AppError AppError::invalidArgument() { return {5, QStringLiteral("Invalid procedure call or argument")}; }
AppError AppError::overflow() { return {6, QStringLiteral("Overflow")}; }
AppError AppError::subscriptOutOfRange() { return {9, QStringLiteral("Subscript out of range")}; }
AppError AppError::typeMismatch() { return {13, QStringLiteral("Type mismatch")}; }

static QString withPath(const char *text, const QString &path)
{
    const QString base = QString::fromLatin1(text);
    return path.isEmpty() ? base : base + QStringLiteral(": ") + path;
}

AppError AppError::fileNotFound(const QString &path) { return {53, withPath("File not found", path)}; }
AppError AppError::pathFileAccess(const QString &path) { return {75, withPath("Path/File access error", path)}; }
AppError AppError::pathNotFound(const QString &path) { return {76, withPath("Path not found", path)}; }
AppError AppError::invalidPicture() { return {481, QStringLiteral("Invalid picture")}; }

QString currentExceptionDescription()
{
    try {
        throw;
    } catch (const AppError &e) {
        return e.description();
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unexpected error");
    }
}

} // namespace qm
