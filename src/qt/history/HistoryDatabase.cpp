#include "history/HistoryDatabase.h"

#include "history/SqlHistoryStore.h"
#include "text/LowerCase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

#include <cctype>
#include <optional>
#include <vector>

namespace tessaprint::history {

namespace {

const std::string kPasswordAdvice = "put the password in a password file (setting " +
                                    settings::QuotedName(settings::kHistoryPasswordFile) + ") or in ~/.pgpass";

Error BadSetting(const std::string& what)
{
    return Error{kErrorInvalidName, "the history database setting is not usable: " + what};
}

bool HasControlCharacter(const std::string& text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

bool HasControlCharacter(const QString& text)
{
    return HasControlCharacter(text.toStdString());
}

// The value as QUrl is to read it. QUrl would take a '%' that begins no
// escape as a '%' of its own, and a '#' as the start of a fragment: here the
// first makes its part unreadable (written as DEL, a control character, which
// no part may hold) and the second is a '#' like any other character.
QString ForQUrl(const std::string& value)
{
    std::string marked;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '#') {
            marked += "%23";
        } else if (value[i] == '%' &&
                   (i + 2 >= value.size() || !std::isxdigit(static_cast<unsigned char>(value[i + 1])) ||
                    !std::isxdigit(static_cast<unsigned char>(value[i + 2])))) {
            marked += "%7F";
        } else {
            marked += value[i];
        }
    }
    return QString::fromStdString(marked);
}

std::optional<int> PortNumber(const std::string& text)
{
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    int port = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

// The server part as written ("host", "host:port", "[address]:port"), and
// what is wrong with its port or its brackets: QUrl refuses such a part as a
// whole, the message names the fault.
struct WrittenServer {
    std::string host;
    std::string port;
    std::optional<Error> fault;
};

WrittenServer ReadWrittenServer(const std::string& value, std::size_t afterScheme)
{
    std::string hostPort = value.substr(afterScheme, value.find_first_of("/?#", afterScheme) - afterScheme);
    if (const auto at = hostPort.find('@'); at != std::string::npos) {
        hostPort.erase(0, at + 1);
    }
    WrittenServer written{hostPort, "", std::nullopt};
    if (!hostPort.empty() && hostPort.front() == '[') {
        const auto close = hostPort.find(']');
        if (close == std::string::npos) {
            written.fault = BadSetting("the address \"" + hostPort + "\" lacks its closing ']'");
            return written;
        }
        written.host = hostPort.substr(1, close - 1);
        const std::string after = hostPort.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') {
                written.fault = BadSetting("\"" + hostPort + "\" is not an address and port");
                return written;
            }
            written.port = after.substr(1);
        }
    } else if (const auto colon = hostPort.rfind(':'); colon != std::string::npos) {
        written.host = hostPort.substr(0, colon);
        written.port = hostPort.substr(colon + 1);
        if (written.port.empty()) {
            written.fault = BadSetting("the port after \"" + written.host + ":\" is missing");
            return written;
        }
    }
    if (!written.port.empty() && !PortNumber(written.port)) {
        written.fault = BadSetting("the port \"" + written.port + "\" is not a number from 1 to 65535");
    }
    return written;
}

Result<HistoryDatabase> ParsePostgresUrl(const std::string& value, std::size_t afterScheme)
{
    HistoryDatabase db;
    db.engine = HistoryDatabase::Engine::Postgres;
    const QUrl url(ForQUrl(value), QUrl::TolerantMode);
    // "user:password@" and "user:@" alike: the address is never to hold one.
    if (url.userInfo(QUrl::FullyEncoded).contains(u':')) {
        return BadSetting("the address holds a password; " + std::string(kPasswordAdvice));
    }
    if (url.authority(QUrl::FullyEncoded).contains(u'@')) {
        const QString user = url.userName(QUrl::FullyDecoded);
        if (user.isEmpty() || HasControlCharacter(user)) {
            return BadSetting("the user name in \"" + value + "\" cannot be read");
        }
        db.user = user.toStdString();
    }
    const WrittenServer server = ReadWrittenServer(value, afterScheme);
    if (server.fault) {
        return *server.fault;
    }
    // QUrl refuses a name no server can have; the name goes on as written,
    // decoded (QUrl would lower-case it and give a non-ASCII one in its ASCII
    // form, which the resolver does itself).
    const QString host = QUrl::fromPercentEncoding(QByteArray::fromStdString(server.host));
    if (!url.isValid() || HasControlCharacter(host)) {
        return BadSetting("the server name \"" + server.host + "\" cannot be read");
    }
    db.host = host.toStdString();
    if (url.port() != -1) {
        db.port = url.port();
    }

    // The options as written, for their names and for the messages: QUrlQuery
    // gives the same pairs in the same order, decoded, but for an empty last one.
    std::vector<std::string> written;
    if (const auto mark = value.find('?'); mark != std::string::npos && mark + 1 < value.size()) {
        for (std::size_t start = mark + 1;;) {
            const auto end = value.find('&', start);
            written.push_back(value.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos) {
                break;
            }
            start = end + 1;
        }
    }
    const auto items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    for (std::size_t i = 0; i < written.size(); ++i) {
        const std::string& pair = written[i];
        const std::string key = pair.substr(0, pair.find('='));
        if (key == "password") {
            return BadSetting("the address holds a password; " + kPasswordAdvice);
        }
        if (key != "host") {
            return BadSetting("the option \"" + key + "\" is not taken (only ?host=/socket/folder is)");
        }
        const QString given =
            i < static_cast<std::size_t>(items.size()) ? items[static_cast<qsizetype>(i)].second : QString();
        if (pair.find('=') == std::string::npos || given.isEmpty() || HasControlCharacter(given)) {
            return BadSetting("the option \"" + pair + "\" has no usable value");
        }
        db.host = given.toStdString();
    }
    if (db.host.empty()) {
        return BadSetting("\"" + value + "\" names no server (postgresql://user@host:port/database)");
    }
    // The path is "/" and the database's name.
    const QString name = url.path(QUrl::FullyDecoded).mid(1);
    if (name.isEmpty() || HasControlCharacter(name)) {
        return BadSetting("\"" + value + "\" names no database (postgresql://user@host:port/database)");
    }
    if (name.contains(u'/')) {
        return BadSetting("the database name \"" + name.toStdString() + "\" cannot hold '/'");
    }
    db.databaseName = name.toStdString();
    return db;
}

