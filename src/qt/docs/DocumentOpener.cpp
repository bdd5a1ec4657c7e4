#include "docs/DocumentOpener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace tessaprint {

DocumentOpener::DocumentOpener()
    : DocumentOpener(
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
          &DocumentOpener::QueryXdgDefault,
#else
          nullptr, // the system says itself when nothing opens the type
#endif
          [](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
}

DocumentOpener::DocumentOpener(DefaultProgramQuery query, UrlOpener open)
    : m_query(std::move(query)), m_open(std::move(open))
{
}

bool DocumentOpener::Open(const QString& path) const
{
    if (m_query && path.endsWith(QStringLiteral(".docx"), Qt::CaseInsensitive) &&
        m_query(QString::fromLatin1(kDocxMimeType)).trimmed().isEmpty()) {
        return false;
    }
    return m_open(QUrl::fromLocalFile(path));
}

bool DocumentOpener::OpenFolder(const QString& folder) const
{
    return m_open(QUrl::fromLocalFile(folder));
}

QString DocumentOpener::QueryXdgDefault(const QString& mimeType)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty()) {
        return QStringLiteral("?"); // cannot tell: let the opener try
    }
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(2000)) {
        query.kill();
        query.waitForFinished(500);
        return QStringLiteral("?");
    }
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

} // namespace tessaprint
