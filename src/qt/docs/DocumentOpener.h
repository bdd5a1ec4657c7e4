#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace tessaprint {

// Opens a saved document with the desktop's program for its type, and a
// folder in its file manager. On Linux
// handing a file to xdg-open "works" even when nothing is set to open .docx
// files, so the desktop's default program for the type is asked first; no
// default means no program, and the caller says where the file is.
class DocumentOpener {
public:
    // The desktop file of the default program for a MIME type; empty for none.
    using DefaultProgramQuery = std::function<QString(const QString& mimeType)>;
    using UrlOpener = std::function<bool(const QUrl&)>;

    static constexpr const char* kDocxMimeType =
        "application/vnd.openxmlformats-officedocument.wordprocessingml.document";

    // The system's: xdg-mime where it is installed, QDesktopServices to open.
    DocumentOpener();
    DocumentOpener(DefaultProgramQuery query, UrlOpener open);

    // True when a program was asked to open the file.
    bool Open(const QString& path) const;
    // Shows a folder in the desktop's file manager; true when one was asked to.
    bool OpenFolder(const QString& folder) const;

    // `xdg-mime query default TYPE`, waiting at most two seconds; "?" when
    // xdg-mime is missing or does not answer, so that opening is tried.
    static QString QueryXdgDefault(const QString& mimeType);

private:
    DefaultProgramQuery m_query;
    UrlOpener m_open;
};

} // namespace tessaprint