// "scheme://" at the start: an address, not a file.
std::optional<std::size_t> SchemeEnd(const std::string& value)
{
    const auto colon = value.find("://");
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(value[0]))) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') {
            return std::nullopt;
        }
    }
    return colon;
}

} // namespace

std::string HistoryDatabase::Describe() const
{
    if (engine == Engine::Sqlite) {
        return "SQLite database " + path;
    }
    std::string where = "PostgreSQL database " + databaseName + " on " + host;
    where += !host.empty() && host.front() == '/' ? " (port " + std::to_string(port) + ")" : ":" + std::to_string(port);
    if (!user.empty()) {
        where += " as " + user;
    }
    return where;
}

Result<HistoryDatabase> ParseHistoryDatabase(const std::string& value, const std::string& baseFolder)
{
    if (value.empty()) {
        HistoryDatabase db;
        db.path = QDir(QString::fromStdString(baseFolder)).filePath(QStringLiteral("history.sqlite")).toStdString();
        db.createFolder = true;
        return db;
    }
    if (HasControlCharacter(value)) {
        return BadSetting("it holds a control character");
    }
    if (const auto schemeEnd = SchemeEnd(value)) {
        const std::string scheme = LocaleLower(value.substr(0, *schemeEnd));
        if (scheme == "postgresql" || scheme == "postgres") {
            return ParsePostgresUrl(value, *schemeEnd + 3);
        }
        return BadSetting("\"" + scheme +
                          "://\" is not a database Tessaprint knows: give an SQLite file or postgresql://…");
    }
    const QString path = QDir(QString::fromStdString(baseFolder)).absoluteFilePath(QString::fromStdString(value));
    if (QFileInfo(path).isDir() || value.back() == '/' || value.back() == '\\') {
        return BadSetting("\"" + value + "\" is a folder, not a database file");
    }
    HistoryDatabase db;
    db.path = QDir::cleanPath(path).toStdString();
    return db;
}

Result<std::string> ReadPasswordFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (QFileInfo(file).isDir() || !file.open(QIODevice::ReadOnly)) {
        return Error{kErrorAccessDenied,
                     "cannot read the password file " + path + ": " +
                         (QFileInfo(file).isDir() ? std::string("it is a folder") : file.errorString().toStdString())};
    }
    std::string line = file.readLine(4096).toStdString();
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

std::string HistoryDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
}

Result<HistoryDatabase> HistoryDatabaseFromSettings(const SettingsStore& settings)
{
    Result<HistoryDatabase> db = ParseHistoryDatabase(settings.Read(settings::kHistoryDatabase), HistoryDataFolder());
    if (!db || db.value().engine != HistoryDatabase::Engine::Postgres) {
        return db;
    }
    const std::string passwordFile = settings.Read(settings::kHistoryPasswordFile);
    if (!passwordFile.empty()) {
        Result<std::string> password = ReadPasswordFile(passwordFile);
        if (!password) {
            return password.error();
        }
        db.value().password = std::move(password).value();
    }
    return db;
}

Result<std::unique_ptr<HistoryStore>> OpenHistoryStore(const HistoryDatabase& where)
{
    Result<std::unique_ptr<SqlHistoryStore>> store = SqlHistoryStore::Open(where);
    if (!store) {
        return store.error();
    }
    return std::unique_ptr<HistoryStore>(std::move(store).value());
}

Result<std::unique_ptr<HistoryStore>> OpenHistoryStore(const SettingsStore& settings)
{
    Result<HistoryDatabase> where = HistoryDatabaseFromSettings(settings);
    if (!where) {
        return where.error();
    }
    return OpenHistoryStore(where.value());
}

} // namespace tessaprint::history
